#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "app/scratch_folder.h"
#include "command/command_channel.h"
#include "model/preference_import.h"
#include "model/settings_document.h"
#include "posix/posix_process_runner.h"
#include "sim/sim_home.h"
#include "storage/activity_entry.h"
#include "storage/storage.h"

extern char** environ;

namespace tidyframe {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Rule ids of the settings each test starts from; "Reports" names two rules.
constexpr auto photosId = "6BA7B810-9DAD-11D1-80B4-00C04FD430C8";
constexpr auto cardId = "6BA7B811-9DAD-11D1-80B4-00C04FD430C8";
constexpr auto reportsId = "6BA7B812-9DAD-11D1-80B4-00C04FD430C8";
constexpr auto invoicesId = "6BA7B813-9DAD-11D1-80B4-00C04FD430C8";

LocationRule rule(const char* id, std::string name, std::string path, RuleScope scope, Grouping grouping) {
  LocationRule made;
  made.id = id;
  made.name = std::move(name);
  made.path = std::move(path);
  made.scope = scope;
  made.includeChildren = true;
  made.grouping = grouping;
  if (scope == RuleScope::device) made.volumeID = SimHome::cardUuid;
  return made;
}

Preferences seed() {
  Preferences preferences;
  preferences.language = "en";
  preferences.rules = {rule(photosId, "Photos", SimHome::pictures, RuleScope::folder, Grouping::modified),
                       rule(cardId, "SD", SimHome::card, RuleScope::device, Grouping::created),
                       rule(reportsId, "Reports", SimHome::reports, RuleScope::folder, Grouping::tags),
                       rule(invoicesId, "Reports", SimHome::invoices, RuleScope::folder, Grouping::size)};
  preferences.rules[0].bookmark = Bytes{'b', 'm'};
  preferences.rules[0].view = FinderViewChoice::list;
  preferences.view = FinderViewChoice::icon;
  return preferences;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The program itself, as a person or a setup script runs it, in a home of its own: each test
// has its own storage folder and its own channel. `running()` starts the application in the
// background (Qt offscreen, the simulated Mac), as a person would.
class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    environment_ = {"HOME=" + folder.path().string(), "XDG_DATA_HOME=" + (folder.path() / "data").string(),
                    "XDG_CONFIG_HOME=" + (folder.path() / "config").string(),
                    "XDG_RUNTIME_DIR=" + (folder.path() / "run").string(), "QT_QPA_PLATFORM=offscreen",
                    "LC_ALL=C.UTF-8", "PATH=/usr/bin:/bin"};
    std::filesystem::create_directories(folder.path() / "run");
    std::filesystem::permissions(folder.path() / "run", std::filesystem::perms::owner_all);
    ASSERT_TRUE(Storage::save(seed(), storage() / Storage::preferencesFile));
  }
  void TearDown() override { stop(); }

  std::filesystem::path storage() const { return folder.path() / "data" / "Tidyframe"; }
  Preferences settings() const { return Storage::read<Preferences>(storage() / Storage::preferencesFile).value_or(Preferences{}); }
  std::vector<ActivityEntry> activity() const {
    return Storage::read<std::vector<ActivityEntry>>(storage() / Storage::activityFile).value_or(std::vector<ActivityEntry>{});
  }

  pid_t spawn(const std::vector<std::string>& arguments, const std::string& name) {
    std::vector<std::string> words{TIDYFRAME_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environment_) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const auto out = (folder.path() / (name + ".out")).string();
    const auto err = (folder.path() / (name + ".err")).string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }
  Outcome finish(pid_t pid, const std::string& name) {
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return {};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(folder.path() / (name + ".out")),
            readFile(folder.path() / (name + ".err"))};
  }
  Outcome run(const std::vector<std::string>& arguments) { return finish(spawn(arguments, "run"), "run"); }

  std::filesystem::path socket() const {
    return CommandChannel::socketPath(folder.path() / "run", storage()).value_or("");
  }
  // Starts the application and waits until it answers on its channel.
  void start() {
    application_ = spawn({}, "application");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!CommandChannel::ask(socket(), CommandRequest{}) && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  // Quits as the panel's Quit does: every pending save is written.
  void stop() {
    if (application_ <= 0) return;
    ::kill(application_, SIGTERM);
    finish(application_, "application");
    application_ = -1;
  }

  ScratchFolder folder{"tidyframe-cli-"};
  std::vector<std::string> environment_;
  pid_t application_ = -1;
};

// The same steps against the running application (true) and against none (false).
class SubcommandsTest : public ProgramTest, public testing::WithParamInterface<bool> {
 protected:
  void startIfRunning() {
    if (GetParam()) start();
  }
};

std::string running(bool running, std::string whenRunning, std::string otherwise) {
  return running ? whenRunning : otherwise;
}

// Each subcommand once, in order, against the running application and against none: the same
// output, exit status and settings document either way (the master switch says where it takes
// effect). New rules get new ids, which the output names as "<new>".
TEST_P(SubcommandsTest, EachSubcommandChangesTheSettingsAsThePanelDoes) {
  startIfRunning();
  const bool app = GetParam();
  using Edit = std::function<void(Preferences&)>;
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::string output;
    Edit edit;
  };
  const auto noChange = [](Preferences&) {};
  const std::string list =
      "NAME     PLACE                                               SCOPE   SUBFOLDERS  ENABLED  EXCLUDED  GROUPING  SORTING  VIEW     ID\n"
      "Photos   /Users/demo/Pictures                                folder  yes         yes      no        modified  name     list     6BA7B810-9DAD-11D1-80B4-00C04FD430C8\n"
      "SD       /Volumes/SD (5E1D7A2C-3B44-4E0B-9C9A-1F6E2D3C4B5A)  device  yes         yes      no        created   name     default  6BA7B811-9DAD-11D1-80B4-00C04FD430C8\n"
      "Reports  /Users/demo/Documents/Reports                       folder  yes         yes      no        tags      name     default  6BA7B812-9DAD-11D1-80B4-00C04FD430C8\n"
      "Reports  /Users/demo/Documents/Reports/Invoices              folder  yes         yes      no        size      name     default  6BA7B813-9DAD-11D1-80B4-00C04FD430C8\n";
  const Row rows[] = {
      {{"rules", "list"}, 0, list, noChange},
      {{"status"}, 0,
       running(app,
               "application      running\nengine           off\naccessibility    granted\nautomation       granted\n"
               "earlier service  not running\ncurrent folder   none\n",
               "application  not running\nengine       off\n"),
       noChange},
      {{"rules", "explain", SimHome::holidays}, 0,
       "folder    /Users/demo/Pictures/Holidays 2026\ngrouping  modified\nsorting   name\nview      list\nexcluded  no\n"
       "source    folder rule \"Photos\" (6BA7B810-9DAD-11D1-80B4-00C04FD430C8)\n",
       noChange},
      {{"rules", "explain", "/Volumes/SD/DCIM/../DCIM"}, 0,
       "folder    /Volumes/SD/DCIM\ngrouping  created\nsorting   name\nview      icon\nexcluded  no\n"
       "source    device rule \"SD\" (6BA7B811-9DAD-11D1-80B4-00C04FD430C8)\n",
       noChange},
      {{"rules", "explain", SimHome::invoices + "/2026"}, 0,
       "folder    /Users/demo/Documents/Reports/Invoices/2026\ngrouping  size\nsorting   name\nview      icon\nexcluded  no\n"
       "source    folder rule \"Reports\" (6BA7B813-9DAD-11D1-80B4-00C04FD430C8)\npassed over\n"
       "  \"Reports\" (6BA7B812-9DAD-11D1-80B4-00C04FD430C8): \"Reports\" is deeper\n",
       noChange},
      {{"rules", "add", SimHome::downloads, "--group", "size", "--sort", "added", "--view", "column", "--no-subfolders"}, 0,
       "added rule \"Downloads\" (<new>)\n",
       [](Preferences& p) {
         auto added = rule("", "Downloads", SimHome::downloads, RuleScope::folder, Grouping::size);
         added.sorting = Sorting::added;
         added.includeChildren = false;
         added.view = FinderViewChoice::column;
         p.rules.push_back(added);
       }},
      {{"rules", "add", SimHome::downloads + "/"}, 1, "", noChange},
      {{"rules", "add", "/Volumes/SD", "--device"}, 1, "", noChange},
      {{"rules", "set", "Reports", "--sort", "size"}, 1, "", noChange},
      {{"rules", "set", SimHome::reports, "--group", "none", "--name", "  Work  "}, 0,
       "changed rule \"Work\" (6BA7B812-9DAD-11D1-80B4-00C04FD430C8)\n",
       [](Preferences& p) { p.rules[2].grouping = Grouping::none, p.rules[2].name = "Work"; }},
      {{"rules", "disable", "Photos"}, 0, "disabled rule \"Photos\" (6BA7B810-9DAD-11D1-80B4-00C04FD430C8)\n",
       [](Preferences& p) { p.rules[0].enabled = false; }},
      {{"rules", "set", photosId, "--view", "default"}, 0, "changed rule \"Photos\" (6BA7B810-9DAD-11D1-80B4-00C04FD430C8)\n",
       [](Preferences& p) { p.rules[0].view.reset(); }},
      {{"rules", "set", photosId, "--view", "flow"}, 2, "", noChange},
      {{"rules", "remove", "6ba7b813-9dad-11d1-80b4-00c04fd430c8"}, 0,
       "removed rule \"Reports\" (6BA7B813-9DAD-11D1-80B4-00C04FD430C8)\n",
       [](Preferences& p) { p.rules.erase(p.rules.begin() + 3); }},
      {{"rules", "enable", "Nowhere"}, 1, "", noChange},
      {{"rules", "add", "/Users/demo/Music", "--group", "colour"}, 2, "", noChange},
      {{"rules", "set", "Work"}, 2, "", noChange},
      {{"rules", "import", "/nonexistent/rules.json", "--yes"}, 1, "", noChange},
      {{"on"}, 0,
       running(app, "automatic arrangement is on\n",
               "automatic arrangement is on; Tidyframe is not running, so it takes effect at its next launch\n"),
       [](Preferences& p) { p.engineEnabled = true; }},
  };
  auto expected = seed();
  for (const auto& row : rows) {
    const auto before = settings();
    const auto result = run(row.arguments);
    row.edit(expected);
    auto actual = settings();
    std::string output = result.out;
    for (std::size_t i = 0; i < expected.rules.size() && i < actual.rules.size(); ++i) {
      if (!expected.rules[i].id.empty()) continue;
      expected.rules[i].id = actual.rules[i].id;
      if (const auto at = output.find(actual.rules[i].id); at != std::string::npos) output.replace(at, 36, "<new>");
    }
    const auto command = testing::PrintToString(row.arguments);
    EXPECT_EQ(result.status, row.status) << command << "\n" << result.err;
    EXPECT_EQ(output, row.output) << command;
    EXPECT_EQ(result.err.empty(), row.status == 0) << command << ": one line on standard error when not done\n" << result.err;
    EXPECT_EQ(actual, expected) << command;
  }
  stop();
  EXPECT_EQ(settings(), expected) << "the application wrote nothing else on quitting";
}

// The error rows that need a place of their own: a storage folder below a regular file.
TEST_F(ProgramTest, AStorageFolderThatCannotBeWrittenFailsTheChange) {
  std::ofstream(folder.path() / "file") << "not a folder";
  environment_[1] = "XDG_DATA_HOME=" + (folder.path() / "file").string();
  const auto result = run({"rules", "add", SimHome::downloads});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.err.starts_with("tidyframe: cannot use the storage folder ")) << result.err;
  EXPECT_EQ(run({"rules", "list"}).out, "no rules\n") << "reading needs no folder";
}

// The file exported from the panel, imported back over changed settings, restores them in their
// portable form; the backup holds what was replaced and the log says so, as after the panel's
// import. Without --yes it only tells.
TEST_P(SubcommandsTest, ImportOfAnExportRestoresThePortableSettings) {
  auto original = seed();
  original.engineEnabled = true;
  original.grouping = Grouping::tags;
  ASSERT_TRUE(Storage::save(original, storage() / Storage::preferencesFile));
  const auto file = folder.path() / "Tidyframe rules.json";
  ASSERT_TRUE(Storage::save(PreferenceImport::portable(original), file));
  startIfRunning();
  ASSERT_EQ(run({"rules", "remove", photosId}).status, 0);
  ASSERT_EQ(run({"rules", "set", cardId, "--exclude"}).status, 0);
  const auto changed = settings();

  const auto preview = run({"rules", "import", file.string()});
  EXPECT_EQ(preview.status, 0);
  EXPECT_EQ(preview.out, "importing " + file.string() + " would replace the settings with 4 rules:\n"
                         "  add \"Photos\" (6BA7B810-9DAD-11D1-80B4-00C04FD430C8) /Users/demo/Pictures\n"
                         "  change \"SD\" (6BA7B811-9DAD-11D1-80B4-00C04FD430C8)\n"
                         "nothing was changed; add --yes to import (the settings are backed up first)\n");
  EXPECT_EQ(settings(), changed);
  EXPECT_FALSE(Storage::exists(storage() / Storage::importBackupFile));

  const auto imported = run({"rules", "import", file.string(), "--yes"});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "imported 4 rules; the previous settings are in before-import.json\n");
  auto expected = PreferenceImport::portable(original);
  expected.engineEnabled = true;
  EXPECT_EQ(settings(), expected);
  EXPECT_EQ(Storage::read<Preferences>(storage() / Storage::importBackupFile), changed);
  const auto log = activity();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(std::tie(log[0].title, log[0].detail, log[0].path, log[0].success),
            std::make_tuple(std::string("Rules imported"), std::string("Previous settings backed up as before-import.json"),
                            std::optional<std::string>(), true));
}

// Several scripts at once, and a script that runs while the application starts: every change
// arrives, whichever way each one went.
TEST_P(SubcommandsTest, ConcurrentSubcommandsAndAStartingApplicationLoseNoChange) {
  if (GetParam()) application_ = spawn({}, "application");
  constexpr int count = 6;
  std::vector<pid_t> scripts;
  for (int i = 0; i < count; ++i) {
    scripts.push_back(spawn({"rules", "add", "/Users/demo/Folder " + std::to_string(i)}, "script" + std::to_string(i)));
  }
  for (int i = 0; i < count; ++i) {
    const auto result = finish(scripts[static_cast<std::size_t>(i)], "script" + std::to_string(i));
    EXPECT_EQ(result.status, 0) << result.err;
  }
  stop();
  const auto rules = settings().rules;
  ASSERT_EQ(rules.size(), seed().rules.size() + count);
  for (int i = 0; i < count; ++i) {
    EXPECT_TRUE(std::ranges::any_of(rules, [&](const auto& r) { return r.name == "Folder " + std::to_string(i); })) << i;
  }
}

// Bytes from any process of the user reach the application's own reader: each gets an error
// answer and no rule changes. (The decoder's field checks have their own table.)
TEST_F(ProgramTest, HostileRequestsChangeNothing) {
  start();
  const auto before = settings();
  const std::string forged = R"({"command":"rules remove","json":false,"rule":"00000000-0000-4000-8000-000000000000"})";
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  struct Case {
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {std::string(64u << 20, 'x') + "\n", "64 MiB: read no further than the limit"},
      {deep + "\n", "deep nesting"},
      {R"({"command":"rules add","json":false,"path":"/Users/demo/)" + std::string("\xC3\x28") + R"("})" "\n", "invalid UTF-8"},
      {forged + "\n", "a forged rule id"},
      {R"({"command":"format disk"})" "\n", "an unknown command"},
  };
  for (const auto& c : cases) {
    const auto received = CommandChannel::exchange(socket(), c.bytes);
    ASSERT_TRUE(received) << c.reason;
    const auto answer = CommandMessages::decodeAnswer(std::string_view(*received).substr(0, received->size() - 1));
    ASSERT_TRUE(answer) << c.reason << ": " << *received;
    EXPECT_EQ(answer->status, 1) << c.reason;
    EXPECT_TRUE(answer->output.empty()) << c.reason;
    EXPECT_EQ(settings(), before) << c.reason;
  }
  EXPECT_EQ(run({"rules", "list", "--json"}).status, 0) << "the application still answers";
  stop();
  EXPECT_EQ(settings(), before);
}

TEST_F(ProgramTest, CompletionScriptsAreValidShell) {
  PosixProcessRunner shells;
  for (const std::string shell : {"bash", "zsh"}) {
    const auto script = run({"completions", shell});
    ASSERT_EQ(script.status, 0);
    std::ofstream(folder.path() / shell) << script.out;
    const auto checked = shells.command("/usr/bin/" + shell, {"-n", (folder.path() / shell).string()}, 10);
    EXPECT_EQ(checked, (CommandResult{0, ""})) << shell;
  }
}

INSTANTIATE_TEST_SUITE_P(Subcommands, SubcommandsTest, testing::Bool(),
                         [](const auto& test) { return test.param ? "WithTheApplication" : "WithoutIt"; });

}  // namespace
}  // namespace tidyframe
