#include <iostream>
#include <memory>
#include <string_view>

#include "app/environment_languages.h"
#include "app/resource_locations.h"
#include "app/self_check.h"
#include "i18n/l.h"

namespace {

constexpr std::string_view usage =
    "usage: tidyframe [--self-test]\n"
    "  --self-test   run the built-in self-check and exit (0 when every check holds)\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace tidyframe;
  const std::string_view argument = argc > 1 ? argv[1] : "";
  if (argc != 2 || argument != "--self-test") {
    std::cerr << usage;
    return argc == 1 ? 0 : 2;
  }
  const auto roots = stringTableRoots();
  const L l(roots, std::make_shared<EnvironmentLanguages>());
  return runSelfChecks(selfChecks(l, roots), std::cout) ? 0 : 1;
}
