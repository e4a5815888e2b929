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

#ifdef TIDYFRAME_NATIVE_MAC
#include "app/platform_report.h"
#include "base/thread_dispatch.h"
#include "mac/native_mac.h"

namespace tidyframe {
namespace {

// Reads every native service once; the first run on a Mac shows here what answers and what not.
bool checkNativeMac(std::ostream& out) {
  ThreadDispatch dispatch;
  NativeMac mac(dispatch);
  const PlatformPorts ports{*mac.host,      *mac.accessibility, *mac.permissions, *mac.volumes,
                            *mac.preferences, *mac.languages, *mac.system,      *mac.workspace,
                            *mac.input,       *mac.loginItem};
  return printPlatformReport(inspectPlatform(ports), out);
}

}  // namespace
}  // namespace tidyframe
#endif

int main(int argc, char** argv) {
  using namespace tidyframe;
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const auto command = parseCommandLine(arguments);
  if (!command) {
    std::cerr << "tidyframe: " << command.error() << "\n" << commandLineUsage;
    return 2;
  }
  if (command->mode == CommandLine::Mode::help) {
    std::cout << commandLineUsage;
    return 0;
  }
  if (command->mode == CommandLine::Mode::version) {
    std::cout << versionLine() << "\n";
    return 0;
  }
  const auto roots = stringTableRoots();
  if (command->mode == CommandLine::Mode::demo) return runDemo(std::cout, command->diagnostics, roots) ? 0 : 1;
  const L l(roots, std::make_shared<EnvironmentLanguages>());
  bool passed = runSelfChecks(selfChecks(l, roots), std::cout);
#ifdef TIDYFRAME_NATIVE_MAC
  if (!command->simulated) passed = checkNativeMac(std::cout) && passed;
#endif
  return passed ? 0 : 1;
}
