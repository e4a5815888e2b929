#include <gtest/gtest.h>

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"

namespace tidyframe {
namespace {

TEST(CommandLine, ModesAndTheirCombinations) {
  using Mode = CommandLine::Mode;
  struct Case {
    std::vector<std::string_view> arguments;
    std::expected<CommandLine, std::string> expected;
    const char* reason;
  };
  const auto error = [](const char* text) { return std::unexpected<std::string>(text); };
  const Case cases[] = {
      {{}, CommandLine{Mode::application, false}, "nothing asked: the panel"},
      {{"--help"}, CommandLine{Mode::help, false}, "help asked for"},
      {{"--version"}, CommandLine{Mode::version, false}, "the version"},
      {{"--self-test"}, CommandLine{Mode::selfTest, false}, "the self-check"},
      {{"--demo"}, CommandLine{Mode::demo, false}, "the demo alone"},
      {{"--diagnostics"}, CommandLine{Mode::application, true}, "the panel with the engine's lines"},
      {{"--diagnostics", "--demo"}, CommandLine{Mode::demo, true}, "both, in either order"},
      {{"--self-test", "--demo"}, error("'--self-test' stands alone"), "the self-check stands alone"},
      {{"--diagnostics", "--version"}, error("'--version' stands alone"), "so does the version, even last"},
      {{"--demo", "--demo"}, error("'--demo' given twice"), "a repeated option is a typing error"},
      {{"--demo", "demo"}, error("unknown option 'demo'"), "an unknown argument is named"},
      {{"-demo"}, error("unknown option '-demo'"), "a near miss is unknown"},
      {{"--self-test", "--simulated"}, CommandLine{Mode::selfTest, false, true}, "the self-check on the simulated Mac"},
      {{"--simulated", "--diagnostics"}, CommandLine{Mode::application, true, true}, "it goes with any mode, in any place"},
      {{"--simulated", "--simulated"}, error("'--simulated' given twice"), "repeated"},
  };
  for (const auto& c : cases) EXPECT_EQ(parseCommandLine(c.arguments), c.expected) << c.reason;
}

}  // namespace
}  // namespace tidyframe
