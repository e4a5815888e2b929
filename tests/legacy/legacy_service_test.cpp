#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "base/json.h"
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

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "tidyframe-legacy-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TemporaryFolder() { fs::remove_all(path_); }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

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
  double elapsed() const { return dispatch.now() - start; }

  TemporaryFolder temporary;
  VirtualDispatch dispatch{start};
  L l{{}, nullptr};
  std::shared_ptr<DispatchQueue> environment = dispatch.makeSerialQueue("Tidyframe.environment");
  World world{dispatch, l, temporary.path()};
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
  int row = 0;
  for (const auto& c : cases) {
    World rowWorld(dispatch, l, temporary.path() / std::to_string(++row), c.launchctl);
    for (const auto& label : c.loaded) rowWorld.installAgent(label);
    const fs::path statusFile = rowWorld.service.locations().legacyBase / "status.json";
    if (c.statusFile) writeText(statusFile, *c.statusFile);
    EXPECT_EQ(onEnvironmentQueue([&] { return rowWorld.service.detect(); }), c.expected) << c.reason;
  }
}

TEST_F(LegacyServiceTest, DetectsThroughARealLaunchctl) {
  const fs::path stub = temporary.path() / "launchctl";
  writeText(stub, "#!/bin/sh\n"
                  "[ \"$1 $2\" = \"print gui/501/local.plumbline.live\" ] && { echo 'state = running'; exit 0; }\n"
                  "echo 'Could not find service' >&2; exit 113\n");
  fs::permissions(stub, fs::perms::owner_all);
  PosixProcessRunner runner;
  auto locations = LegacyLocations::standard(temporary.path() / "home", temporary.path() / "storage", user);
  locations.launchctl = stub.string();
  LegacyService service(runner, dispatch, l, locations);
  EXPECT_EQ(service.detect(), (LegacyDetection{true, 0}));
}

TEST_F(LegacyServiceTest, StandardLocations) {
  const auto locations = LegacyLocations::standard("/Users/ana", "/Users/ana/Library/Application Support/Tidyframe", 502);
  EXPECT_EQ(locations, (LegacyLocations{"/bin/launchctl", "/Users/ana/Library/LaunchAgents",
                                        "/Users/ana/Library/Application Support/Plumbline",
                                        "/Users/ana/Library/Application Support/Tidyframe/legacy-backup", 502}));
}

TEST_F(LegacyServiceTest, TakeOverWithoutAgentFilesWritesAnEmptyRecord) {
  EXPECT_FALSE(world.service.canRestore());
  EXPECT_TRUE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());
  EXPECT_EQ(world.record(), Json::array());
  EXPECT_EQ(world.launchd.callCount("bootout"), 0u);
  EXPECT_TRUE(world.service.canRestore());
}

TEST_F(LegacyServiceTest, TakeOverBacksUpStopsAndRemovesBothAgents) {
  world.installAgent(first);
  world.installAgent(second);
  const auto original = readText(world.service.agentPath(second));

  EXPECT_TRUE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());

  EXPECT_EQ(world.record(), Json::array({first, second}));
  EXPECT_EQ(readText(world.service.backupPath(second)), original);
  EXPECT_FALSE(world.hasAgentFile(first));
  EXPECT_FALSE(world.hasAgentFile(second));
  EXPECT_EQ(world.service.detect(), (LegacyDetection{false, 0}));
  EXPECT_EQ(elapsed(), 0);
}

TEST_F(LegacyServiceTest, TakeOverRecordsOnlyTheAgentFilesThatExist) {
  world.installAgent(second);
  world.launchd.load(first, world.service.agentPath(first));  // loaded, but its file is gone

  EXPECT_TRUE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());

  EXPECT_EQ(world.record(), Json::array({second}));
  EXPECT_EQ(fileNames(world.service.locations().backupFolder), (std::vector<std::string>{"local.plumbline.live.plist", "migration.json"}));
  EXPECT_TRUE(world.launchd.isLoaded(first));
}

TEST_F(LegacyServiceTest, TakeOverWaitsForSlowJobsInTurn) {
  world.installAgent(first);
  world.installAgent(second);
  world.launchd.setStopDelay(first, 3);
  world.launchd.setStopDelay(second, 1);

  EXPECT_TRUE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());

  EXPECT_FALSE(world.hasAgentFile(first));
  EXPECT_FALSE(world.hasAgentFile(second));
  EXPECT_GE(elapsed(), 4);
  EXPECT_LE(elapsed(), 4 + 2 * LegacyService::stopPollInterval + 1e-9);
}

TEST_F(LegacyServiceTest, AJobThatDoesNotStopFailsTheTakeOverAfterEightSeconds) {
  struct Case {
    const char* reason;
    double stopDelay;
    std::string description;
  };
  const Case cases[] = {
      {"bootout gives up and says why", SimLaunchd::never,
       "旧版服务仍在运行: Boot-out failed: 36: Operation now in progress"},
      {"bootout says nothing, the job just takes too long", 20, "旧版服务仍在运行"},
  };
  int row = 0;
  for (const auto& c : cases) {
    World rowWorld(dispatch, l, temporary.path() / std::to_string(++row));
    rowWorld.installAgent(first);
    rowWorld.installAgent(second);
    rowWorld.launchd.setStopDelay(second, c.stopDelay);
    const Date before = dispatch.now();

    const auto result = onEnvironmentQueue([&] { return rowWorld.service.takeOver(); });

    EXPECT_EQ(result, std::unexpected(LegacyFailure{LegacyFailureKind::stillLoaded, 1, c.description})) << c.reason;
    EXPECT_NEAR(dispatch.now() - before, LegacyService::stopTimeout, 1e-6) << c.reason;
    EXPECT_FALSE(rowWorld.hasAgentFile(first)) << c.reason;
    EXPECT_TRUE(rowWorld.hasAgentFile(second)) << "the file of a job still loaded stays: " << c.reason;
    EXPECT_TRUE(rowWorld.service.canRestore()) << c.reason;
  }
}

TEST_F(LegacyServiceTest, TheStillRunningTextIsInTheInterfaceLanguage) {
  L english({TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr);
  english.setLanguage("en");
  SimLaunchd launchd(dispatch, user);
  LegacyService service(launchd, dispatch, english, world.service.locations());
  world.installAgent(first);
  launchd.load(first, service.agentPath(first));
  launchd.setStopDelay(first, SimLaunchd::never);

  const auto result = onEnvironmentQueue([&] { return service.takeOver(); });

  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().description, english.t("旧版服务仍在运行") + ": Boot-out failed: 36: Operation now in progress");
  EXPECT_NE(english.t("旧版服务仍在运行"), "旧版服务仍在运行");
}

TEST_F(LegacyServiceTest, WaitingForAJobLeavesOtherQueuesRunning) {
  world.installAgent(first);
  world.launchd.setStopDelay(first, SimLaunchd::never);
  std::optional<Date> mainRanAt;
  dispatch.main().asyncAfter(1, [&] { mainRanAt = dispatch.now(); });

  EXPECT_FALSE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());

  EXPECT_EQ(mainRanAt, start + 1);
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
  int row = 0;
  for (const auto& c : cases) {
    World rowWorld(dispatch, l, temporary.path() / std::to_string(++row));
    const fs::path backups = rowWorld.service.locations().backupFolder;
    rowWorld.installAgent(first);
    rowWorld.installAgent(second);
    const auto firstOriginal = readText(rowWorld.service.agentPath(first));
    ASSERT_TRUE(onEnvironmentQueue([&] { return rowWorld.service.takeOver(); }).has_value()) << c.reason;
    ASSERT_EQ(onEnvironmentQueue([&] { return rowWorld.service.handBack(); }), true) << c.reason;
    if (c.editedAgent) writeText(rowWorld.service.agentPath(first), *c.editedAgent);
    if (c.alreadyAtDatedName) writeText(backups / dated, *c.alreadyAtDatedName);

    EXPECT_TRUE(onEnvironmentQueue([&] { return rowWorld.service.takeOver(); }).has_value()) << c.reason;

    EXPECT_EQ(fileNames(backups), c.expectedFiles) << c.reason;
    EXPECT_EQ(readText(backups / "local.plumbline.plist"), firstOriginal) << c.reason;
    if (c.alreadyAtDatedName) {
      EXPECT_EQ(readText(backups / dated), c.alreadyAtDatedName) << c.reason;
    }
    if (c.editedAgent) {
      const auto kept = c.alreadyAtDatedName && *c.alreadyAtDatedName != *c.editedAgent ? datedAgain : dated;
      EXPECT_EQ(readText(backups / kept), c.editedAgent) << c.reason;
    }
    EXPECT_EQ(rowWorld.record(), Json::array({first, second})) << c.reason;
    EXPECT_FALSE(rowWorld.hasAgentFile(first)) << c.reason;
  }
}

TEST_F(LegacyServiceTest, HandBackRestoresTheAgentFilesAndLoadsTheJobs) {
  world.installAgent(first);
  world.installAgent(second);
  const auto original = readText(world.service.agentPath(first));
  ASSERT_TRUE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());

  EXPECT_EQ(onEnvironmentQueue([&] { return world.service.handBack(); }), true);

  EXPECT_EQ(readText(world.service.agentPath(first)), original);
  EXPECT_TRUE(world.launchd.isLoaded(first));
  EXPECT_TRUE(world.launchd.isLoaded(second));
}

TEST_F(LegacyServiceTest, HandBackWhenTheJobsAreLoadedBootstrapsNothing) {
  world.installAgent(first);
  world.installAgent(second);
  world.writeRecord(R"(["local.plumbline", "local.plumbline.live"])");

  EXPECT_EQ(onEnvironmentQueue([&] { return world.service.handBack(); }), true);

  EXPECT_EQ(world.launchd.callCount("bootstrap"), 0u);
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

TEST_F(LegacyServiceTest, HandBackWithoutAReadableRecordTouchesNothing) {
  struct Case {
    const char* reason;
    std::optional<std::string> record;
  };
  const Case cases[] = {
      {"no record", std::nullopt},
      {"malformed", R"(["local.plumbline")"},
      {"not a list", R"({"labels": ["local.plumbline"]})"},
      {"a list holding something else than texts", R"(["local.plumbline", 2])"},
  };
  int row = 0;
  for (const auto& c : cases) {
    World rowWorld(dispatch, l, temporary.path() / std::to_string(++row));
    SimLaunchd::writeAgentFile(rowWorld.service.backupPath(first), first);
    if (c.record) rowWorld.writeRecord(*c.record);

    const auto result = onEnvironmentQueue([&] { return rowWorld.service.handBack(); });

    ASSERT_FALSE(result.has_value()) << c.reason;
    EXPECT_EQ(result.error().kind, LegacyFailureKind::recordUnreadable) << c.reason;
    EXPECT_TRUE(rowWorld.launchd.calls().empty()) << c.reason;
    EXPECT_FALSE(rowWorld.hasAgentFile(first)) << c.reason;
  }
}

TEST_F(LegacyServiceTest, HandBackFailures) {
  struct Case {
    const char* reason;
    std::function<void(World&)> arrange;
    LegacyFailure expected;
    std::string launchctl = "/bin/launchctl";
  };
  const Case cases[] = {
      {"launchctl refuses the job",
       [](World& w) {
         SimLaunchd::writeAgentFile(w.service.backupPath(first), first);
         w.launchd.failNextBootstrap(first, 5, "Bootstrap failed: 5: Input/output error\n");
       },
       {LegacyFailureKind::bootstrap, 5, "Bootstrap failed: 5: Input/output error"}},
      {"launchctl cannot start",
       [](World& w) { SimLaunchd::writeAgentFile(w.service.backupPath(first), first); },
       {LegacyFailureKind::bootstrap, -1, "No such file or directory"},
       "/no/launchctl"},
      {"neither the agent file nor its backup exists", [](World&) {},
       {LegacyFailureKind::file, ENOENT, "local.plumbline.plist: No such file or directory"}},
  };
  int row = 0;
  for (const auto& c : cases) {
    World rowWorld(dispatch, l, temporary.path() / std::to_string(++row), c.launchctl);
    rowWorld.writeRecord(R"(["local.plumbline"])");
    c.arrange(rowWorld);
    EXPECT_EQ(onEnvironmentQueue([&] { return rowWorld.service.handBack(); }), std::unexpected(c.expected))
        << c.reason;
  }
}

TEST_F(LegacyServiceTest, HandBackRecreatesADeletedLaunchAgentsFolder) {
  world.installAgent(first);
  ASSERT_TRUE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());
  fs::remove_all(world.service.locations().launchAgents);

  EXPECT_EQ(onEnvironmentQueue([&] { return world.service.handBack(); }), true);

  EXPECT_TRUE(world.hasAgentFile(first));
  EXPECT_TRUE(world.launchd.isLoaded(first));
}

// What the engine does after a failed take-over: hand back at once, without asking.
TEST_F(LegacyServiceTest, HandBackAfterAFailedTakeOverRestoresWhatWasStopped) {
  world.installAgent(first);
  world.installAgent(second);
  world.launchd.setStopDelay(second, SimLaunchd::never);
  ASSERT_FALSE(onEnvironmentQueue([&] { return world.service.takeOver(); }).has_value());
  ASSERT_FALSE(world.launchd.isLoaded(first));

  EXPECT_EQ(onEnvironmentQueue([&] { return world.service.handBack(); }), true);

  EXPECT_TRUE(world.launchd.isLoaded(first));
  EXPECT_TRUE(world.launchd.isLoaded(second));
  EXPECT_EQ(world.launchd.callCount("bootstrap"), 1u);
  EXPECT_EQ(world.service.detect(), (LegacyDetection{true, 0}));
}

}  // namespace
}  // namespace tidyframe
