#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <sstream>

#include "base/json.h"
#include "base/temporary_folder.h"
#include "base/thread_dispatch.h"
#include "base/virtual_dispatch.h"
#include "legacy/legacy_service.h"
#include "posix/posix_process_runner.h"
#include "sim/sim_launchd.h"

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

std::optional<std::string> readText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> fileNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
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
  std::optional<Json> record() const {
    const auto text = readText(service.recordPath());
    if (!text) return std::nullopt;
    return parseJson(*text).value();
  }
  bool hasAgentFile(const std::string& label) const { return fs::exists(service.agentPath(label)); }

  SimLaunchd launchd;
  LegacyService service;
};

class LegacyServiceTest : public ::testing::Test {
 protected:
  LegacyServiceTest() { l.setLanguage("zh-Hans"); }
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
  L l{{}, nullptr};
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
    const fs::path statusFile = w.service.locations().legacyBase / "status.json";
    if (c.statusFile) writeText(statusFile, *c.statusFile);
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
  const std::string stuck = "旧版服务仍在运行: Boot-out failed: 36: Operation now in progress";
  struct Case {
    const char* reason;
    std::vector<std::string> agentFiles;  // each also loaded
    std::map<std::string, double> stopDelays;
    std::expected<void, LegacyFailure> expected;
    Json record;
    std::vector<std::string> agentFilesLeft;  // file names
    double seconds;  // of waiting for jobs to stop on the dispatch clock, give or take one poll
  };
  const Case cases[] = {
      {"no agent files: an empty record and nothing stopped", {}, {}, {}, Json::array(), {}, 0},
      {"both agents backed up, stopped and removed", {first, second}, {}, {}, Json::array({first, second}), {}, 0},
      {"only agents with a file are taken over", {second}, {}, {}, Json::array({second}), {}, 0},
      {"slow jobs are waited for in turn", {first, second}, {{first, 3}, {second, 1}}, {},
       Json::array({first, second}), {}, 4},
      {"a stuck job fails after 8 seconds with launchctl's words", {first, second}, {{second, SimLaunchd::never}},
       std::unexpected(LegacyFailure{LegacyFailureKind::stillLoaded, 1, stuck}), Json::array({first, second}),
       {second + ".plist"}, 8},
      {"a job slower than 8 seconds fails with the bare text", {first, second}, {{second, 20}},
       std::unexpected(LegacyFailure{LegacyFailureKind::stillLoaded, 1, "旧版服务仍在运行"}),
       Json::array({first, second}), {second + ".plist"}, 8},
  };
  for (const auto& c : cases) {
    World& w = rowWorld();
    std::map<std::string, std::optional<std::string>> originals;
    for (const auto& label : c.agentFiles) {
      w.installAgent(label);
      originals[label] = readText(w.service.agentPath(label));
    }
    for (const auto& [label, seconds] : c.stopDelays) w.launchd.setStopDelay(label, seconds);
    EXPECT_FALSE(w.service.canRestore()) << c.reason;
    const Date before = dispatch.now();

    EXPECT_EQ(onEnvironmentQueue([&] { return w.service.takeOver(); }), c.expected) << c.reason;

    const double waited = dispatch.now() - before;
    EXPECT_GE(waited, c.seconds - 1e-9) << c.reason;
    EXPECT_LE(waited, c.seconds + (c.expected ? LegacyService::stopPollInterval : 1e-9)) << c.reason;
    EXPECT_EQ(w.record(), c.record) << c.reason;
    for (const auto& [label, text] : originals) EXPECT_EQ(readText(w.service.backupPath(label)), text) << c.reason;
    EXPECT_EQ(fileNames(w.service.locations().launchAgents), c.agentFilesLeft) << c.reason;
    EXPECT_EQ(w.service.detect().running, !c.agentFilesLeft.empty()) << c.reason;
    EXPECT_TRUE(w.service.canRestore()) << c.reason;
  }
}

TEST_F(LegacyServiceTest, TheStillRunningTextIsInTheInterfaceLanguage) {
  L english({TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr);
  english.setLanguage("en");
  World englishWorld(dispatch, english, temporary.path());
  englishWorld.installAgent(first);
  englishWorld.launchd.setStopDelay(first, 20);

  const auto result = onEnvironmentQueue([&] { return englishWorld.service.takeOver(); });

  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().description, "The old version’s service is still running");
}

TEST_F(LegacyServiceTest, TakeOverStopsNothingWhenTheBackupFolderCannotBeMade) {
  writeText(temporary.path() / "storage", "a file where the storage folder should be");
  world.installAgent(first);

  const auto result = onEnvironmentQueue([&] { return world.service.takeOver(); });

  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, LegacyFailureKind::file);
  EXPECT_EQ(world.launchd.callCount("bootout"), 0u);
  EXPECT_TRUE(world.launchd.isLoaded(first));
  EXPECT_TRUE(world.hasAgentFile(first));
}

// A later take-over keeps the first backup, the one a hand-back restores, and never loses an
// agent file that changed since.
TEST_F(LegacyServiceTest, ALaterTakeOverKeepsTheFirstBackupAndEveryOtherConfiguration) {
  const std::string dated = "local.plumbline.2026-12-06-143000.plist";
  const std::string datedAgain = "local.plumbline.2026-12-06-143000-2.plist";
  struct Case {
    const char* reason;
    std::optional<std::string> editedAgent;
    std::optional<std::string> alreadyAtDatedName;
    std::vector<std::string> expectedFiles;
  };
  const std::string edited = "<plist><dict><key>Label</key><string>local.plumbline</string>"
                             "<key>StartInterval</key><integer>30</integer></dict></plist>";
  const std::vector<std::string> plain{"local.plumbline.live.plist", "local.plumbline.plist", "migration.json"};
  const Case cases[] = {
      {"an unchanged agent file needs no other copy", std::nullopt, std::nullopt, plain},
      {"an edited agent file is kept under the take-over time", edited, std::nullopt,
       {dated, "local.plumbline.live.plist", "local.plumbline.plist", "migration.json"}},
      {"a different file already at that name stays", edited, "another configuration",
       {datedAgain, dated, "local.plumbline.live.plist", "local.plumbline.plist", "migration.json"}},
      {"the same edit kept before is not copied twice", edited, edited,
       {dated, "local.plumbline.live.plist", "local.plumbline.plist", "migration.json"}},
  };
  for (const auto& c : cases) {
    World& w = rowWorld();
    const fs::path backups = w.service.locations().backupFolder;
    w.installAgent(first);
    w.installAgent(second);
    const auto firstOriginal = readText(w.service.agentPath(first));
    ASSERT_TRUE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value()) << c.reason;
    ASSERT_EQ(onEnvironmentQueue([&] { return w.service.handBack(); }), true) << c.reason;
    if (c.editedAgent) writeText(w.service.agentPath(first), *c.editedAgent);
    if (c.alreadyAtDatedName) writeText(backups / dated, *c.alreadyAtDatedName);

    EXPECT_TRUE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value()) << c.reason;

    EXPECT_EQ(fileNames(backups), c.expectedFiles) << c.reason;
    EXPECT_EQ(readText(backups / "local.plumbline.plist"), firstOriginal) << c.reason;
    if (c.alreadyAtDatedName) {
      EXPECT_EQ(readText(backups / dated), c.alreadyAtDatedName) << c.reason;
    }
    if (c.editedAgent) {
      const auto kept = c.alreadyAtDatedName && *c.alreadyAtDatedName != *c.editedAgent ? datedAgain : dated;
      EXPECT_EQ(readText(backups / kept), c.editedAgent) << c.reason;
    }
    EXPECT_EQ(w.record(), Json::array({first, second})) << c.reason;
    EXPECT_FALSE(w.hasAgentFile(first)) << c.reason;
  }
}

TEST_F(LegacyServiceTest, HandBackLoadsWhatIsNotLoaded) {
  struct Case {
    const char* reason;
    std::function<void(World&)> arrange;
    std::size_t bootstraps;
  };
  const auto takenOver = [&](World& w) {
    w.installAgent(first);
    w.installAgent(second);
    ASSERT_TRUE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value());
  };
  const Case cases[] = {
      {"after a take-over both come back", takenOver, 2},
      {"jobs already loaded are left alone",
       [](World& w) {
         w.installAgent(first);
         w.installAgent(second);
         w.writeRecord(R"(["local.plumbline", "local.plumbline.live"])");
       },
       0},
      {"a deleted LaunchAgents folder is made again",
       [&](World& w) {
         takenOver(w);
         fs::remove_all(w.service.locations().launchAgents);
       },
       2},
      {"after a failed take-over only the stopped job is loaded again",
       [&](World& w) {
         w.installAgent(first);
         w.installAgent(second);
         w.launchd.setStopDelay(second, SimLaunchd::never);
         ASSERT_FALSE(onEnvironmentQueue([&] { return w.service.takeOver(); }).has_value());
       },
       1},
  };
  for (const auto& c : cases) {
    World& w = rowWorld();
    c.arrange(w);
    const auto bootstrapsBefore = w.launchd.callCount("bootstrap");

    EXPECT_EQ(onEnvironmentQueue([&] { return w.service.handBack(); }), true) << c.reason;

    EXPECT_EQ(w.launchd.callCount("bootstrap") - bootstrapsBefore, c.bootstraps) << c.reason;
    for (const auto& label : {first, second}) {
      EXPECT_TRUE(w.hasAgentFile(label)) << c.reason;
      EXPECT_TRUE(w.launchd.isLoaded(label)) << c.reason;
    }
  }
}

TEST_F(LegacyServiceTest, HandBackIgnoresLabelsItDoesNotKnow) {
  const fs::path backups = world.service.locations().backupFolder;
  SimLaunchd::writeAgentFile(world.service.backupPath(second), second);
  SimLaunchd::writeAgentFile(backups / "local.other.plist", "local.other");
  world.writeRecord(R"(["local.other", "../../../escape", "local.plumbline.live"])");

  EXPECT_EQ(onEnvironmentQueue([&] { return world.service.handBack(); }), true);

  EXPECT_EQ(fileNames(world.service.locations().launchAgents), (std::vector<std::string>{"local.plumbline.live.plist"}));
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
