#include "sim/applescript/script_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tidyframe::applescript {
namespace {

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
  const std::string deep[][3] = {
      {"return ", "item 1 of ", "{1}"}, {"return ", "- ", "1"}, {"", "if true then\n", ""}, {"", "(", ""}};
  for (const auto& [start, step, end] : deep) {
    std::string text = start;
    for (int i = 0; i < 50000; ++i) text += step;
    EXPECT_FALSE(compileScript(text + end).has_value()) << "deep " << step << "is refused";
  }
}

}  // namespace
}  // namespace tidyframe::applescript
