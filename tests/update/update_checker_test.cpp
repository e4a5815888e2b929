#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/virtual_dispatch.h"
#include "i18n/l.h"
#include "sim/simulated_mac.h"
#include "update/update_checker.h"

namespace tidyframe {
namespace {

using Frequency = SoftwareUpdateFrequency;
using Build = std::optional<std::int64_t>;
constexpr const char* feed = "https://updates.example.test/finder-latest.json";
constexpr double day = 86400;
const std::string announced = "Tidyframe 2.0 已推出", failed = "无法检查更新";

HttpsResponse ok(const std::string& body) { return {200, body, ""}; }
HttpsResponse release(int build, const std::string& url = "https://example.test/T.dmg") {
  return ok(R"({"version":"2.0","build":)" + std::to_string(build) + R"(,"url":")" + url + R"("})");
}
const HttpsResponse unreachable{0, "", "A server with the specified hostname could not be found."};

// A simulated Mac in virtual time whose network serves `response` at the feed, running build
// `build` of version 1.2, texts in their source form.
struct Machine {
  Machine(const HttpsResponse& response, std::string_view build) {
    mac.network.serve(feed, response);
    checker = UpdateChecker::create({dispatch, l, mac.alerts, mac.workspace, mac.defaults, mac.network},
                                    RunningVersion::parse("1.2", build), feed);
  }
  double now() const { return dispatch.now().unixTime(); }

  VirtualDispatch dispatch{Date::fromUnixTime(1796567400)};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac mac{dispatch, *world};
  L l{{}, nullptr};
  std::shared_ptr<UpdateChecker> checker;
};

TEST(UpdateCheckerTest, ScheduleChecksWhenDueAndRetriesHourlyAfterFailures) {
  struct Case {
    const char* reason;
    Frequency frequency;
    std::optional<double> lastCheckAge;
    HttpsResponse response;
    double run;
    std::size_t requests;
  } cases[] = {
      {"manual never asks", Frequency::manual, std::nullopt, release(120), 30 * day, 0},
      {"the first due test waits 10 seconds", Frequency::daily, std::nullopt, release(120), 9, 0},
      {"never checked is due at once", Frequency::daily, std::nullopt, release(120), 11, 1},
      {"weekly, six days ago: not due", Frequency::weekly, 6 * day, release(120), 11, 0},
      {"weekly, seven days ago at an hourly tick", Frequency::weekly, 6 * day, release(120), day + 11, 1},
      {"daily, 23 hours ago: due at the hour", Frequency::daily, day - 3600, release(120), 3601, 1},
      {"a success waits for the next interval", Frequency::daily, std::nullopt, release(120), 7300, 1},
      {"a failure retries at every hourly tick", Frequency::daily, std::nullopt, unreachable, 7300, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    Machine machine(c.response, "120");
    if (c.lastCheckAge) machine.mac.defaults.setDouble(UpdateChecker::lastCheckKey, machine.now() - *c.lastCheckAge);
    machine.checker->start([&] { return c.frequency; });
    machine.dispatch.advance(c.run);
    EXPECT_EQ(machine.mac.network.requests().size(), c.requests);
    EXPECT_TRUE(machine.mac.alerts.alerts().empty()) << "a scheduled check of an up-to-date build is silent";
  }
}

TEST(UpdateCheckerTest, ResultsShowTheRightAlertAndKeepTheRightValues) {
  struct Case {
    const char* reason;
    std::string_view runningBuild;
    HttpsResponse response;
    Build notified;
    bool userInitiated;
    int answer;
    std::vector<std::string> alerts;
    bool lastCheckStored;
    Build notifiedAfter = {};
    std::vector<std::string> opened = {};
  } cases[] = {
      {"scheduled: an announced build stays quiet", "100", release(120), 120, false, 1000, {}, true, 120},
      {"asked: it is shown again", "100", release(120), 120, true, 1001, {announced}, true, 120},
      {"a new build is announced and marked", "100", release(121), 120, false, 1001, {announced}, true, 121},
      {"the first button opens the download", "100", release(121), {}, false, 1000, {announced}, true, 121,
       {"https://example.test/T.dmg"}},
      {"an older feed never lowers the mark", "100", release(110), 130, true, 1001, {announced}, true, 130},
      {"up to date, asked", "120", release(120), {}, true, 1000, {"已是最新版本"}, true, {}},
      {"a plain-web download is never offered", "100", release(121, "http://x.test/T.dmg"), {}, true, 1000, {failed},
       true, {}},
      {"nor when scheduled", "100", release(121, "http://x.test/T.dmg"), {}, false, 1000, {}, true, {}},
      {"no network", "100", unreachable, {}, true, 1000, {failed}, false, {}},
      {"no network, scheduled", "100", unreachable, {}, false, 1000, {}, false, {}},
      {"status other than 200", "100", {404, release(121).body, ""}, {}, true, 1000, {failed}, false, {}},
      {"empty body", "100", ok(""), {}, true, 1000, {failed}, false, {}},
      {"not JSON", "100", ok("<html>"), {}, true, 1000, {failed}, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    Machine machine(c.response, c.runningBuild);
    if (c.notified) machine.mac.defaults.setInteger(UpdateChecker::notifiedBuildKey, *c.notified);
    machine.mac.alerts.answerAlert(c.answer);
    machine.checker->check(c.userInitiated);
    machine.dispatch.runUntilIdle();
    std::vector<std::string> titles;
    for (const auto& alert : machine.mac.alerts.alerts()) titles.push_back(alert.message);
    EXPECT_EQ(titles, c.alerts);
    EXPECT_EQ(machine.mac.defaults.doubleValue(UpdateChecker::lastCheckKey),
              c.lastCheckStored ? std::optional(machine.now()) : std::nullopt);
    EXPECT_EQ(machine.mac.defaults.integerValue(UpdateChecker::notifiedBuildKey), c.notifiedAfter);
    EXPECT_EQ(machine.mac.workspace.openedURLs(), c.opened);
  }
}

TEST(UpdateCheckerTest, OneRequestAtATimeWithTheProductAsUserAgent) {
  Machine machine(release(121), "100");
  machine.checker->check(false);
  machine.checker->check(true);
  machine.dispatch.runUntilIdle();
  EXPECT_EQ(machine.mac.network.requests(), (std::vector<SimHttpsClient::Request>{{feed, "Tidyframe/1.2", 15}}));
  ASSERT_EQ(machine.mac.alerts.alerts().size(), 1u) << "the user-initiated check was refused, not queued";
  EXPECT_EQ(machine.mac.alerts.alerts()[0],
            (AlertRequest{announced, "当前版本为 1.2。下载后打开安装包，将新版拖入“应用程序”替换即可，规则和设置会保留。",
                          {"下载新版", "以后再说"}}));
  machine.checker->check(true);
  machine.dispatch.runUntilIdle();
  EXPECT_EQ(machine.mac.network.requests().size(), 2u) << "the reply ended the outstanding check";
}

TEST(UpdateCheckerTest, AReplyForACheckerThatIsGoneDoesNothing) {
  Machine machine(release(121), "100");
  machine.mac.network.setLatency(1);
  machine.checker->check(true);
  machine.dispatch.advance(0.5);
  machine.checker.reset();
  machine.dispatch.advance(2);
  EXPECT_EQ(machine.mac.network.requests().size(), 1u);
  EXPECT_TRUE(machine.mac.alerts.alerts().empty());
  EXPECT_EQ(machine.mac.defaults.writes(), 0);
  EXPECT_TRUE(machine.mac.network.get(feed, "", 1).failed()) << "going away aborted the client for good";
}

TEST(UpdateCheckerTest, RunningBuildAndFeedDecoding) {
  const std::pair<const char*, std::int64_t> builds[] = {  // text, build
      {"120", 120}, {"+7", 7}, {"-3", -3}, {"abc", 0}, {"", 0}, {"+-5", 0}, {"12a", 0}, {" 12", 0},
      {"99999999999999999999", 0}};
  for (const auto& [text, build] : builds) EXPECT_EQ(RunningVersion::parse("1", text).currentBuild, build) << text;

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
      {R"({"version":"2","build":"5","url":"https://a"})", std::nullopt, "a build as text"},
      {R"({"version":"2","url":"https://a"})", std::nullopt, "no build"},
      {R"({"version":"2","build":18446744073709551615,"url":"https://a"})", std::nullopt, "a build out of range"},
      {R"([1])", std::nullopt, "not an object"},
  };
  for (const auto& c : feeds) EXPECT_EQ(decodeReleaseInfo(c.body), c.release) << c.reason;
}

}  // namespace
}  // namespace tidyframe
