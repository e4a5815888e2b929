#include "app/resource_locations.h"

#include <system_error>

namespace tidyframe {

namespace {
std::filesystem::path executableFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path{} : executable.parent_path();
}
}  // namespace

std::vector<std::filesystem::path> stringTableRoots() {
  std::vector<std::filesystem::path> roots;
  if (const auto folder = executableFolder(); !folder.empty()) {
    roots.push_back(folder / "resources" / "i18n");
    roots.push_back(folder.parent_path() / "share" / "tidyframe" / "i18n");
  }
  roots.emplace_back(TIDYFRAME_RESOURCE_DIR "/i18n");
  return roots;
}

}  // namespace tidyframe
