#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QDialog>
#include <QTest>
#include <QTimer>

#include "base/thread_dispatch.h"
#include "ui/main_queue_pump.h"

namespace tidyframe {
namespace {

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
