#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/fixture_text.h"
#include "i18n/string_table.h"
#include "platform/apple_script_host.h"

namespace tidyframe {
namespace {

using test_support::fixtureText;

std::vector<std::string> titles(std::span<const std::string_view> names) { return {names.begin(), names.end()}; }

const std::string awkwardURL = "file:///Volumes/Card%201/Say%20%22hi%22/\"quoted\\back\nline\rreturn/";
const std::string plainURL = "file:///Users/demo/%E4%B8%8B%E8%BD%BD/";

// The arrangement fixtures hold the handlers that find the menus, the skip answers that carry
// the old titles once they were read, the window-count check before the hidden-files key press
// and the error trap around it.
TEST(FinderScriptsTest, TextsMatchTheirFixturesByteForByte) {
  const std::pair<const char*, std::string> cases[] = {
      {"guard_ui.applescript", std::string(FinderScripts::guardUI())},
      {"query.applescript", std::string(FinderScripts::query())},
      {"automation_check.applescript", std::string(FinderScripts::automationCheck())},
      {"activate.applescript", std::string(FinderScripts::activate())},
      {"keep_hidden.applescript", std::string(FinderScripts::keepHidden())},
      {"apply_kind_hide.applescript",
       FinderScripts::apply(awkwardURL, "1", titles(menuNames(Grouping::kind)), titles(menuNames(Sorting::name)), true)},
      {"apply_size_plain.applescript", FinderScripts::apply(plainURL, "4711", titles(menuNames(Grouping::size)),
                                                            titles(menuNames(Sorting::modified)), false)},
      {"set_view_gallery.applescript", FinderScripts::setView(awkwardURL, "1", FinderViewChoice::gallery)},
  };
  for (const auto& [fixture, actual] : cases) EXPECT_EQ(actual, fixtureText(fixture)) << fixture;
}

// Each character that could end a literal is in the awkward fixture's folder URL; these are the
// texts that need nothing escaped.
TEST(FinderScriptsTest, LiteralsOfEmptyOrPlainTextAreOnlyQuoted) {
  struct Case {
    std::string actual;
    std::string literal;
    const char* reason;
  };
  const Case cases[] = {
      {FinderScripts::quoted(""), R"("")", "empty text"},
      {FinderScripts::quoted("tab\there 显示"), "\"tab\there 显示\"", "tabs and non-ASCII text stay as they are"},
      {FinderScripts::list(std::vector<std::string>{}), "{}", "an empty list"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.literal) << c.reason;
}

TEST(FinderScriptsTest, MarkerLikeFolderNamesAreNotFilledIn) {
  const auto text = FinderScripts::apply("file:///tmp/[[WINDOW]]/", "42", std::vector<std::string>{"[[SORTS]]"},
                                         std::vector<std::string>{"Name"}, true);
  EXPECT_NE(text.find(R"(is not "file:///tmp/[[WINDOW]]/" then)"), std::string::npos);
  EXPECT_NE(text.find(R"(item 1 of {"[[SORTS]]"} is in)"), std::string::npos);
  EXPECT_EQ(text.find("\"42\"/"), std::string::npos);
}

// The scripts' own errors reach the user through the lookup, so each needs an English entry.
TEST(FinderScriptsTest, EveryRaisedMessageHasAnEnglishEntry) {
  const auto english = StringTable::load(TIDYFRAME_RESOURCE_DIR "/i18n/en.lproj/Localizable.strings");
  ASSERT_TRUE(english.has_value()) << english.error();
  const auto text = FinderScripts::apply(plainURL, "1", titles(menuNames(Grouping::none)),
                                         titles(menuNames(Sorting::name)), false);
  const std::regex raised(R"re(error "([^"]*)" number -2700)re");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), raised); it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1].str());
    EXPECT_NE(english->find((*it)[1].str()), nullptr) << (*it)[1];
  }
  EXPECT_EQ(found.size(), 4u) << "no menu, no sort menu, and a group or sort title this language lacks";
}

TEST(FinderScriptsTest, ViewChangeReplies) {
  using enum ViewChangeReply::Status;
  const auto text = [](const char* t) { return ScriptReplyItem{t, std::nullopt}; };
  const ScriptReplyItem number{"-10000", -10000};
  struct Case {
    const char* reason;
    std::vector<ScriptReplyItem> items;
    std::optional<ViewChangeReply> read;
  };
  const Case cases[] = {
      {"a skip", {text("skip")}, ViewChangeReply{}},
      {"changed", {text("ok"), text("icon view")}, ViewChangeReply{ok, "icon view"}},
      {"refused", {text("error"), text("list view"), text("Finder got an error"), number},
       ViewChangeReply{error, "list view", "Finder got an error", -10000}},
      {"an error of few items", {text("error"), text("icon view")}, ViewChangeReply{error, "icon view", "", -1}},
      {"ok without the old view", {text("ok")}, std::nullopt},
      {"an arrangement's word", {text("unchanged"), text("None"), text("Name")}, std::nullopt},
      {"no list at all", {}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(readViewChange(ScriptReply(c.items)), c.read) << c.reason;
  EXPECT_EQ(FinderScripts::setView(plainURL, "1", FinderViewChoice::keep), R"(return {"skip"})");
}

}  // namespace
}  // namespace tidyframe
