#include <fstream>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "ui/feedback_view.h"
#include "ui/panel_fixture.h"

namespace tidyframe {
namespace {

class FeedbackViewTest : public PanelTest {
 protected:
  FeedbackView& page() {
    model->setSelectedPage(Page::feedback);
    return panel->feedback();
  }
};

TEST_F(FeedbackViewTest, ButtonsWaitForADraftAndCopyingSaysSoUntilTheDraftChanges) {
  openPanel();
  FeedbackView& view = page();
  EXPECT_FALSE(view.copyButton().isEnabled());
  EXPECT_FALSE(view.saveButton().isEnabled());
  QTest::keyClicks(&view.editor(), "x");
  EXPECT_EQ(model->feedbackDraft().get(), "x");
  EXPECT_TRUE(view.copyButton().isEnabled()) << "one character is enough";
  EXPECT_TRUE(view.saveButton().isEnabled());
  QTest::mouseClick(&view.copyButton(), Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "x\n\nTidyframe 1.0\nmacOS 14.5");
  EXPECT_EQ(view.copyButton().text().toStdString(), "已复制");
  QTest::keyClicks(&view.editor(), "y");
  EXPECT_EQ(view.copyButton().text().toStdString(), "复制反馈") << "a changed draft is not copied yet";
}

// What is written, or cancelled, the report's own tests show; the page shows why a save failed.
TEST_F(FeedbackViewTest, FailedSaveShowsWhy) {
  openPanel();
  FeedbackView& view = page();
  model->setFeedbackDraft("hello");
  EXPECT_TRUE(view.errorLine().isHidden());
  const auto blocker = root / "a-file";
  std::ofstream(blocker) << "x";
  sim.alerts.answerPanel((blocker / "Finder-feedback.txt").string());
  QTest::mouseClick(&view.saveButton(), Qt::LeftButton);
  EXPECT_FALSE(view.errorLine().isHidden()) << "a write under a regular file fails";
  EXPECT_TRUE(view.errorLine().text().startsWith("反馈保存失败："));
}

}  // namespace
}  // namespace tidyframe
