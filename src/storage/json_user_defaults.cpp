#include "storage/json_user_defaults.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "storage/storage.h"

namespace tidyframe {

namespace {

// The file's whole content; any JSON object decodes.
struct DefaultsDocument {
  Json values;
};

// Only there to make the file a document the storage loads; the file is written from the values.
[[maybe_unused]] Json toJson(const DefaultsDocument& document) { return document.values; }

std::optional<DefaultsDocument> fromJson(JsonReader& reader, std::type_identity<DefaultsDocument>) {
  if (reader.peek() != JsonReader::Kind::object) return std::nullopt;
  auto values = reader.value();
  if (!values) return std::nullopt;
  return DefaultsDocument{std::move(*values)};
}

}  // namespace

JsonUserDefaults::JsonUserDefaults(std::filesystem::path file, Date now) : file_(std::move(file)) {
  auto loaded = Storage(file_.parent_path()).load<DefaultsDocument>(file_.filename().string(), now);
  if (loaded.value) values_ = std::move(loaded.value->values);
  keptAside_ = std::move(loaded.keptAside);
}

std::filesystem::path JsonUserDefaults::defaultLocation(const std::filesystem::path& home,
                                                        std::optional<std::string_view> xdgConfigHome) {
  const auto folder = xdgConfigHome && xdgConfigHome->starts_with('/') ? std::filesystem::path(*xdgConfigHome)
                                                                       : home / ".config";
  return folder / "Tidyframe" / fileName;
}

// Booleans count as numbers, 1 and 0, as in the system's user defaults.
const Json* JsonUserDefaults::number(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end() || !(found->is_number() || found->is_boolean())) return nullptr;
  return &*found;
}

std::optional<double> JsonUserDefaults::doubleValue(std::string_view key) const {
  const Json* value = number(key);
  if (!value) return std::nullopt;
  if (value->is_boolean()) return value->get<bool>() ? 1.0 : 0.0;
  return value->get<double>();
}

std::optional<std::int64_t> JsonUserDefaults::integerValue(std::string_view key) const {
  const Json* value = number(key);
  if (!value) return std::nullopt;
  if (value->is_number_unsigned()) {
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(value->get<std::uint64_t>(), std::numeric_limits<std::int64_t>::max()));
  }
  if (value->is_number_integer()) return value->get<std::int64_t>();
  const double number = *doubleValue(key);
  // Beyond this a double no longer converts safely; such values are not integers anyone stored.
  constexpr double limit = 9.2e18;
  return static_cast<std::int64_t>(std::clamp(std::trunc(number), -limit, limit));
}

std::optional<bool> JsonUserDefaults::boolValue(std::string_view key) const {
  const auto value = doubleValue(key);
  if (!value) return std::nullopt;
  return *value != 0;
}

void JsonUserDefaults::setDouble(std::string_view key, double value) {
  if (std::isfinite(value)) store(key, value);
}

void JsonUserDefaults::setInteger(std::string_view key, std::int64_t value) { store(key, value); }

void JsonUserDefaults::setBool(std::string_view key, bool value) { store(key, value); }

void JsonUserDefaults::store(std::string_view key, Json value) {
  values_[std::string(key)] = std::move(value);
  (void)Storage::save(values_, file_);
}

}  // namespace tidyframe
