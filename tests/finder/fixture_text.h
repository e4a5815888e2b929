#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace tidyframe::test_support {

// The bytes of a file under tests/finder/fixtures, exactly as stored.
inline std::string fixtureText(const std::string& name) {
  std::ifstream in(std::filesystem::path(TIDYFRAME_FINDER_FIXTURES) / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The AppleScript list literals of the Finder's titles, written out by hand per list name
// ("kind", "none", "view", "sort", ...).
inline std::map<std::string, std::string> choiceLiterals() {
  std::map<std::string, std::string> literals;
  std::istringstream lines(fixtureText("choice_lists.txt"));
  for (std::string name, literal; std::getline(lines, name, '\t') && std::getline(lines, literal);) {
    literals[name] = literal;
  }
  return literals;
}

}  // namespace tidyframe::test_support
