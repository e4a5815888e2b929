#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/demo.h"
#include "app/environment_languages.h"
#include "app/resource_locations.h"
#include "app/self_check.h"
#include "i18n/l.h"

int main(int argc, char** argv) {
  using namespace tidyframe;
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const auto command = parseCommandLine(arguments);
  if (!command || command->mode == CommandLine::Mode::usage) {
    std::cerr << commandLineUsage;
    return command ? 0 : 2;
  }
  const auto roots = stringTableRoots();
  if (command->mode == CommandLine::Mode::demo) return runDemo(std::cout, command->diagnostics, roots) ? 0 : 1;
  const L l(roots, std::make_shared<EnvironmentLanguages>());
  return runSelfChecks(selfChecks(l, roots), std::cout) ? 0 : 1;
}
