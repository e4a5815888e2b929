#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/simulated_finder_window.h"
#include "ui/panel_fixture.h"

namespace tidyframe {
namespace {

class SimulatedFinderWindowTest : public PanelTest {
 protected:
  std::string frontFolder() { return sim.finder().frontBrowser()->path; }
  bool showsText(const QString& text) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
      if (label->isVisibleTo(&window) && label->text().contains(text)) return true;
    }
    return false;
  }
  QPushButton* button(const char* source) {
    for (QPushButton* found : window.findChildren<QPushButton*>()) {
      if (found->text() == QString::fromStdString(tables.t(source))) return found;
    }
    return nullptr;
  }

  SimulatedFinderWindow window{sim, tables, {}};
};

// What a person does in the window reaches the Finder, and what the engine's scripts do to the
// Finder shows at once.
TEST_F(SimulatedFinderWindowTest, ActsAsAFileBrowserAndShowsWhatTheEngineDid) {
  window.show();
  window.openFolder(documents);
  QWidget* tile = window.findChild<QWidget*>("Reports");
  ASSERT_NE(tile, nullptr);
  QTest::mouseDClick(tile, Qt::LeftButton);
  EXPECT_EQ(frontFolder(), reports) << "a double-clicked folder opens in the front window";
  window.goUp();
  EXPECT_EQ(frontFolder(), documents) << "and up goes back";

  EXPECT_FALSE(showsText("PDF Documents"));
  sim.finder().setArrangement(documents, FinderView::icon, kindByName);
  window.refresh();
  EXPECT_TRUE(showsText("PDF Documents")) << "an arrangement made elsewhere regroups the items";

  EXPECT_EQ(std::pair(button("插入")->isEnabled(), button("推出")->isEnabled()), std::pair(true, false));
  window.insertCard();
  EXPECT_EQ(std::pair(button("插入")->isEnabled(), button("推出")->isEnabled()), std::pair(false, true))
      << "the card's controls act only where they can";

  window.setLanguage(FinderMenuLanguage::dutch);
  EXPECT_TRUE(showsText(QString::fromStdString(tables.t("Tidyframe 读不懂这种语言的 Finder 菜单，因此不会排列。"))))
      << "a Finder whose menus Tidyframe cannot read says so";
}

}  // namespace
}  // namespace tidyframe
