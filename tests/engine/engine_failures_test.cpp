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
  model->handle(ScriptFailure{-1719, "x"});
  advance(10);
  model->handle(ScriptFailure{-2700, "此系统语言暂未支持该排序选项"});
  EXPECT_EQ(messages, (std::vector<std::string>{"请为 Tidyframe开启辅助功能权限。", "此系统语言暂未支持该排序选项"}));
  EXPECT_EQ(activityTitles(), std::vector<std::string>{"分组未完成"});
  advance(31);
  model->handle(ScriptFailure{-1712, "timed out"});
  EXPECT_EQ(activityTitles(), (std::vector<std::string>{"分组未完成", "分组未完成"}));
  EXPECT_EQ(model->activities()->front().detail, "Finder 操作未完成");
  EXPECT_FALSE(model->activities()->front().success);
}

TEST_F(Failures, QueryTimeOutPausesTheEngineAndSaysSo) {
  writeSettings(engineOn());
  openFolder(pictures);
  sim.mac.busy("Finder", 0, 400);
  launch();
  advance(200);
  EXPECT_FALSE(model->preferences()->engineEnabled);
  EXPECT_EQ(model->message().get(), "Finder 操作未完成 · 自动分组已暂停");
  ASSERT_FALSE(model->activities()->empty());
  EXPECT_EQ(model->activities()->front().title, "自动分组已暂停");
  EXPECT_EQ(model->activities()->front().detail, "Finder 保留当前显示状态；可随时继续");
}

TEST_F(Failures, RefusedAutomationStopsPollingUntilGrantedAgain) {
  writeSettings(engineOn());
  openFolder(pictures);
  sim.mac.setAutomation("Finder", AutomationConsent::refused);
  launch();
  advance(4);
  EXPECT_FALSE(model->automationGranted().get());
  const int compiled = sim.mac.scriptsCompiled();
  advance(30);
  EXPECT_EQ(sim.mac.scriptsCompiled(), compiled) << "polling went on without permission";
  sim.mac.setAutomation("Finder", AutomationConsent::allowed);
  advance(40);
  EXPECT_TRUE(model->automationGranted().get()) << "the minute's permission refresh sees it again";
  advance(6);
  EXPECT_EQ(shown(pictures).grouped, true);
}

TEST_F(Failures, AutomationRefusedDuringAScriptClearsThePermission) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(1);
  ASSERT_TRUE(model->automationGranted().get());
  sim.mac.setAutomation("Finder", AutomationConsent::refused);
  advance(2);
  EXPECT_FALSE(model->automationGranted().get());
  EXPECT_EQ(model->message().get(), "请在系统设置 → 隐私与安全性 → 自动化中允许 Finder 和 System Events。");
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

TEST_F(Failures, StartWithoutAccessibilityShowsTheSetupGuideAndSendsNothing) {
  sim.mac.setAccessibilityTrusted(false);
  launch();
  model->start();
  advance(5);
  EXPECT_TRUE(model->showSetup().get());
  EXPECT_EQ(allEvents(), 0);
  EXPECT_FALSE(model->preferences()->engineEnabled);
}

TEST_F(Failures, StartWithPermissionsTurnsTheEngineOn) {
  openFolder(pictures);
  launch();
  model->start();
  advance(8);
  EXPECT_TRUE(model->preferences()->engineEnabled);
  EXPECT_EQ(activityTitles().back(), "自动分组已开启");
  EXPECT_TRUE(shown(pictures).grouped);
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

TEST_F(Failures, UserSwitchingAppsMidArrangementKeepsTheTrueOriginal) {
  writeSettings(engineOn());
  const FolderArrangement original{true, ArrangeKey::size, ArrangeKey::added};
  openFolder(pictures, FinderView::icon, original);
  sim.finder().loseFrontAfterMenuClicks(3);
  launch();
  advance(6);
  const auto recorded = model->layouts().original(pictures, "icon view", model->layouts().originals.begin()->second.volumeID);
  ASSERT_TRUE(recorded) << diagnostics.str();
  EXPECT_EQ(recorded->group, "Size");
  EXPECT_EQ(recorded->sort, "Date Added");
  sim.finder().setFrontmost(true);
  advance(10);
  EXPECT_EQ(model->layouts().original(pictures, "icon view", recorded->volumeID)->group, "Size")
      << "the engine's own arrangement must never become the original";
}

TEST_F(Failures, HideBlockSkippingAfterTheArrangementKeepsTheOriginal) {
  auto preferences = engineOn();
  preferences.hideOnNavigation = true;
  writeSettings(preferences);
  const FolderArrangement original{false, ArrangeKey::kind, ArrangeKey::size};
  openFolder(pictures, FinderView::icon, original);
  sim.finder().setShowsAllFiles(true);
  // Every click of the arrangement lands; the Finder loses the front right after the last one.
  sim.finder().loseFrontAfterMenuClicks(4);
  launch();
  advance(6);
  EXPECT_TRUE(shown(pictures).grouped) << diagnostics.str();
  EXPECT_TRUE(sim.finder().showsAllFiles()) << "the key press went to another application";
  EXPECT_NE(diagnostics.str().find("apply {skip, None, Size}"), std::string::npos) << diagnostics.str();
  const auto& originals = model->layouts().originals;
  ASSERT_EQ(originals.size(), 1u);
  EXPECT_EQ(originals.begin()->second.group, "None");
  EXPECT_EQ(originals.begin()->second.sort, "Size");
  EXPECT_TRUE(model->activities()->empty()) << "a skip is not an arrangement to log";
}

}  // namespace
}  // namespace tidyframe
