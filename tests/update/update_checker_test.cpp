#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/virtual_dispatch.h"
#include "i18n/l.h"
#include "sim/simulated_mac.h"
#include "update/update_checker.h"

namespace tidyframe {
namespace {

constexpr const char* feed = "https://updates.example.test/finder-latest.json";
constexpr double day = 86400;

HttpsResponse ok(const std::string& body) { return {200, body, ""}; }
HttpsResponse release(int build, const std::string& url = "https://example.test/Tidyframe.dmg") {
  return ok(R"({"version":"2.0","build":)" + std::to_string(build) + R"(,"url":")" + url + R"("})");
}
const HttpsResponse unreachable{0, "", "A server with the specified hostname could not be found."};

// A checker on the simulated Mac in virtual time, the feed served by the simulated network,
// texts in their source form.
class UpdateCheckerTest : public ::testing::Test {
 protected:
  void makeChecker(std::string_view build = "100") {
    checker = UpdateChecker::create({dispatch, l, sim.alerts, sim.workspace, sim.defaults, sim.network},
                                    RunningVersion::parse("1.2", build), feed);
  }
  double now() const { return dispatch.now().unixTime(); }

  VirtualDispatch dispatch{Date::fromUnixTime(1796567400)};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac sim{dispatch, *world};
  L l{{}, nullptr};
  std::shared_ptr<UpdateChecker> checker;
};

TEST_F(UpdateCheckerTest, FrequenciesAreDailyWeeklyAndManual) {
  EXPECT_EQ(allCases<SoftwareUpdateFrequency>(), (std::array{SoftwareUpdateFrequency::daily,
                                                             SoftwareUpdateFrequency::weekly,
                                                             SoftwareUpdateFrequency::manual}));
  EXPECT_EQ(interval(SoftwareUpdateFrequency::daily), day);
  EXPECT_EQ(interval(SoftwareUpdateFrequency::weekly), 7 * day);
  EXPECT_EQ(interval(SoftwareUpdateFrequency::manual), std::nullopt);
}

TEST_F(UpdateCheckerTest, ScheduleChecksWhenDueAndRetriesHourlyAfterFailures) {
  struct Case {
    const char* reason;
    SoftwareUpdateFrequency frequency;
    std::optional<double> lastCheckAge;
    HttpsResponse response;
    double run;
    std::size_t requests;
  } cases[] = {
      {"manual never asks", SoftwareUpdateFrequency::manual, std::nullopt, release(120), 30 * day, 0},
      {"the first due test waits 10 seconds", SoftwareUpdateFrequency::daily, std::nullopt, release(120), 9, 0},
      {"never checked is due at once", SoftwareUpdateFrequency::daily, std::nullopt, release(120), 11, 1},
      {"weekly, six days ago: not due", SoftwareUpdateFrequency::weekly, 6 * day, release(120), 11, 0},
      {"weekly, seven days ago at an hourly tick", SoftwareUpdateFrequency::weekly, 6 * day, release(120), day + 11, 1},
      {"a success waits for the next interval", SoftwareUpdateFrequency::daily, std::nullopt, release(120), 7300, 1},
      {"a failure retries at every hourly tick", SoftwareUpdateFrequency::daily, std::nullopt, unreachable, 7300, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    SimulatedMac mac{dispatch, *world};
    if (c.lastCheckAge) mac.defaults.setDouble(UpdateChecker::lastCheckKey, now() - *c.lastCheckAge);
    mac.network.serve(feed, c.response);
    auto scheduled = UpdateChecker::create({dispatch, l, mac.alerts, mac.workspace, mac.defaults, mac.network},
                                           RunningVersion::parse("1.2", "120"), feed);
    scheduled->start([&] { return c.frequency; });
    dispatch.advance(c.run);
    EXPECT_EQ(mac.network.requests().size(), c.requests);
    EXPECT_TRUE(mac.alerts.alerts().empty()) << "a scheduled check of an up-to-date build is silent";
  }
}

TEST_F(UpdateCheckerTest, ResultsShowTheRightAlertAndKeepTheRightValues) {
  const std::string announced = "Tidyframe 2.0 已推出";
  const std::string failed = "无法检查更新";
  struct Case {
    const char* reason;
    std::string_view runningBuild;
    HttpsResponse response;
    std::optional<std::int64_t> notified;
    bool userInitiated;
    int answer;
    std::vector<std::string> alerts;
    bool lastCheckStored;
    std::optional<std::int64_t> notifiedAfter;
    std::vector<std::string> opened;
  } cases[] = {
      {"a scheduled check stays quiet about an announced build", "100", release(120), 120, false, 1000, {}, true, 120, {}},
      {"the user asking shows it again", "100", release(120), 120, true, 1001, {announced}, true, 120, {}},
      {"a new build is announced and marked", "100", release(121), 120, false, 1001, {announced}, true, 121, {}},
      {"the first button opens the download", "100", release(121), std::nullopt, false, 1000, {announced}, true, 121,
       {"https://example.test/Tidyframe.dmg"}},
      {"a running build that is not a number is 0", "abc", release(1), std::nullopt, false, 1001, {announced}, true, 1, {}},
      {"an older feed never lowers the mark", "100", release(110), 130, true, 1001, {announced}, true, 130, {}},
      {"up to date, asked", "120", release(120), std::nullopt, true, 1000, {"已是最新版本"}, true, std::nullopt, {}},
      {"up to date, scheduled", "121", release(120), std::nullopt, false, 1000, {}, true, std::nullopt, {}},
      {"a plain-web download is never offered", "100", release(121, "http://example.test/T.dmg"), std::nullopt, true,
       1000, {failed}, true, std::nullopt, {}},
      {"nor when scheduled", "100", release(121, "http://example.test/T.dmg"), std::nullopt, false, 1000, {}, true,
       std::nullopt, {}},
      {"no network", "100", unreachable, std::nullopt, true, 1000, {failed}, false, std::nullopt, {}},
      {"no network, scheduled", "100", unreachable, std::nullopt, false, 1000, {}, false, std::nullopt, {}},
      {"status other than 200", "100", {404, R"({"version":"2.0","build":121,"url":"https://x.test"})", ""},
       std::nullopt, true, 1000, {failed}, false, std::nullopt, {}},
      {"empty body", "100", ok(""), std::nullopt, true, 1000, {failed}, false, std::nullopt, {}},
      {"not JSON", "100", ok("<html>"), std::nullopt, true, 1000, {failed}, false, std::nullopt, {}},
      {"build missing", "100", ok(R"({"version":"2.0","url":"https://x.test"})"), std::nullopt, true, 1000, {failed},
       false, std::nullopt, {}},
      {"build as text", "100", ok(R"({"version":"2.0","build":"121","url":"https://x.test"})"), std::nullopt, true,
       1000, {failed}, false, std::nullopt, {}},
      {"version as a number", "100", ok(R"({"version":2,"build":121,"url":"https://x.test"})"), std::nullopt, true,
       1000, {failed}, false, std::nullopt, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    SimulatedMac mac{dispatch, *world};
    if (c.notified) mac.defaults.setInteger(UpdateChecker::notifiedBuildKey, *c.notified);
    mac.network.serve(feed, c.response);
    mac.alerts.answerAlert(c.answer);
    auto checked = UpdateChecker::create({dispatch, l, mac.alerts, mac.workspace, mac.defaults, mac.network},
                                         RunningVersion::parse("1.2", c.runningBuild), feed);
    checked->check(c.userInitiated);
    dispatch.runUntilIdle();
    std::vector<std::string> titles;
    for (const auto& alert : mac.alerts.alerts()) titles.push_back(alert.message);
    EXPECT_EQ(titles, c.alerts);
    EXPECT_EQ(mac.defaults.doubleValue(UpdateChecker::lastCheckKey),
              c.lastCheckStored ? std::optional(now()) : std::nullopt);
    EXPECT_EQ(mac.defaults.integerValue(UpdateChecker::notifiedBuildKey), c.notifiedAfter);
    EXPECT_EQ(mac.workspace.openedURLs(), c.opened);
    EXPECT_FALSE(checked->checking());
  }
}

TEST_F(UpdateCheckerTest, AnnouncementNamesBothVersionsAndOffersTheDownload) {
  makeChecker();
  sim.network.serve(feed, release(121));
  checker->check(true);
  dispatch.runUntilIdle();
  ASSERT_EQ(sim.alerts.alerts().size(), 1u);
  EXPECT_EQ(sim.alerts.alerts()[0],
            (AlertRequest{"Tidyframe 2.0 已推出",
                          "当前版本为 1.2。下载后打开安装包，将新版拖入“应用程序”替换即可，规则和设置会保留。",
                          {"下载新版", "以后再说"}}));
}

TEST_F(UpdateCheckerTest, ASecondCheckWhileOneIsOutstandingDoesNothing) {
  makeChecker();
  sim.network.serve(feed, unreachable);
  checker->check(false);
  checker->check(true);
  checker->check(true);
  dispatch.runUntilIdle();
  EXPECT_EQ(sim.network.requests(), (std::vector<SimHttpsClient::Request>{{feed, "Tidyframe/1.2", 15}}));
  EXPECT_TRUE(sim.alerts.alerts().empty()) << "the user-initiated checks were refused, not queued";
}

TEST_F(UpdateCheckerTest, AReplyForACheckerThatIsGoneDoesNothing) {
  makeChecker();
  sim.network.serve(feed, release(121));
  sim.network.setLatency(1);
  checker->check(true);
  dispatch.advance(0.5);
  checker.reset();
  dispatch.advance(2);
  EXPECT_EQ(sim.network.requests().size(), 1u);
  EXPECT_TRUE(sim.alerts.alerts().empty());
  EXPECT_EQ(sim.defaults.writes(), 0);
}

TEST_F(UpdateCheckerTest, RunningVersionAndFeedDecoding) {
  struct BuildCase {
    const char* text;
    std::int64_t build;
    const char* reason;
  } builds[] = {
      {"120", 120, "decimal"},        {"+7", 7, "plus sign"},          {"-3", -3, "minus sign"},
      {"abc", 0, "not a number"},     {"", 0, "empty"},                {"+-5", 0, "two signs"},
      {"12a", 0, "trailing letters"}, {" 12", 0, "leading blank"},     {"99999999999999999999", 0, "out of range"},
  };
  for (const auto& c : builds) EXPECT_EQ(RunningVersion::parse("1", c.text).currentBuild, c.build) << c.reason;

  struct FeedCase {
    const char* body;
    std::optional<ReleaseInfo> release;
    const char* reason;
  } feeds[] = {
      {R"({"version":"2","build":5,"url":"https://a","page":"https://p","x":1})",
       ReleaseInfo{"2", 5, "https://a", "https://p"}, "all keys, unknown ones ignored"},
      {R"({"version":"2","build":5.0,"url":"https://a","page":null})", ReleaseInfo{"2", 5, "https://a", {}},
       "a whole number written with a fraction, page null"},
      {R"({"version":"2","build":5.5,"url":"https://a"})", std::nullopt, "a build that is not whole"},
      {R"({"version":"2","build":5,"url":"https://a","page":3})", std::nullopt, "a mistyped optional key"},
      {R"({"version":"2","build":5,"url":""})", std::nullopt, "an empty URL"},
      {R"({"version":"2","build":18446744073709551615,"url":"https://a"})", std::nullopt, "a build out of range"},
      {R"([1])", std::nullopt, "not an object"},
  };
  for (const auto& c : feeds) EXPECT_EQ(decodeReleaseInfo(c.body), c.release) << c.reason;
}

}  // namespace
}  // namespace tidyframe
