#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "command/command_channel.h"
#include "command/rule_explanation.h"
#include "command/subcommand_line.h"
#include "i18n/l.h"
#include "model/rule_resolver.h"

namespace tidyframe {
namespace {

LocationRule rule(std::string name, std::string path, RuleScope scope, Grouping grouping, bool children = true) {
  LocationRule made;
  made.name = std::move(name);
  made.path = std::move(path);
  made.scope = scope;
  made.includeChildren = children;
  made.grouping = grouping;
  return made;
}

// The explanation must name the rule resolution picks, with its arrangement, in every case
// resolution distinguishes; the rules it passed over are those that apply but lost.
TEST(RuleExplanation, AgreesWithResolutionAndNamesTheLosers) {
  Preferences preferences;
  preferences.view = FinderViewChoice::icon;
  auto card = rule("SD", "/Volumes/SD", RuleScope::device, Grouping::created);
  card.volumeID = "A";
  auto photos = rule("Photos", "/Volumes/Renamed/DCIM", RuleScope::folder, Grouping::modified);
  photos.view = FinderViewChoice::list;
  auto day2 = rule("Day 2", "/Volumes/Renamed/DCIM/Day2", RuleScope::folder, Grouping::tags);
  auto twin = rule("Twin", "/Volumes/Renamed/DCIM", RuleScope::folder, Grouping::size);
  auto off = rule("Off", "/Volumes/Renamed/DCIM/Day2", RuleScope::folder, Grouping::name);
  off.enabled = false;
  preferences.rules = {card, photos, day2, twin, off};
  const L l({TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr);
  struct Case {
    std::string path;
    std::optional<std::string> volume;
    bool external;
    std::optional<std::string> winner;
    std::vector<std::string> passedOver;
    const char* reason;
  };
  const Case cases[] = {
      {"/Volumes/Renamed/DCIM/A", "A", true, "Photos", {"SD", "Twin"}, "a folder rule beats the device; the first of equals wins"},
      {"/Volumes/Renamed/DCIM/Day2/A", "A", true, "Day 2", {"SD", "Photos", "Twin", "Off"}, "the deepest wins; disabled is passed over"},
      {"/Volumes/Renamed/DCIM-extra", "A", true, "SD", {}, "component boundary: only the device applies"},
      {"/Users/demo", std::nullopt, false, std::nullopt, {}, "nothing applies: the global default"},
      {"/Volumes/Renamed/DCIM", "A", false, "Photos", {"SD", "Twin"}, "internal volumes still arranged"},
  };
  for (const auto& c : cases) {
    const auto explained = explainRule(c.path, c.volume, c.external, preferences);
    const auto resolved = RuleResolver::resolve(c.path, c.volume, c.external, preferences, l);
    EXPECT_EQ(explained.winner ? std::optional(explained.winner->name) : std::nullopt, c.winner) << c.reason;
    EXPECT_EQ((EffectiveRule{explained.grouping, explained.sorting, c.winner.value_or(l.t("全局默认")), explained.excluded,
                             explained.view}),
              resolved)
        << c.reason;
    std::vector<std::string> lost;
    for (const auto& passed : explained.passedOver) lost.push_back(passed.rule.name);
    EXPECT_EQ(lost, c.passedOver) << c.reason;
  }
  preferences.externalEnabled = false;
  const auto switchedOff = explainRule("/Volumes/Renamed/DCIM/A", "A", true, preferences);
  EXPECT_EQ(std::tie(switchedOff.source, switchedOff.excluded, switchedOff.view),
            std::make_tuple(RuleExplanation::Source::scopeSwitchedOff, true, FinderViewChoice::keep));
  EXPECT_EQ(switchedOff.passedOver.size(), 3u) << "every applying enabled rule is passed over, with the reason";
}

// Usage errors are named; what parses carries absolute paths and is what the decoder accepts.
TEST(SubcommandLine, ParsesOrNamesTheMistake) {
  using Words = std::vector<std::string_view>;
  struct Case {
    Words words;
    std::string error;
    const char* reason;
  };
  const Case cases[] = {
      {{"rules"}, "'rules' needs a command: list, explain, add, set, enable, disable, remove, export or import", "bare"},
      {{"rules", "rename", "x"}, "unknown command 'rules rename'", "unknown second word"},
      {{"rules", "add", "a", "--json", "--json"}, "'--json' given twice", "repeated option"},
      {{"rules", "add", "a", "--name"}, "'--name' needs a value", "missing value"},
      {{"rules", "list", "--yes"}, "unknown option '--yes' for 'rules list'", "option of another command"},
      {{"rules", "add"}, "'rules add' needs one PATH", "missing operand"},
      {{"status", "now"}, "'status' takes no 'now'", "extra operand"},
      {{"activity", "-n", "0"}, "-n takes a number from 1 to 500", "count below range"},
      {{"activity", "-n", "99999999999"}, "-n takes a number from 1 to 500", "count that would overflow"},
      {{"rules", "add", "a", "--view", "flow"}, "'flow' is no value of --view (one of: keep icon list column gallery) or default",
       "a scripting term is no view name"},
      {{"rules", "set", "x", "--name", "a\rb"}, "", "control characters are refused, not sent"},
      {{"completions", "fish"}, "'completions' takes one shell: bash or zsh", "unknown shell"},
  };
  for (const auto& c : cases) {
    const auto parsed = SubcommandLine::parse(c.words, "/Users/demo");
    ASSERT_FALSE(parsed) << c.reason;
    if (!c.error.empty()) {
      EXPECT_EQ(parsed.error(), c.error) << c.reason;
    }
  }
  const Words help{"rules", "add", "--help"};
  EXPECT_EQ(SubcommandLine::parse(help, "/")->kind, SubcommandLine::Parsed::Kind::help) << "--help anywhere";
  const Words add{"rules", "add", "../Pictures/./Holidays", "--view", "default", "--exclude"};
  const auto parsed = SubcommandLine::parse(add, "/Users/demo/Documents");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->request.path, "/Users/demo/Pictures/Holidays");
  EXPECT_EQ(parsed->request.changes.view, std::optional<std::optional<FinderViewChoice>>(std::in_place)) << "default: no view of its own";
  auto line = CommandMessages::encode(parsed->request);
  line.pop_back();
  EXPECT_EQ(CommandMessages::decodeRequest(line), parsed->request) << "what the program sends, the application reads";
}

// Each field is checked on its own; the first problem is named and nothing is taken.
TEST(CommandMessages, DecoderRefusesEveryMalformedField) {
  const char* cases[] = {
      R"({"json":true})",
      R"({"command":"rules add","path":"/a"} {})",
      R"({"command":"rules list","json":"yes"})",
      R"({"command":"activity","count":2.5})",
      R"({"command":"activity","count":501})",
      R"({"command":"rules set","rule":"x"})",
      R"({"command":"rules set","rule":"x","view":"flow"})",
      R"({"command":"rules list","path":"/a"})",
      R"({"command":"rules list","grouping":"kind"})",
      R"({"command":"rules add","path":"/a\u0000b"})",
      R"({"command":"rules import","path":""})",
      R"(["rules list"])",
  };
  for (const char* text : cases) EXPECT_FALSE(CommandMessages::decodeRequest(text)) << text;
  EXPECT_FALSE(CommandMessages::decodeRequest(std::string(CommandMessages::maximumRequestSize + 1, ' ')));
}

// The channel's folder is the user's alone, whatever was there before; a runtime folder too
// deep for a socket gives way to /tmp.
TEST(CommandChannel, SocketFolderIsTheUsersAlone) {
  const auto base = std::filesystem::temp_directory_path() / ("tidyframe-channel-" + std::to_string(::getpid()));
  std::filesystem::create_directories(base);
  const auto folder = base / ("tidyframe-" + std::to_string(::geteuid()));
  std::filesystem::create_directory(folder);
  ::chmod(folder.c_str(), 0777);
  const auto socket = CommandChannel::socketPath(base, "/Users/demo/Library/Application Support/Tidyframe");
  ASSERT_TRUE(socket) << socket.error();
  EXPECT_EQ(socket->parent_path(), folder);
  struct stat status {};
  ::stat(folder.c_str(), &status);
  EXPECT_EQ(status.st_mode & 0777, 0700u) << "a folder left open to others is closed";
  EXPECT_NE(CommandChannel::socketPath(base, "/elsewhere"), socket) << "another storage folder, another socket";

  ASSERT_EQ(::chown(folder.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)), 0);
  EXPECT_FALSE(CommandChannel::socketPath(base, "/Users/demo")) << "another user's folder is not used";
  std::filesystem::remove(folder);
  std::filesystem::create_directory_symlink(base, folder);
  EXPECT_FALSE(CommandChannel::socketPath(base, "/Users/demo")) << "nor a link to some other folder";

  const auto deep = base / std::string(80, 'd');
  std::filesystem::create_directories(deep);
  const auto fallback = CommandChannel::socketPath(deep, "/Users/demo");
  ASSERT_TRUE(fallback);
  EXPECT_TRUE(fallback->string().starts_with("/tmp/tidyframe-"));
  EXPECT_LE(fallback->string().size(), CommandChannel::maximumSocketPath);
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace tidyframe
