#include "legacy/legacy_service.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "base/json.h"
#include "base/json_reader.h"
#include "storage/storage.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view statusFileName = "status.json";
constexpr std::string_view checkedFoldersKey = "checked_folders";
constexpr std::string_view recordFileName = "migration.json";
constexpr std::string_view agentExtension = ".plist";
constexpr int stillLoadedCode = 1;

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return std::move(text).str();
}

bool sameContents(const fs::path& a, const fs::path& b) {
  const auto first = readFile(a);
  const auto second = readFile(b);
  return first && second && *first == *second;
}

std::string trimmed(std::string_view text) {
  constexpr std::string_view space = " \t\r\n\v\f";
  const auto first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(space);
  return std::string(text.substr(first, last - first + 1));
}

std::unexpected<LegacyFailure> fileFailure(const std::error_code& error, const fs::path& path) {
  return std::unexpected(LegacyFailure{LegacyFailureKind::file, error.value(),
                                       path.filename().string() + ": " + error.message()});
}

// "2026-12-06-143000" in UTC, so names sort by time whatever the machine's zone.
std::string timestamp(Date date) {
  const auto seconds = static_cast<std::time_t>(std::floor(date.unixTime()));
  std::tm parts{};
  ::gmtime_r(&seconds, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d-%H%M%S", &parts);
  return text;
}

// The time and the attempt number of "<label>.<UTC time>.plist" or "<label>.<UTC time>-<n>.plist",
// the names keepDatedCopy gives; they order the copies from oldest to newest.
using DatedName = std::pair<std::string, long>;

std::optional<DatedName> datedName(std::string_view name, std::string_view label) {
  constexpr std::string_view timeShape = "0000-00-00-000000";
  const std::string prefix = std::string(label) + ".";
  if (!name.starts_with(prefix) || !name.ends_with(agentExtension)) return std::nullopt;
  name = name.substr(prefix.size(), name.size() - prefix.size() - agentExtension.size());
  if (name.size() < timeShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < timeShape.size(); ++i) {
    const bool digit = name[i] >= '0' && name[i] <= '9';
    if (timeShape[i] == '0' ? !digit : name[i] != '-') return std::nullopt;
  }
  const auto suffix = name.substr(timeShape.size());
  if (suffix.empty()) return DatedName{std::string(name), 1};
  long attempt = 0;
  const auto* last = suffix.data() + suffix.size();
  const auto parsed = std::from_chars(suffix.data() + 1, last, attempt);
  if (suffix.front() != '-' || parsed.ec != std::errc{} || parsed.ptr != last) return std::nullopt;
  return DatedName{std::string(name.substr(0, timeShape.size())), attempt};
}

bool isKnownLabel(std::string_view label) {
  return std::find(LegacyService::labels.begin(), LegacyService::labels.end(), label) != LegacyService::labels.end();
}

}  // namespace

LegacyLocations LegacyLocations::standard(const fs::path& home, const fs::path& storageFolder, unsigned userId) {
  return LegacyLocations{
      .launchctl = "/bin/launchctl",
      .launchAgents = home / "Library/LaunchAgents",
      .legacyBase = home / "Library/Application Support/Plumbline",
      .backupFolder = storageFolder / "legacy-backup",
      .userId = userId,
      .launchctlTimeout = 10,
  };
}

LegacyService::LegacyService(ProcessRunner& runner, Dispatch& dispatch, const L& l, LegacyLocations locations)
    : runner_(runner), dispatch_(dispatch), l_(l), locations_(std::move(locations)) {}

LegacyDetection LegacyService::detect() {
  const bool running = std::any_of(labels.begin(), labels.end(), [&](auto label) { return isLoaded(label); });
  return LegacyDetection{running, checkedFolders()};
}

std::expected<void, LegacyFailure> LegacyService::takeOver() {
  std::error_code error;
  fs::create_directories(locations_.backupFolder, error);
  if (error) return fileFailure(error, locations_.backupFolder);

  std::vector<std::string> moved;
  for (const auto label : labels) {
    if (!fs::exists(agentPath(label), error)) continue;
    if (auto backedUp = backUp(label); !backedUp) return backedUp;
    moved.emplace_back(label);
  }
  if (auto saved = saveRecord(mergedRecord(moved)); !saved) return saved;

  for (const auto& label : moved) {
    if (auto stopped = stop(label); !stopped) return stopped;
  }
  // A job loaded without its agent file would go on arranging the Finder beside the engine.
  for (const auto label : labels) {
    if (!isLoaded(label)) continue;
    if (auto stopped = bootOut(label); !stopped) return stopped;
  }
  return {};
}

// A take-over interrupted earlier left backups of jobs it already removed: they stay listed,
// so the hand-back restores them too.
std::vector<std::string> LegacyService::mergedRecord(const std::vector<std::string>& moved) const {
  const auto earlier = readRecord().value_or(std::vector<std::string>{});
  std::vector<std::string> merged;
  for (const auto label : labels) {
    std::error_code error;
    const bool listed = std::ranges::find(moved, label) != moved.end() ||
                        (std::ranges::find(earlier, label) != earlier.end() && fs::exists(backupPath(label), error));
    if (listed) merged.emplace_back(label);
  }
  return merged;
}

std::expected<bool, LegacyFailure> LegacyService::handBack() {
  const auto record = readRecord();
  if (!record) return std::unexpected(LegacyFailure{LegacyFailureKind::recordUnreadable, 0, ""});
  for (const auto& label : *record) {
    if (!isKnownLabel(label)) continue;
    if (auto restored = restore(label); !restored) return std::unexpected(restored.error());
  }
  return std::any_of(labels.begin(), labels.end(), [&](auto label) { return isLoaded(label); });
}

bool LegacyService::canRestore() const {
  std::error_code error;
  return fs::exists(recordPath(), error);
}

fs::path LegacyService::recordPath() const { return locations_.backupFolder / recordFileName; }

fs::path LegacyService::agentPath(std::string_view label) const {
  return locations_.launchAgents / (std::string(label) + std::string(agentExtension));
}

fs::path LegacyService::backupPath(std::string_view label) const {
  return locations_.backupFolder / (std::string(label) + std::string(agentExtension));
}

std::string LegacyService::domain() const { return "gui/" + std::to_string(locations_.userId); }

std::string LegacyService::target(std::string_view label) const { return domain() + "/" + std::string(label); }

bool LegacyService::isLoaded(std::string_view label) {
  return runner_.command(locations_.launchctl, {"print", target(label)}, locations_.launchctlTimeout).status == 0;
}

// The earlier product's file is read member by member, so whatever else it holds costs no
// memory.
std::int64_t LegacyService::checkedFolders() const {
  const auto bytes = Storage::readBytes(locations_.legacyBase / statusFileName);
  if (!bytes) return 0;
  JsonReader reader(*bytes);
  Json value;
  const bool read = reader.object([&](std::string key) {
    if (key != checkedFoldersKey) return reader.skip();
    value = Json();
    if (reader.peek() != JsonReader::Kind::number) return reader.skip();
    value = reader.number().value_or(Json());
    return !reader.failed();
  });
  if (!read || !reader.finished() || !value.is_number_integer()) return 0;
  if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::numeric_limits<std::int64_t>::max()) return 0;
  return value.get<std::int64_t>();
}

std::expected<void, LegacyFailure> LegacyService::saveRecord(const std::vector<std::string>& moved) const {
  const auto saved = Storage::save(Json(moved), recordPath());
  if (!saved) {
    return std::unexpected(
        LegacyFailure{LegacyFailureKind::file, 0, recordPath().filename().string() + ": " + saved.error()});
  }
  return {};
}

// A record holding anything but texts was not written by takeOver; none of it is trusted.
std::optional<std::vector<std::string>> LegacyService::readRecord() const {
  const auto bytes = Storage::readBytes(recordPath());
  if (!bytes) return std::nullopt;
  JsonReader reader(*bytes);
  std::vector<std::string> recorded;
  const bool read = reader.array([&] {
    auto label = reader.string();
    if (label) recorded.push_back(std::move(*label));
    return label.has_value();
  });
  if (!read || !reader.finished()) return std::nullopt;
  return recorded;
}

// The first backup of a label is the one handed back later and is never replaced.
std::expected<void, LegacyFailure> LegacyService::backUp(std::string_view label) {
  const fs::path backup = backupPath(label);
  std::error_code error;
  if (!fs::exists(backup, error)) {
    fs::copy_file(agentPath(label), backup, fs::copy_options::none, error);
    if (error) return fileFailure(error, backup);
    return {};
  }
  if (sameContents(agentPath(label), backup)) return {};
  return keepDatedCopy(label);
}

// An agent file that changed since the first backup would otherwise be lost when it is
// removed; it is kept as "<label>.<UTC time>.plist", with "-2", "-3", ... when that name is taken
// by a different file.
std::expected<void, LegacyFailure> LegacyService::keepDatedCopy(std::string_view label) {
  const std::string stem = std::string(label) + "." + timestamp(dispatch_.now());
  for (int attempt = 1;; ++attempt) {
    const std::string suffix = attempt == 1 ? "" : "-" + std::to_string(attempt);
    const fs::path copy = locations_.backupFolder / (stem + suffix + std::string(agentExtension));
    std::error_code error;
    if (fs::copy_file(agentPath(label), copy, fs::copy_options::none, error)) return {};
    if (error != std::errc::file_exists) return fileFailure(error, copy);
    if (sameContents(agentPath(label), copy)) return {};
  }
}

std::expected<void, LegacyFailure> LegacyService::stop(std::string_view label) {
  if (auto stopped = bootOut(label); !stopped) return stopped;
  std::error_code error;
  fs::remove(agentPath(label), error);
  if (error) return fileFailure(error, agentPath(label));
  return {};
}

std::expected<void, LegacyFailure> LegacyService::bootOut(std::string_view label) {
  const auto bootout =
      runner_.command(locations_.launchctl, {"bootout", target(label)}, locations_.launchctlTimeout);
  const Date deadline = dispatch_.now() + stopTimeout;
  while (isLoaded(label)) {
    const double left = deadline - dispatch_.now();
    if (left <= 0) break;
    dispatch_.wait(std::min(stopPollInterval, left));
  }
  if (isLoaded(label)) {
    std::string description = l_.t("旧版服务仍在运行");
    if (const auto output = trimmed(bootout.output); !output.empty()) description += ": " + output;
    return std::unexpected(LegacyFailure{LegacyFailureKind::stillLoaded, stillLoadedCode, description});
  }
  return {};
}

// The configuration in use most recently: the newest dated copy a later take-over kept, else
// the first backup.
fs::path LegacyService::latestBackup(std::string_view label) const {
  fs::path latest = backupPath(label);
  std::optional<DatedName> newest;
  std::error_code error;
  for (fs::directory_iterator entry(locations_.backupFolder, error), end; !error && entry != end;
       entry.increment(error)) {
    const auto dated = datedName(entry->path().filename().string(), label);
    if (!dated || (newest && *dated <= *newest)) continue;
    newest = dated;
    latest = entry->path();
  }
  return latest;
}

// A user who deleted the whole LaunchAgents folder still gets the jobs back.
std::expected<void, LegacyFailure> LegacyService::restore(std::string_view label) {
  const fs::path agent = agentPath(label);
  std::error_code error;
  if (!fs::exists(agent, error)) {
    fs::create_directories(locations_.launchAgents, error);
    if (!error) fs::copy_file(latestBackup(label), agent, fs::copy_options::none, error);
    if (error) return fileFailure(error, agent);
  }
  if (isLoaded(label)) return {};
  const auto result =
      runner_.command(locations_.launchctl, {"bootstrap", domain(), agent.string()}, locations_.launchctlTimeout);
  if (result.status != 0) {
    return std::unexpected(LegacyFailure{LegacyFailureKind::bootstrap, result.status, trimmed(result.output)});
  }
  return {};
}

}  // namespace tidyframe
