#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "base/date.h"
#include "base/json.h"
#include "platform/user_defaults.h"

namespace tidyframe {

// The user defaults where the system has none: one JSON object in a file, read once when made
// and rewritten whole and atomically on every change. A missing file reads as nothing set; one
// that cannot be read or is not a JSON object is kept aside as the storage keeps its documents
// ("defaults.unreadable-<time>.json") and reads as nothing set. A write that fails keeps the
// value for this run only; a double that is not finite has no JSON form and is not stored. One
// process at a time uses the file. Main queue only.
class JsonUserDefaults final : public UserDefaults {
 public:
  static constexpr std::string_view fileName = "defaults.json";

  // Reads `file`; `now` names a copy kept aside.
  JsonUserDefaults(std::filesystem::path file, Date now);

  // "Tidyframe/defaults.json" in $XDG_CONFIG_HOME, or in "~/.config" when that is unset, empty
  // or relative.
  static std::filesystem::path defaultLocation(const std::filesystem::path& home,
                                               std::optional<std::string_view> xdgConfigHome);

  std::optional<double> doubleValue(std::string_view key) const override;
  std::optional<std::int64_t> integerValue(std::string_view key) const override;
  std::optional<bool> boolValue(std::string_view key) const override;
  void setDouble(std::string_view key, double value) override;
  void setInteger(std::string_view key, std::int64_t value) override;
  void setBool(std::string_view key, bool value) override;

  // Where an unreadable file was kept; nothing when there was none.
  const std::optional<std::filesystem::path>& keptAside() const { return keptAside_; }

 private:
  const Json* number(std::string_view key) const;
  void store(std::string_view key, Json value);

  std::filesystem::path file_;
  Json values_ = Json::object();
  std::optional<std::filesystem::path> keptAside_;
};

}  // namespace tidyframe
