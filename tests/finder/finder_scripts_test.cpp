#include <gtest/gtest.h>

#include <random>
#include <set>
#include <regex>

#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/fixture_text.h"

namespace tidyframe {
namespace {

using testing::choiceLiterals;
using testing::fixtureText;

// Where two long texts first differ, with the lines around it, instead of two 15 kB dumps.
std::string firstDifference(const std::string& actual, const std::string& expected) {
  const auto size = std::min(actual.size(), expected.size());
  std::size_t at = 0;
  while (at < size && actual[at] == expected[at]) ++at;
  if (at == size && actual.size() == expected.size()) return {};
  const auto line = 1 + std::count(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(at), '\n');
  const auto from = at < 60 ? 0 : at - 60;
  return "first difference at byte " + std::to_string(at) + " (line " + std::to_string(line) + ")\nexpected: ..." +
         expected.substr(from, 120) + "\nactual:   ..." + actual.substr(from, 120) + "\nsizes " +
         std::to_string(expected.size()) + " expected, " + std::to_string(actual.size()) + " actual";
}

std::string replacedAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::vector<std::string> titles(std::span<const std::string_view> names) { return {names.begin(), names.end()}; }

// Reads an AppleScript string literal back as AppleScript would; nothing when it is not one
// whole literal (an unescaped quote inside would end it early).
std::optional<std::string> unescapedLiteral(const std::string& literal) {
  if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    const char c = literal[i];
    if (c == '"') return std::nullopt;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 2 >= literal.size()) return std::nullopt;
    const char next = literal[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

const std::string awkwardURL = "file:///Volumes/Card%201/Say%20%22hi%22/\"quoted\\back\nline\rreturn/";
const std::string plainURL = "file:///Users/demo/%E4%B8%8B%E8%BD%BD/";

TEST(FinderScriptsTest, FixedTextsMatchTheirFixturesByteForByte) {
  struct Case {
    const char* fixture;
    std::string actual;
  };
  const Case cases[] = {
      {"guard_ui.applescript", std::string(FinderScripts::guardUI())},
      {"query.applescript", std::string(FinderScripts::query())},
      {"automation_check.applescript", std::string(FinderScripts::automationCheck())},
      {"activate.applescript", std::string(FinderScripts::activate())},
      {"hidden_script.applescript", std::string(FinderScripts::hiddenScript())},
      {"keep_hidden.applescript", std::string(FinderScripts::keepHidden())},
      {"menu_discovery.applescript", FinderScripts::menuDiscovery()},
  };
  for (const auto& c : cases) {
    const auto expected = fixtureText(c.fixture);
    ASSERT_FALSE(expected.empty()) << c.fixture;
    EXPECT_EQ(firstDifference(c.actual, expected), "") << c.fixture;
  }
  EXPECT_EQ(FinderScripts::guardUI().size(), 1151u);
  EXPECT_TRUE(FinderScripts::guardUI().starts_with("with timeout of 2 seconds\n"));
}

TEST(FinderScriptsTest, ApplyMatchesItsFixtureForEveryGroupingWithAndWithoutHide) {
  const auto literals = choiceLiterals();
  const auto withHide = fixtureText("apply_kind_hide.applescript");
  const auto withoutHide = fixtureText("apply_size_plain.applescript");
  ASSERT_FALSE(withHide.empty());
  ASSERT_FALSE(withoutHide.empty());
  for (auto grouping : allCases<Grouping>()) {
    const auto groups = titles(menuNames(grouping));
    const auto& literal = literals.at(std::string(rawValue(grouping)));
    const auto hidden =
        FinderScripts::apply(awkwardURL, "1", groups, titles(menuNames(Sorting::name)), true);
    EXPECT_EQ(firstDifference(hidden, replacedAll(withHide, literals.at("kind"), literal)), "")
        << rawValue(grouping) << " with hide";
    const auto plain = FinderScripts::apply(plainURL, "4711", groups, titles(menuNames(Sorting::modified)), false);
    EXPECT_EQ(firstDifference(plain, replacedAll(withoutHide, literals.at("size"), literal)), "")
        << rawValue(grouping) << " without hide";
  }
}

TEST(FinderScriptsTest, SkipsCarryTheOldTitlesOnceTheyAreRead) {
  const auto text = FinderScripts::apply(plainURL, "1", titles(menuNames(Grouping::kind)),
                                         titles(menuNames(Sorting::name)), true);
  const auto firstRead = text.find("    set oldSort to \"\"\n");
  ASSERT_NE(firstRead, std::string::npos);
  const std::regex skip(R"re(return \{"skip"[^}]*\})re");
  int bareBefore = 0;
  int carryingAfter = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), skip); it != std::sregex_iterator(); ++it) {
    const bool before = static_cast<std::size_t>(it->position()) < firstRead;
    const auto found = it->str();
    if (before) {
      EXPECT_EQ(found, R"(return {"skip"})") << "at " << it->position();
      ++bareBefore;
    } else {
      EXPECT_EQ(found, R"(return {"skip", oldGroup, oldSort})") << "at " << it->position();
      ++carryingAfter;
    }
  }
  EXPECT_EQ(bareBefore, 9 + 3 + 9) << "outer guard, Finder re-check, nested guard";
  EXPECT_EQ(carryingAfter, 3 + 9 + 3 + 1) << "three clicks, the hide block's guard, re-check and key press";
  EXPECT_NE(text.find("tell application \"Finder\"\nif (count of Finder windows) is 0 then return {\"skip\", "
                      "oldGroup, oldSort}\nif (URL of target"),
            std::string::npos)
      << "a window closed before the key press must answer a skip";
}

TEST(FinderScriptsTest, QuotedLiteralsEscapeWhatCouldEndThem) {
  struct Case {
    std::string input;
    std::string literal;
    const char* reason;
  };
  const Case cases[] = {
      {"a\"b\\c", R"("a\"b\\c")", "the nine-character literal: backslash first, then quote"},
      {"", R"("")", "empty text"},
      {"line\nfeed", R"("line\nfeed")", "a line feed becomes backslash n"},
      {"carriage\rreturn", R"("carriage\rreturn")", "a carriage return becomes backslash r"},
      {"\\n", R"("\\n")", "a backslash before n is not mistaken for a line feed"},
      {"\\\"", R"("\\\"")", "backslash then quote: neither escape is doubled twice"},
      {"tab\there", "\"tab\there\"", "a tab stays as it is"},
      {"Présentation 显示", "\"Présentation 显示\"", "non-ASCII text stays as it is"},
  };
  for (const auto& c : cases) EXPECT_EQ(FinderScripts::quoted(c.input), c.literal) << c.reason;
  EXPECT_EQ(FinderScripts::quoted("a\"b\\c").size(), 9u);
}

TEST(FinderScriptsTest, NoFolderNameCanEndTheLiteralEarly) {
  std::mt19937 random(20261206);
  const std::string alphabet = "ab\"\\\n\rnr {}'é";
  for (int round = 0; round < 2000; ++round) {
    std::string input;
    const auto length = random() % 24;
    for (unsigned i = 0; i < length; ++i) input += alphabet[random() % alphabet.size()];
    const auto literal = FinderScripts::quoted(input);
    EXPECT_EQ(unescapedLiteral(literal), input) << literal;
    EXPECT_EQ(literal.find_first_of("\n\r"), std::string::npos) << literal;
  }
}

TEST(FinderScriptsTest, ListLiterals) {
  struct Case {
    std::vector<std::string> texts;
    const char* literal;
  };
  const Case cases[] = {
      {{}, "{}"},
      {{"None"}, R"({"None"})"},
      {{"Date d’ajout", "Date d'ajout"}, R"({"Date d’ajout", "Date d'ajout"})"},
      {{"a\"", ""}, R"({"a\"", ""})"},
  };
  for (const auto& c : cases) EXPECT_EQ(FinderScripts::list(c.texts), c.literal);
}

TEST(FinderScriptsTest, MarkerLikeFolderNamesAreNotFilledIn) {
  const std::vector<std::string> groups{"[[SORTS]]"};
  const std::vector<std::string> sorts{"Name"};
  const auto text = FinderScripts::apply("file:///tmp/[[WINDOW]]/", "42", groups, sorts, true);
  EXPECT_NE(text.find(R"(is not "file:///tmp/[[WINDOW]]/" then)"), std::string::npos);
  EXPECT_NE(text.find(R"(item 1 of {"[[SORTS]]"} is in)"), std::string::npos);
  EXPECT_EQ(text.find("\"42\"/"), std::string::npos);
}

TEST(FinderScriptsTest, EveryRaisedMessageIsOneTheLookupKnows) {
  const auto text = FinderScripts::apply(plainURL, "1", titles(menuNames(Grouping::none)),
                                         titles(menuNames(Sorting::name)), false);
  const std::regex raised(R"re(error "([^"]*)" number -2700)re");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), raised); it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1].str());
  }
  const auto messages = FinderScripts::errorMessages();
  EXPECT_EQ(found, std::set<std::string>(messages.begin(), messages.end()));
}

}  // namespace
}  // namespace tidyframe
