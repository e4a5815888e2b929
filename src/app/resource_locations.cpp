#include "app/resource_locations.h"

#include <system_error>

#ifdef __APPLE__
#include <mach-o/dyld.h>

#include <cstdint>
#include <vector>
#endif

namespace tidyframe {

namespace {
#ifdef __APPLE__
std::filesystem::path executableFolder() {
  std::uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::vector<char> path(size + 1, '\0');
  if (_NSGetExecutablePath(path.data(), &size) != 0) return {};
  std::error_code error;
  const auto executable = std::filesystem::canonical(path.data(), error);
  return error ? std::filesystem::path{} : executable.parent_path();
}
#else
std::filesystem::path executableFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path{} : executable.parent_path();
}
#endif
}  // namespace

std::vector<std::filesystem::path> stringTableRoots() {
  std::vector<std::filesystem::path> roots;
  if (const auto folder = executableFolder(); !folder.empty()) {
    roots.push_back(folder / "resources" / "i18n");
    roots.push_back(folder.parent_path() / "share" / "tidyframe" / "i18n");
    roots.push_back(folder.parent_path() / "Resources");  // inside Tidyframe.app/Contents
  }
  roots.emplace_back(TIDYFRAME_RESOURCE_DIR "/i18n");
  return roots;
}

}  // namespace tidyframe
