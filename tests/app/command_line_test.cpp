#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

#include "app/command_line.h"

namespace tidyframe {
namespace {

TEST(CommandLine, ModesAndTheirCombinations) {
  using Mode = CommandLine::Mode;
  struct Case {
    std::vector<std::string_view> arguments;
    std::optional<CommandLine> expected;
    const char* reason;
  };
  const Case cases[] = {
      {{}, CommandLine{Mode::usage, false}, "nothing asked: the usage, not an error"},
      {{"--self-test"}, CommandLine{Mode::selfTest, false}, "the self-check"},
      {{"--demo"}, CommandLine{Mode::demo, false}, "the demo alone"},
      {{"--diagnostics"}, CommandLine{Mode::demo, true}, "diagnostics run the demo until the panel exists"},
      {{"--demo", "--diagnostics"}, CommandLine{Mode::demo, true}, "both"},
      {{"--diagnostics", "--demo"}, CommandLine{Mode::demo, true}, "both, in the other order"},
      {{"--self-test", "--demo"}, std::nullopt, "the self-check stands alone"},
      {{"--diagnostics", "--self-test"}, std::nullopt, "the self-check stands alone, even last"},
      {{"--demo", "--demo"}, std::nullopt, "a repeated argument is a typing error"},
      {{"--self-test", "--self-test"}, std::nullopt, "a repeated self-check too"},
      {{"--demo", "demo"}, std::nullopt, "an unknown argument"},
      {{"-demo"}, std::nullopt, "a near miss is unknown"},
      {{"--self-test", "--simulated"}, CommandLine{Mode::selfTest, false, true}, "the self-check on the simulated Mac"},
      {{"--simulated", "--diagnostics"}, CommandLine{Mode::demo, true, true}, "it goes with any mode, in any place"},
      {{"--simulated", "--simulated"}, std::nullopt, "repeated"},
  };
  for (const auto& c : cases) EXPECT_EQ(parseCommandLine(c.arguments), c.expected) << c.reason;
}

}  // namespace
}  // namespace tidyframe
