#pragma once

#include <filesystem>
#include <vector>

namespace tidyframe {

// Folders that may hold the string tables, most specific first: beside the executable, in
// the install prefix, then the source tree the program was built from.
std::vector<std::filesystem::path> stringTableRoots();

}  // namespace tidyframe
