// The arrangement script with any URL, window id and menu titles has the token structure it
// has with placeholder texts, and each of its text literals reads back exactly the bytes
// given: no input can end a literal early or add a statement.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "finder/finder_scripts.h"
#include "fuzz_check.h"
#include "sim/applescript/script_lexer.h"
#include "sim/applescript/script_value.h"

namespace {

using tidyframe::applescript::Token;

std::vector<Token> tokens(const std::string& script) {
  try {
    return tidyframe::applescript::tokenize(script);
  } catch (const tidyframe::applescript::ScriptException&) {
    return {};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool hide = input.ConsumeBool();
  std::vector<std::string> given;
  for (int i = 0; i < 5; ++i) given.push_back(input.ConsumeRandomLengthString(64));
  const std::vector<std::string> placeholders{"\x01url", "\x01window", "\x01group1", "\x01group2", "\x01sort"};
  std::map<std::string, std::string> replacement;
  for (std::size_t i = 0; i < given.size(); ++i) replacement[placeholders[i]] = given[i];
  const auto build = [](const std::vector<std::string>& texts, bool hidden) {
    const std::vector<std::string> groups{texts[2], texts[3]};
    const std::vector<std::string> sorts{texts[4]};
    return tidyframe::FinderScripts::apply(texts[0], texts[1], groups, sorts, hidden);
  };
  // The placeholder script depends only on `hide`; tokenising it once per value keeps the
  // fuzzer's time for the inputs.
  static const std::vector<Token> withPlaceholders[2] = {tokens(build(placeholders, false)),
                                                         tokens(build(placeholders, true))};
  const auto& expected = withPlaceholders[hide];
  const auto actual = tokens(build(given, hide));
  FUZZ_CHECK(!expected.empty());
  FUZZ_CHECK(actual.size() == expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    FUZZ_CHECK(actual[i].kind == expected[i].kind);
    const auto placeholder = replacement.find(expected[i].text);
    const bool literal = expected[i].kind == Token::Kind::text && placeholder != replacement.end();
    FUZZ_CHECK(actual[i].text == (literal ? placeholder->second : expected[i].text));
  }
  return 0;
}
