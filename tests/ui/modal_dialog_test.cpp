#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/desktop_alerts.h"
#include "app/scratch_folder.h"
#include "base/thread_dispatch.h"
#include "base/virtual_dispatch.h"
#include "sim/sim_home.h"
#include "ui/main_queue_pump.h"

namespace tidyframe {
namespace {

TEST(DesktopAlertsTest, DialogsAnswerAsTheUserChoseAndTakeTheFrontFromTheFinder) {
  VirtualDispatch dispatch{Date{786000000}};
  const auto world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac mac{dispatch, *world};
  ScratchFolder folder{"tidyframe-alerts-"};
  DesktopAlerts alerts(mac, folder.path(), [] { return SimHome::folders(); });
  const AlertRequest three{"Replace?", "", {"Replace", "Keep both", "Cancel"}};
  const AlertRequest destructive{"Delete?", "", {AlertButton::destructive("Delete"), AlertButton::cancel("Keep")}};
  const AlertRequest cancelInMiddle{"Replace?", "", {"Replace", AlertButton::cancel("Stop"), "Keep both"}};
  const auto modal = [&](const AlertRequest& request) { return std::to_string(alerts.runModal(request)); };
  const auto press = [](Qt::Key key) { return [key](QWidget& dialog) { QTest::keyClick(&dialog, key); }; };
  const auto click = [](const char* title) {
    return [title](QWidget& box) {
      for (auto* button : box.findChildren<QAbstractButton*>()) {
        if (button->text() == title) button->click();
      }
    };
  };
  const auto choose = [](const char* name) {
    return [name](QWidget& dialog) {
      auto* tree = dialog.findChild<QTreeWidget*>();
      tree->setCurrentItem(tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0));
      QTest::keyClick(tree, Qt::Key_Return);
    };
  };
  const auto mine = QString::fromStdString((folder.path() / "mine").string());
  struct Row {
    const char* reason;
    std::function<std::optional<std::string>()> ask;
    std::function<void(QWidget&)> answer;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"Return answers the first button", [&] { return modal(three); }, press(Qt::Key_Return), "1000"},
      {"Escape answers the last", [&] { return modal(three); }, press(Qt::Key_Escape), "1002"},
      {"a middle button answers its place", [&] { return modal(three); }, click("Keep both"), "1001"},
      {"Return beside a destructive button answers the cancelling one", [&] { return modal(destructive); },
       press(Qt::Key_Return), "1001"},
      {"the destructive button still answers first", [&] { return modal(destructive); }, click("Delete"), "1000"},
      {"Escape answers the cancelling button wherever it stands", [&] { return modal(cancelInMiddle); },
       press(Qt::Key_Escape), "1001"},
      {"no buttons: the platform's OK answers first", [&] { return modal({"Done", "", {}}); },
       press(Qt::Key_Return), "1000"},
      {"a folder of the simulated Mac, not of this disk",
       [&] { return alerts.runOpenPanel(FilePanelRequest::folder("Choose", "Choose Folder")); }, choose("Invoices"),
       SimHome::invoices},
      {"a cancelled folder choice", [&] { return alerts.runOpenPanel(FilePanelRequest::folder("", "")); },
       press(Qt::Key_Escape), std::nullopt},
      {"a saved file gets its type's suffix",
       [&] { return alerts.runSavePanel(FilePanelRequest::save("Rules.json", {"json"})); },
       [&](QWidget& dialog) {
         qobject_cast<QFileDialog*>(&dialog)->selectFile(mine);
         qobject_cast<QDialog*>(&dialog)->accept();
       },
       (mine + ".json").toStdString()},
  };
  for (const auto& row : rows) {
    mac.finder().setFrontmost(true);
    // Answered as a person would, once the dialog is up.
    QTimer::singleShot(0, [&row] { row.answer(*QApplication::activeModalWidget()); });
    EXPECT_EQ(row.ask(), row.expected) << row.reason;
    EXPECT_FALSE(mac.finder().frontmost()) << row.reason << ": the dialog came to the front";
  }
}

// As on macOS's main queue, a modal dialog inside a main-queue task keeps every other task
// waiting until it closes, whether it was queued before or posted while the dialog was open.
TEST(MainQueuePumpTest, AModalDialogInsideATaskRunsNoOtherMainQueueTask) {
  ThreadDispatch dispatch;
  MainQueuePump pump(dispatch);
  const auto worker = dispatch.makeSerialQueue("Tidyframe.test");
  std::vector<std::string> order;
  dispatch.main().async([&] {
    order.push_back("dialog opens");
    QDialog dialog;
    worker->async([&] {
      dispatch.main().async([&] { order.push_back("posted from a worker during the dialog"); });
    });
    QTimer::singleShot(100, &dialog, [&] {
      order.push_back("dialog closes");
      dialog.accept();
    });
    dialog.exec();
  });
  dispatch.main().async([&] { order.push_back("queued before the dialog opened"); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 4; }, 5000));
  EXPECT_EQ(order, (std::vector<std::string>{"dialog opens", "dialog closes", "queued before the dialog opened",
                                             "posted from a worker during the dialog"}));
}

}  // namespace
}  // namespace tidyframe
