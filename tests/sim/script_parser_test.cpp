#include "sim/applescript/script_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

namespace tidyframe::applescript {
namespace {

TEST(ScriptParser, BrokenTextsFailToCompile) {
  struct Case {
    const char* text;
    int number;
    const char* reason;
    const char* message = nullptr;
  };
  const Case cases[] = {
      {"tell application \"Finder\"\n  get name\n", -2741, "block never closed",
       "Expected “end” but found end of script."},
      {"tell application \"Finder\"\n  get name\nend if\n", -2741, "block closed by the wrong end",
       "Expected “end” or “end tell” but found “end if”."},
      {"return \"abc", -2741, "unterminated text literal", "Expected “\"” but found end of script."},
      {"(* comment never closed\nreturn 1\n", -2741, "unterminated comment"},
      {"return {1, 2\n", -2741, "unbalanced list braces"},
      {"return (1 + 2\n", -2741, "unbalanced parentheses"},
      {"set to 3\n", -2741, "set without a variable"},
      {"if true return 1\n", -2741, "if without then"},
      {"repeat with x on {1}\nend repeat\n", -2741, "repeat without in or from"},
      {"return 1 2\n", -2740, "two values in a row"},
      {"end tell\n", -2740, "end with nothing open"},
      {"with timeout of 2\nend timeout\n", -2741, "time-out without seconds"},
      {"on f()\nreturn 1\nend g\n", -2741, "handler closed under another name"},
      {"on f()\nend f\non f()\nend f\n", -2752, "handler defined twice"},
      {"return 1 is 2 is 3\n", -2740, "comparisons do not chain"},
      {"return @\n", -2740, "character no token begins with"},
      {"set x to 1 as frobnicate\n", -2741, "unknown class after as"},
      {"tell application \"System Events\" to get id of front Finder window\n", -2741,
       "a Finder term inside another application's block"},
      {"tell application \"Finder\" to key code 47\n", -2740, "a System Events command inside the Finder's block"},
      {"return first menu item\n", -2741, "a System Events term outside any block"},
  };
  for (const auto& c : cases) {
    auto compiled = compileScript(c.text);
    ASSERT_FALSE(compiled.has_value()) << c.reason;
    EXPECT_EQ(compiled.error().number, c.number) << c.reason << ": " << compiled.error().message;
    EXPECT_FALSE(compiled.error().message.empty()) << c.reason;
    if (c.message) {
      EXPECT_EQ(compiled.error().message, c.message) << c.reason;
    }
  }
}

// Forms the evaluation tests do not already run.
TEST(ScriptParser, AcceptsTheLanguageFormsTheScriptsRelyOn) {
  const std::pair<const char*, const char*> cases[] = {  // text, reason
      {"repeat with i from (1 + 1) to 3 by 1\nexit repeat\nend repeat\n", "stepped range"},
      {"try\nerror number 5\nend try\n", "error with only a number"},
      {"-- comment\n# another\n(* block (* nested *) *)\nreturn 1 ¬\n + 2\n", "comments and continuation"},
      {"TELL APPLICATION \"Finder\" TO GET NAME\n", "keywords ignore case"},
      {"set target to 1\nreturn target\n", "outside the Finder's block its terms are plain names"},
  };
  for (const auto& [text, reason] : cases) {
    auto compiled = compileScript(text);
    EXPECT_TRUE(compiled.has_value()) << reason << ": " << (compiled ? "" : compiled.error().message);
  }
}

TEST(ScriptParser, NoTextCrashesTheCompiler) {
  const char* fragments[] = {"tell", "end", "if", "then", "else", "repeat", "with", "in", "from", "to", "try",
                             "on", "error", "number", "set", "return", "(", ")", "{", "}", ",", "\"", "\"x\"",
                             "1", "-", "+", "of", "whose", "first", "window", "menu bar item", "is", "not", "and",
                             "\n", "my", "f(", "as", "text", "¬", "(*", "*)", "--", "timeout", "seconds", "é", "|"};
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(fragments) - 1);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = 0; i < 25; ++i) text += std::string(fragments[pick(random)]) + " ";
    auto compiled = compileScript(text);
    if (!compiled) {
      EXPECT_LT(compiled.error().number, 0) << text;
    }
  }
  EXPECT_FALSE(compileScript(std::string(100000, '(')).has_value()) << "deep nesting is refused";
  const std::string deep[][3] = {
      {"return ", "item 1 of ", "{1}"}, {"return ", "- ", "1"}, {"", "if true then\n", ""}};
  for (const auto& [start, step, end] : deep) {
    std::string text = start;
    for (int i = 0; i < 50000; ++i) text += step;
    EXPECT_FALSE(compileScript(text + end).has_value()) << "deep " << step << "is refused";
  }
}

}  // namespace
}  // namespace tidyframe::applescript
