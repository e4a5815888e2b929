#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/desktop_alerts.h"
#include "app/scratch_folder.h"
#include "base/virtual_dispatch.h"
#include "sim/sim_home.h"

namespace tidyframe {
namespace {

// Answers the next modal dialog as a person would, once it is up.
void answerNextDialog(std::function<void(QWidget&)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    answer(*dialog);
  });
}

void chooseInTree(QWidget& dialog, const std::string& path) {
  auto* tree = dialog.findChild<QTreeWidget*>();
  const auto found = tree->findItems(QString::fromStdString(std::filesystem::path(path).filename().string()),
                                     Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1);
  tree->setCurrentItem(found.front());
  QTest::keyClick(tree, Qt::Key_Return);
}

TEST(DesktopAlertsTest, DialogsAnswerAsTheUserChoseAndTakeTheFrontFromTheFinder) {
  VirtualDispatch dispatch{Date{786000000}};
  const auto world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac mac{dispatch, *world};
  ScratchFolder folder{"tidyframe-alerts-"};
  DesktopAlerts alerts(mac, folder.path(), [] { return SimHome::folders(); });
  const AlertRequest three{"Replace?", "", {"Replace", "Keep both", "Cancel"}};
  const auto modal = [&](const AlertRequest& request) { return std::to_string(alerts.runModal(request)); };
  const auto pressOn = [](Qt::Key key) { return [key](QWidget& box) { QTest::keyClick(&box, key); }; };
  struct Row {
    const char* reason;
    std::function<std::optional<std::string>()> ask;
    std::function<void(QWidget&)> answer;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"Return answers the first button", [&] { return modal(three); }, pressOn(Qt::Key_Return), "1000"},
      {"Escape answers the last", [&] { return modal(three); }, pressOn(Qt::Key_Escape), "1002"},
      {"a middle button answers its place", [&] { return modal(three); },
       [](QWidget& box) {
         for (QAbstractButton* button : box.findChildren<QAbstractButton*>()) {
           if (button->text() == "Keep both") button->click();
         }
       },
       "1001"},
      {"no buttons: the platform's OK answers first", [&] { return modal({"Done", "", {}}); },
       pressOn(Qt::Key_Return), "1000"},
      {"a folder of the simulated Mac, not of this disk",
       [&] { return alerts.runOpenPanel(FilePanelRequest::folder("Choose", "Choose Folder")); },
       [](QWidget& dialog) { chooseInTree(dialog, SimHome::invoices); }, SimHome::invoices},
      {"a cancelled folder choice", [&] { return alerts.runOpenPanel(FilePanelRequest::folder("", "")); },
       pressOn(Qt::Key_Escape), std::nullopt},
      {"a saved file gets its type's suffix",
       [&] { return alerts.runSavePanel(FilePanelRequest::save("Rules.json", {"json"})); },
       [&](QWidget& dialog) {
         qobject_cast<QFileDialog*>(&dialog)->selectFile(QString::fromStdString((folder.path() / "mine").string()));
         qobject_cast<QDialog*>(&dialog)->accept();
       },
       (folder.path() / "mine.json").string()},
  };
  for (const auto& row : rows) {
    {
      const auto lock = mac.lockWorld();
      mac.finder().setFrontmost(true);
    }
    answerNextDialog(row.answer);
    EXPECT_EQ(row.ask(), row.expected) << row.reason;
    const auto lock = mac.lockWorld();
    EXPECT_FALSE(mac.finder().frontmost()) << row.reason << ": the dialog came to the front";
  }
}

}  // namespace
}  // namespace tidyframe
