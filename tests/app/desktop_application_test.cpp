#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include "app/desktop_application.h"
#include "app/scratch_folder.h"
#include "i18n/l.h"
#include "sim/sim_home.h"
#include "storage/storage.h"
#include "ui/panel_style.h"
#include "ui/panel_window.h"
#include "ui/root_view.h"
#include "ui/settings_menu.h"

namespace tidyframe {
namespace {

// The engine's default arrangement, which Documents gets from no rule of its own.
constexpr FolderArrangement byDefault{true, ArrangeKey::kind, ArrangeKey::name};
// Far beyond two polls and the query's own time, for a loaded two-core machine.
constexpr int arrangeMilliseconds = 30000;

// The application on a real X display (Xvfb), on real threads, with its storage folder, its
// defaults and its single-instance name in a scratch folder.
class DesktopApplicationTest : public testing::Test {
 protected:
  std::unique_ptr<DesktopApplication> launch() {
    return std::make_unique<DesktopApplication>(
        l, DesktopOptions{storage(), folder.path() / "defaults.json", folder.path(), nullptr, [this] { finished = true; }});
  }
  std::filesystem::path storage() const { return folder.path() / "data" / "Tidyframe"; }
  // Whether the engine logged a successful arrangement of `path`.
  static bool arranged(AppModel& engine, const std::string& path) {
    return std::ranges::any_of(engine.activities().get(),
                               [&](const ActivityEntry& entry) { return entry.success && entry.path == path; });
  }
  FolderArrangement shown(DesktopApplication& app, const std::string& path) {
    const auto world = app.mac().lockWorld();
    return SimFinder::effective(app.mac().finder().arrangement(path, FinderView::icon), FinderView::icon);
  }
  // A later launch of the program on the same storage folder.
  int launchAgain() {
    QProcess second;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString((folder.path() / "data").string()));
    environment.insert("HOME", QString::fromStdString(folder.path().string()));
    environment.insert("QT_QPA_PLATFORM", "xcb");
    second.setProcessEnvironment(environment);
    second.start(TIDYFRAME_BINARY, {});
    // One that does not end in time is killed as `second` goes.
    const bool ended = QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 10000);
    return ended && second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
  }

  ScratchFolder folder{"tidyframe-desktop-"};
  L l{{TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr};
  bool finished = false;
};

TEST_F(DesktopApplicationTest, ArrangesWhatThePersonOpensHandsOverAndKeepsEverythingAcrossARestart) {
  auto app = launch();
  AppModel& engine = *app->shell().model();
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine.accessibilityGranted().get() && engine.legacyReady(); }, 5000));
  engine.start();
  app->finderWindow().openFolder(SimHome::documents);
  ASSERT_TRUE(QTest::qWaitFor([&] { return arranged(engine, SimHome::documents); }, arrangeMilliseconds))
      << "the engine arranges the folder opened in the window within its polls";
  EXPECT_EQ(shown(*app, SimHome::documents), byDefault);

  app->shell().popover()->hide();
  app->finderWindow().close();
  {
    const auto world = app->mac().lockWorld();
    EXPECT_FALSE(app->mac().finder().frontmost()) << "a closed window leaves the Finder in the background";
    EXPECT_EQ(app->mac().finder().frontBrowser()->path, SimHome::documents) << "with its windows";
  }
  EXPECT_EQ(launchAgain(), 0) << "a second launch hands over and leaves";
  EXPECT_TRUE(QTest::qWaitFor([&] { return app->shell().popoverShown() && app->finderWindow().isVisible(); }, 2000))
      << "the first one shows its panel and the Finder window";
  app->finderWindow().close();
  SettingsMenu& menu = app->shell().popover()->panel()->settingsMenu();
  menu.rebuild();
  ASSERT_NE(menu.item("显示模拟 Finder"), nullptr);
  menu.item("显示模拟 Finder")->trigger();
  EXPECT_TRUE(app->finderWindow().isVisible()) << "and so does the settings menu";
  if (qEnvironmentVariableIsSet("TIDYFRAME_UPDATE_SCREENSHOTS")) {
    QTest::qWait(500);
    QApplication::primaryScreen()->grabWindow(0).save(TIDYFRAME_SOURCE_DIR "/docs/linux-application.png");
  }

  ::raise(SIGTERM);
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 10000)) << "SIGTERM quits as the menu does";
  const auto activities = app->shell().model()->activities().get();
  EXPECT_FALSE(activities.empty());
  EXPECT_EQ(Storage::read<std::vector<ActivityEntry>>(storage() / Storage::activityFile), activities)
      << "every save is written before the program may end";
  app.reset();

  finished = false;
  app = launch();
  EXPECT_EQ(shown(*app, SimHome::documents), byDefault) << "the Finder keeps its arrangement across a restart";
  {
    const auto world = app->mac().lockWorld();
    ASSERT_NE(app->mac().finder().frontBrowser(), nullptr);
    EXPECT_EQ(app->mac().finder().frontBrowser()->path, SimHome::documents) << "and shows the folder it showed";
  }
  EXPECT_TRUE(app->shell().model()->preferences()->engineEnabled) << "the rules and switches are kept";
  app->shell().quit();
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 10000));
}

}  // namespace
}  // namespace tidyframe

// Qt on the display xvfb-run gives, in the application's style, whatever platform the
// environment names: offscreen no window ever becomes active, so the Finder is never in front.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication application(argc, argv);
  QApplication::setStyle(new tidyframe::PanelStyle);
  QApplication::setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
