#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <optional>
#include <set>

#include "base/json.h"
#include "base/temporary_folder.h"
#include "base/thread_dispatch.h"
#include "base/virtual_dispatch.h"
#include "legacy/legacy_service.h"
#include "posix/posix_process_runner.h"
#include "sim/sim_launchd.h"
#include "storage/storage.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

constexpr unsigned user = 501;
const std::string first(LegacyService::labels[0]);
const std::string second(LegacyService::labels[1]);
// 2026-12-06 14:30:00 UTC.
const Date start = Date::fromUnixTime(1796567400);

void writeText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> fileNames(const fs::path& folder) {
  return fs::exists(folder) ? TemporaryFolder::namesIn(folder) : std::set<std::string>{};
}

// One user's Mac: a home folder, a storage folder, launchd and the service over them.
struct World {
  World(Dispatch& dispatch, const L& l, const fs::path& root, std::string launchctl = "/bin/launchctl")
      : launchd(dispatch, user),
        service(launchd, dispatch, l, locationsUnder(root, std::move(launchctl))) {}

  static LegacyLocations locationsUnder(const fs::path& root, std::string launchctl) {
    auto locations = LegacyLocations::standard(root / "home", root / "storage", user);
    locations.launchctl = std::move(launchctl);
    return locations;
  }

  // An agent file in the LaunchAgents folder, loaded as at login.
  void installAgent(const std::string& label) {
    SimLaunchd::writeAgentFile(service.agentPath(label), label);
    launchd.load(label, service.agentPath(label));
  }
  void writeRecord(const std::string& json) const { writeText(service.recordPath(), json); }
  std::optional<Json> record() const { return Storage::readJson(service.recordPath()); }
  bool hasAgentFile(const std::string& label) const { return fs::exists(service.agentPath(label)); }
  // The name and contents of each agent file in the backup folder.
  std::map<std::string, std::string> backedUpAgents() const {
    const fs::path folder = service.locations().backupFolder;
    std::map<std::string, std::string> agents;
    for (const auto& name : fileNames(folder)) {
      if (name.ends_with(".plist")) agents[name] = *Storage::readBytes(folder / name);
    }
    return agents;
  }

  SimLaunchd launchd;
  LegacyService service;
};

class LegacyServiceTest : public ::testing::Test {
 protected:
  LegacyServiceTest() { l.setLanguage("en"); }
  ~LegacyServiceTest() override {
    dispatch.runUntilIdle();
    EXPECT_EQ(dispatch.pendingCount(), 0u);
  }

  // Runs `work` on the engine's environment queue, as the engine does, and answers its result.
  template <class Work>
  auto onEnvironmentQueue(Work work) {
    std::optional<decltype(work())> result;
    environment->async([&] { result.emplace(work()); });
    dispatch.runUntilIdle();
    return *result;
  }

  // A world of its own for a table row, in a folder of its own.
  World& rowWorld(std::string launchctl = "/bin/launchctl") {
    return rowWorlds.emplace_back(dispatch, l, temporary / std::to_string(rowWorlds.size()), std::move(launchctl));
  }

  TemporaryFolder temporary;
  VirtualDispatch dispatch{start};
  L l{{TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr};
  std::shared_ptr<DispatchQueue> environment = dispatch.makeSerialQueue("Tidyframe.environment");
  World world{dispatch, l, temporary.path()};
  std::deque<World> rowWorlds;
};

TEST_F(LegacyServiceTest, DetectsLoadedJobsAndTheCheckedCount) {
  struct Case {
    const char* reason;
    std::vector<std::string> loaded;
    std::optional<std::string> statusFile;
    LegacyDetection expected;
    std::string launchctl = "/bin/launchctl";
  };
  const Case cases[] = {
      {"neither job, no status file", {}, std::nullopt, {false, 0}},
      {"only the first job", {first}, std::nullopt, {true, 0}},
      {"only the second job", {second}, std::nullopt, {true, 0}},
      {"both jobs and a count", {first, second}, R"({"checked_folders": 1284})", {true, 1284}},
      {"a count is read while nothing runs", {}, R"({"version": 2, "checked_folders": 7})", {false, 7}},
      {"a count written as text", {}, R"({"checked_folders": "1284"})", {false, 0}},
      {"a fraction", {}, R"({"checked_folders": 12.5})", {false, 0}},
      {"no such key", {}, R"({"checked": 12})", {false, 0}},
      {"not an object", {}, R"([{"checked_folders": 12}])", {false, 0}},
      {"malformed", {}, R"({"checked_folders": 12)", {false, 0}},
      {"empty file", {}, "", {false, 0}},
      {"larger than any count", {}, R"({"checked_folders": 18446744073709551615})", {false, 0}},
      {"launchctl cannot start: nothing counts as loaded", {first, second}, std::nullopt, {false, 0}, "/no/launchctl"},
  };
  for (const auto& c : cases) {
    World& w = rowWorld(c.launchctl);
    for (const auto& label : c.loaded) w.installAgent(label);
    if (c.statusFile) writeText(w.service.locations().legacyBase / "status.json", *c.statusFile);
    EXPECT_EQ(onEnvironmentQueue([&] { return w.service.detect(); }), c.expected) << c.reason;
  }
}

// A launchctl that never answers, on real threads: each call is stopped after the time-out and
// counts as not loaded, and the environment queue is free again for the next check.
TEST(LegacyServiceTimeOutTest, AHungLaunchctlDoesNotHoldTheEnvironmentQueue) {
  const TemporaryFolder temporary;
  writeText(temporary / "launchctl", "#!/bin/sh\nsleep 600\n");
  fs::permissions(temporary / "launchctl", fs::perms::owner_all);
  auto locations = World::locationsUnder(temporary.path(), (temporary / "launchctl").string());
  locations.launchctlTimeout = 0.2;
  ThreadDispatch dispatch;
  const L l{{}, nullptr};
  PosixProcessRunner runner;
  LegacyService service(runner, dispatch, l, locations);
  const auto environment = dispatch.makeSerialQueue("Tidyframe.environment");

  std::promise<LegacyDetection> detected;
  std::promise<void> nextCheck;
  environment->async([&] { detected.set_value(service.detect()); });
  environment->async([&] { nextCheck.set_value(); });

  ASSERT_EQ(nextCheck.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(detected.get_future().get(), (LegacyDetection{false, 0}));
}

TEST_F(LegacyServiceTest, TakeOver) {
  const std::string stillRunning = "The old version’s service is still running";
  struct Case {
    const char* reason;
    std::vector<std::string> agentFiles;  // each also loaded
    std::map<std::string, double> stopDelays;
    std::expected<void, LegacyFailure> expected;
    Json record;
    std::set<std::string> agentFilesLeft;
    double seconds;  // of waiting for jobs to stop on the dispatch clock, give or take one poll
  };
  const Case cases[] = {
      {"no agent files: an empty record and nothing stopped", {}, {}, {}, Json::array(), {}, 0},
      {"both agents backed up, stopped and removed", {first, second}, {}, {}, Json::array({first, second}), {}, 0},
      {"only agents with a file are taken over", {second}, {}, {}, Json::array({second}), {}, 0},
      {"slow jobs are waited for in turn", {first, second}, {{first, 3}, {second, 1}}, {},
       Json::array({first, second}), {}, 4},
      {"a stuck job fails after 8 seconds with launchctl's words", {first, second}, {{second, SimLaunchd::never}},
       std::unexpected(LegacyFailure{LegacyFailureKind::stillLoaded, 1,
                                     stillRunning + ": Boot-out failed: 36: Operation now in progress"}),
       Json::array({first, second}), {second + ".plist"}, 8},
      {"a job slower than 8 seconds fails with the bare text, in the interface language", {first, second},
       {{second, 20}}, std::unexpected(LegacyFailure{LegacyFailureKind::stillLoaded, 1, stillRunning}),
       Json::array({first, second}), {second + ".plist"}, 8},
  };
  for (const auto& c : cases) {
    World& w = rowWorld();
    std::map<std::string, std::string> originals;
    for (const auto& label : c.agentFiles) {
      w.installAgent(label);
      originals[label + ".plist"] = *Storage::readBytes(w.service.agentPath(label));
    }
    for (const auto& [label, seconds] : c.stopDelays) w.launchd.setStopDelay(label, seconds);
    EXPECT_FALSE(w.service.canRestore()) << c.reason;
    const Date before = dispatch.now();

    EXPECT_EQ(onEnvironmentQueue([&] { return w.service.takeOver(); }), c.expected) << c.reason;

    const double waited = dispatch.now() - before;
    EXPECT_GE(waited, c.seconds - 1e-9) << c.reason;
    EXPECT_LE(waited, c.seconds + (c.expected ? LegacyService::stopPollInterval : 1e-9)) << c.reason;
    EXPECT_EQ(w.record(), c.record) << c.reason;
    EXPECT_EQ(w.backedUpAgents(), originals) << c.reason;
    EXPECT_EQ(fileNames(w.service.locations().launchAgents), c.agentFilesLeft) << c.reason;
    EXPECT_EQ(w.service.detect().running, !c.agentFilesLeft.empty()) << c.reason;
    EXPECT_TRUE(w.service.canRestore()) << c.reason;
  }
}

// A later take-over keeps the first backup and never loses an agent file that changed since; a
// hand-back restores the newest copy.
TEST_F(LegacyServiceTest, ALaterTakeOverKeepsTheFirstBackupAndEveryOtherConfiguration) {
  const std::string dated = "local.plumbline.2026-12-06-143000.plist";
  const std::string edited = "<plist><dict><key>Label</key><string>local.plumbline</string>"
                             "<key>StartInterval</key><integer>30</integer></dict></plist>";
  struct Case {
    const char* reason;
    bool agentEdited;
    std::optional<std::string> alreadyAtDatedName;
    std::map<std::string, std::string> datedCopies;  // by name
  };
  const Case cases[] = {
      {"an unchanged agent file needs no other copy", false, std::nullopt, {}},
      {"an edited agent file is kept under the take-over time", true, std::nullopt, {{dated, edited}}},
      {"a different file already at that name stays", true, "another configuration",
       {{dated, "another configuration"}, {"local.plumbline.2026-12-06-143000-2.plist", edited}}},
      {"the same edit kept before is not copied twice", true, edited, {{dated, edited}}},
  };
  for (const auto& c : cases) {
    World& w = rowWorld();
    auto expected = c.datedCopies;
    for (const auto& label : {first, second}) {
      w.installAgent(label);
      expected[label + ".plist"] = *Storage::readBytes(w.service.agentPath(label));
    }
    ASSERT_TRUE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value()) << c.reason;
    ASSERT_EQ(onEnvironmentQueue([&] { return w.service.handBack(); }), true) << c.reason;
    if (c.agentEdited) writeText(w.service.agentPath(first), edited);
    if (c.alreadyAtDatedName) writeText(w.service.locations().backupFolder / dated, *c.alreadyAtDatedName);

    EXPECT_TRUE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value()) << c.reason;

    EXPECT_EQ(w.backedUpAgents(), expected) << c.reason;
    EXPECT_EQ(w.record(), Json::array({first, second})) << c.reason;
    EXPECT_FALSE(w.hasAgentFile(first)) << c.reason;

    ASSERT_EQ(onEnvironmentQueue([&] { return w.service.handBack(); }), true) << c.reason;
    EXPECT_EQ(Storage::readBytes(w.service.agentPath(first)), c.agentEdited ? edited : expected[first + ".plist"])
        << c.reason << ": the configuration in use last comes back";
  }
}

// The user may have deleted the whole LaunchAgents folder meanwhile.
TEST_F(LegacyServiceTest, HandBackRestoresAndLoadsBothJobs) {
  for (const bool agentsFolderDeleted : {false, true}) {
    SCOPED_TRACE(agentsFolderDeleted ? "the LaunchAgents folder deleted" : "the LaunchAgents folder kept");
    World& w = rowWorld();
    w.installAgent(first);
    w.installAgent(second);
    ASSERT_TRUE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value());
    if (agentsFolderDeleted) fs::remove_all(w.service.locations().launchAgents);

    EXPECT_EQ(onEnvironmentQueue([&] { return w.service.handBack(); }), true);

    EXPECT_EQ(fileNames(w.service.locations().launchAgents), (std::set{first + ".plist", second + ".plist"}));
    EXPECT_TRUE(w.launchd.isLoaded(first) && w.launchd.isLoaded(second));
  }
}

TEST_F(LegacyServiceTest, HandBackIgnoresLabelsItDoesNotKnow) {
  const fs::path backups = world.service.locations().backupFolder;
  SimLaunchd::writeAgentFile(world.service.backupPath(second), second);
  SimLaunchd::writeAgentFile(backups / "local.other.plist", "local.other");
  world.writeRecord(R"(["local.other", "../../../escape", "local.plumbline.live"])");

  EXPECT_EQ(onEnvironmentQueue([&] { return world.service.handBack(); }), true);

  EXPECT_EQ(fileNames(world.service.locations().launchAgents), (std::set<std::string>{"local.plumbline.live.plist"}));
  EXPECT_EQ(world.launchd.calls(), (std::vector<std::vector<std::string>>{
                                       {"print", "gui/501/local.plumbline.live"},
                                       {"bootstrap", "gui/501", world.service.agentPath(second).string()},
                                       {"print", "gui/501/local.plumbline"},
                                       {"print", "gui/501/local.plumbline.live"},
                                   }));
}

// Without a readable record a hand-back touches nothing: it cannot know what it took over.
TEST_F(LegacyServiceTest, HandBackFailures) {
  const std::string recorded = R"(["local.plumbline"])";
  const LegacyFailure unreadable{LegacyFailureKind::recordUnreadable, 0, ""};
  struct Case {
    const char* reason;
    std::optional<std::string> record;
    bool backedUp;  // the first job's agent file is in the backup folder
    LegacyFailure expected;
    std::string launchctl = "/bin/launchctl";
    const char* refusal = nullptr;  // launchctl's words when it refuses the job
  };
  const Case cases[] = {
      {"no record", std::nullopt, true, unreadable},
      {"a malformed record", R"(["local.plumbline")", true, unreadable},
      {"a record that is not a list", R"({"labels": ["local.plumbline"]})", true, unreadable},
      {"a list holding something else than texts", R"(["local.plumbline", 2])", true, unreadable},
      {"launchctl refuses the job", recorded, true,
       {LegacyFailureKind::bootstrap, 5, "Bootstrap failed: 5: Input/output error"}, "/bin/launchctl",
       "Bootstrap failed: 5: Input/output error\n"},
      {"launchctl cannot start", recorded, true, {LegacyFailureKind::bootstrap, -1, "No such file or directory"},
       "/no/launchctl"},
      {"neither the agent file nor its backup exists", recorded, false,
       {LegacyFailureKind::file, ENOENT, "local.plumbline.plist: No such file or directory"}},
  };
  for (const auto& c : cases) {
    World& w = rowWorld(c.launchctl);
    if (c.record) w.writeRecord(*c.record);
    if (c.backedUp) SimLaunchd::writeAgentFile(w.service.backupPath(first), first);
    if (c.refusal) w.launchd.failNextBootstrap(first, 5, c.refusal);

    EXPECT_EQ(onEnvironmentQueue([&] { return w.service.handBack(); }), std::unexpected(c.expected)) << c.reason;

    if (c.expected == unreadable) {
      EXPECT_TRUE(w.launchd.calls().empty()) << c.reason;
      EXPECT_FALSE(w.hasAgentFile(first)) << c.reason;
    }
  }
}

}  // namespace
}  // namespace tidyframe
