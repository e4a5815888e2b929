#include "posix/os_release_system_information.h"

#include <sys/utsname.h>

#include <fstream>
#include <iterator>
#include <optional>

namespace tidyframe {

namespace {

// The file is a few hundred bytes; more than this is not an os-release file.
constexpr std::size_t maximumSize = 64 * 1024;

std::optional<std::string> readSmallFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text(maximumSize + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (file.bad() || static_cast<std::size_t>(file.gcount()) > maximumSize) return std::nullopt;
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

// A value as the shell would read it: quotes removed, escapes resolved inside double quotes.
std::optional<std::string> unquoted(std::string_view value) {
  if (value.empty() || (value.front() != '"' && value.front() != '\'')) return std::string(value);
  const char quote = value.front();
  if (value.size() < 2 || value.back() != quote) return std::nullopt;
  value = value.substr(1, value.size() - 2);
  std::string result;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
    result += value[i];
  }
  return result;
}

OperatingSystemVersion kernel() {
  utsname names{};
  if (::uname(&names) != 0) return {"Linux", ""};
  return {names.sysname, names.release};
}

}  // namespace

OsReleaseSystemInformation::OsReleaseSystemInformation(std::vector<std::filesystem::path> files)
    : version_(kernel()) {
  for (const auto& file : files) {
    if (const auto text = readSmallFile(file)) {
      version_ = versionOf(parse(*text));
      return;
    }
  }
}

std::map<std::string, std::string, std::less<>> OsReleaseSystemInformation::parse(std::string_view text) {
  std::map<std::string, std::string, std::less<>> fields;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const auto line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const auto equals = line.find('=');
    if (line.starts_with('#') || equals == std::string_view::npos || equals == 0) continue;
    if (auto value = unquoted(line.substr(equals + 1))) {
      fields.insert_or_assign(std::string(line.substr(0, equals)), std::move(*value));
    }
  }
  return fields;
}

OperatingSystemVersion OsReleaseSystemInformation::versionOf(
    const std::map<std::string, std::string, std::less<>>& fields) {
  const auto value = [&](std::string_view key) {
    const auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
  };
  const std::string name = value("NAME");
  const std::string version = value("VERSION");
  return {name.empty() ? "Linux" : name, version.empty() ? value("VERSION_ID") : version};
}

}  // namespace tidyframe
