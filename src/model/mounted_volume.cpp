#include "model/mounted_volume.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <memory>

#include <unicode/coll.h>
#include <unicode/numberformatter.h>

#include "i18n/l.h"
#include "platform/volume_catalog.h"

namespace tidyframe {

namespace {

std::optional<MountedVolume> volumeAt(VolumeCatalog& catalog, const std::string& path) {
  const auto values = catalog.volumeValues(path);
  if (!values || values->isInternal == true) return std::nullopt;
  return MountedVolume{.name = values->name.value_or(lastPathComponent(path)),
                       .path = path,
                       .uuid = values->uuid,
                       .external = true,
                       .removable = values->isRemovable.value_or(false),
                       .readOnly = values->isReadOnly.value_or(false),
                       .total = values->totalCapacity.value_or(0),
                       .available = values->availableCapacity.value_or(0)};
}

// The Finder's order of file names: case-insensitive, digits by numeric value, per locale.
std::unique_ptr<icu::Collator> finderCollator(const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
  if (U_FAILURE(status) || !collator) return nullptr;
  collator->setStrength(icu::Collator::SECONDARY);
  collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  return U_SUCCESS(status) ? std::move(collator) : nullptr;
}

void sortByName(std::vector<MountedVolume>& volumes, const icu::Locale& locale) {
  const auto collator = finderCollator(locale);
  std::ranges::stable_sort(volumes, [&collator](const MountedVolume& a, const MountedVolume& b) {
    if (!collator) return a.name < b.name;
    UErrorCode status = U_ZERO_ERROR;
    return collator->compareUTF8(a.name, b.name, status) == UCOL_LESS;
  });
}

std::optional<std::string> formattedNumber(double value, const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  const auto formatted = icu::number::NumberFormatter::withLocale(locale)
                             .precision(icu::number::Precision::maxFraction(2))
                             .formatDouble(value, status);
  if (U_FAILURE(status)) return std::nullopt;
  std::string out;
  formatted.toString(status).toUTF8String(out);
  return U_SUCCESS(status) ? std::optional(out) : std::nullopt;
}

// The shortest text that reads back as `value`.
std::string plainNumber(double value) {
  std::array<char, 32> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return error == std::errc{} ? std::string(buffer.data(), end) : std::string();
}

}  // namespace

std::vector<MountedVolume> MountedVolume::discover(VolumeCatalog& catalog, const icu::Locale& locale) {
  std::vector<MountedVolume> volumes;
  for (const auto& path : catalog.mountedVolumePaths()) {
    if (auto volume = volumeAt(catalog, path)) volumes.push_back(std::move(*volume));
  }
  sortByName(volumes, locale);
  return volumes;
}

std::string formattedBytes(std::int64_t bytes, const L& l) {
  static constexpr std::array<std::string_view, 6> units{"B", "KB", "MB", "GB", "TB", "PB"};
  auto value = static_cast<double>(bytes);
  std::size_t unit = 0;
  // Compared as shown (two fraction digits), so 999,999 bytes read "1 MB", never "1,000 KB".
  const auto shown = [](double v) { return std::round(v * 100) / 100; };
  while (shown(value) >= 1000 && unit + 1 < units.size()) {
    value /= 1000;
    ++unit;
  }
  const auto number = formattedNumber(value, l.locale()).value_or(plainNumber(value));
  return number + " " + std::string(units[unit]);
}

std::string lastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1));
}

std::string readablePath(std::string_view path, std::string_view home) {
  while (home.size() > 1 && home.back() == '/') home.remove_suffix(1);
  if (home.empty()) return std::string(path);
  if (path == home) return "~";
  if (path.starts_with(home) && path[home.size()] == '/') return "~" + std::string(path.substr(home.size()));
  return std::string(path);
}

}  // namespace tidyframe
