#include "app/storage_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "storage/json_user_defaults.h"
#include "storage/storage.h"

namespace tidyframe {

namespace {

std::optional<std::string_view> environment(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string_view(value);
}

std::filesystem::path userDatabaseHome() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::filesystem::path homeFolder() {
  if (const auto home = environment("HOME"); home && home->starts_with('/')) return *home;
  if (auto home = userDatabaseHome(); !home.empty()) return home;
  std::error_code ignored;
  return std::filesystem::temp_directory_path(ignored);
}

namespace {

constexpr StoragePlatform platform() {
#ifdef __APPLE__
  return StoragePlatform::macOS;
#else
  return StoragePlatform::other;
#endif
}

}  // namespace

std::filesystem::path storageDirectory() {
  return Storage::defaultDirectory(platform(), homeFolder(), environment("XDG_DATA_HOME"));
}

std::filesystem::path runtimeFolder() {
#ifdef __APPLE__
  const auto folder = environment("TMPDIR");
#else
  const auto folder = environment("XDG_RUNTIME_DIR");
#endif
  if (folder && folder->starts_with('/')) return *folder;
  return "/tmp";
}

std::filesystem::path userDefaultsFile() {
  return JsonUserDefaults::defaultLocation(homeFolder(), environment("XDG_CONFIG_HOME"));
}

}  // namespace tidyframe
