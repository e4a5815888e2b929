#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tidyframe {

class L;

// One named check of the built-in self-test; `run` answers an empty text when the check
// holds, else what went wrong.
struct SelfCheck {
  std::string name;
  std::function<std::string()> run;
};

// The checks of every subsystem that exists, in the order they are reported. `tableRoots`
// are where the string tables are looked for.
std::vector<SelfCheck> selfChecks(const L& l, const std::vector<std::filesystem::path>& tableRoots);

// The checks of the 13 interface languages' string tables.
std::vector<SelfCheck> localeChecks(const std::vector<std::filesystem::path>& tableRoots);

// Round trips of the stored documents in a temporary folder.
std::vector<SelfCheck> persistenceChecks();

// The checks of the Finder scripts and the Finder's menu vocabulary.
std::vector<SelfCheck> finderChecks();

// The scripts and the engine run against the simulated Mac in virtual time.
std::vector<SelfCheck> simulatedMacChecks();

// Runs the checks, prints each failure and one summary line; answers whether all held.
bool runSelfChecks(const std::vector<SelfCheck>& checks, std::ostream& out);

}  // namespace tidyframe
