#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

using Failures = EngineTest;

TEST_F(Failures, TwoFailuresTenSecondsApartMakeOneLogEntryAndTwoMessages) {
  writeSettings(engineOn());
  launch();
  std::vector<std::string> messages;
  auto subscription = model->message().subscribe([&](const auto& text) {
    if (text) messages.push_back(*text);
  });
  AppModelTestPeer::fail(*model, ScriptFailure{-1719, "x"});
  advance(10);
  AppModelTestPeer::fail(*model, ScriptFailure{-2700, "此系统语言暂未支持该排序选项"});
  EXPECT_EQ(messages, (std::vector<std::string>{"请为 Tidyframe开启辅助功能权限。", "此系统语言暂未支持该排序选项"}));
  EXPECT_EQ(activityTitles(), std::vector<std::string>{"分组未完成"});
  advance(31);
  AppModelTestPeer::fail(*model, ScriptFailure{-1712, "timed out"});
  EXPECT_EQ(activityTitles(), (std::vector<std::string>{"分组未完成", "分组未完成"}));
  EXPECT_EQ(model->activities()->front().detail, "Finder 操作未完成");
  EXPECT_FALSE(model->activities()->front().success);
}

TEST_F(Failures, QueryTimeOutPausesTheEngineAndSaysSo) {
  sim.mac.busy("Finder", 0, 400);
  arrangeOnLaunch(pictures);
  advance(200);
  EXPECT_FALSE(model->preferences()->engineEnabled);
  EXPECT_EQ(model->message().get(), "Finder 操作未完成 · 自动分组已暂停");
  ASSERT_FALSE(model->activities()->empty());
  EXPECT_EQ(latest().title, "自动分组已暂停");
  EXPECT_EQ(latest().detail, "Finder 保留当前显示状态；可随时继续");
}

// Refused while a script runs, the permission is cleared at once; polling stops until the
// minute's permission refresh sees it granted again.
TEST_F(Failures, RefusedAutomationStopsPollingUntilGrantedAgain) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  ASSERT_TRUE(model->automationGranted().get());
  sim.mac.setAutomation("Finder", AutomationConsent::refused);
  advance(3);
  EXPECT_FALSE(model->automationGranted().get());
  EXPECT_EQ(model->message().get(), "请在系统设置 → 隐私与安全性 → 自动化中允许 Finder 和 System Events。");
  const int events = allEvents();
  advance(30);
  EXPECT_EQ(allEvents(), events) << "polling went on without permission";
  sim.mac.setAutomation("Finder", AutomationConsent::allowed);
  advance(40);
  EXPECT_TRUE(model->automationGranted().get());
  advance(6);
  EXPECT_TRUE(shown(pictures).grouped);
}

// System Events quits when idle, and the permission query then can only say "unknown".
TEST_F(Failures, UnknownAutomationIsProbedOnlyWithTheEngineOnAndNeverClearsAGrant) {
  const int window = openFolder(pictures);
  advance(200);
  launch();
  advance(6);
  EXPECT_EQ(allEvents(), 0) << "the engine is off: no probe";
  EXPECT_FALSE(model->automationGranted().get());
  shutDown();
  writeSettings(engineOn());
  launch();
  advance(6);
  EXPECT_TRUE(model->automationGranted().get()) << "the probe script launched System Events again";
  EXPECT_TRUE(shown(pictures).grouped);
  const int events = allEvents();
  advance(200);
  EXPECT_EQ(allEvents(), events) << "an idle window's permission refreshes sent a probe";
  sim.finder().navigate(window, documents);
  advance(6);
  EXPECT_TRUE(shown(documents).grouped);
}

TEST_F(Failures, StartTurnsTheEngineOnOnlyWithAccessibility) {
  openFolder(pictures);
  for (const bool trusted : {false, true}) {
    SCOPED_TRACE(trusted ? "trusted" : "not trusted");
    sim.mac.setAccessibilityTrusted(trusted);
    launch();
    model->start();
    advance(8);
    EXPECT_EQ(model->showSetup().get(), !trusted) << "the setup guide";
    EXPECT_EQ(model->preferences()->engineEnabled, trusted);
    EXPECT_EQ(allEvents() > 0, trusted);
    EXPECT_EQ(shown(pictures).grouped, trusted);
    EXPECT_EQ(trusted ? activityTitles().back() : "", trusted ? "自动分组已开启" : "");
    shutDown();
  }
}

TEST_F(Failures, RefreshesDoNotPileUp) {
  launch();
  advance(1);
  const int queries = sim.permissions.queries();
  model->refreshEnvironment(false);
  model->refreshEnvironment(false);
  advance(1);
  EXPECT_EQ(sim.permissions.queries(), queries + 2) << "one check for both targets, not two";

  const int listings = sim.volumes.listings();
  model->refreshVolumes();
  model->refreshVolumes();
  model->refreshVolumes();
  advance(1);
  EXPECT_EQ(sim.volumes.listings(), listings + 2) << "one running and exactly one more";
}

}  // namespace
}  // namespace tidyframe
