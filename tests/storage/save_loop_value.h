#pragma once

#include <optional>
#include <string>

#include "base/json.h"
#include "storage/finder_layout_archive.h"

namespace tidyframe {

// The n-th value the save loop writes. Payloads range from a few bytes to about 300 kB so
// that a torn write would change the length.
inline Json saveLoopValue(long long n) {
  const auto length = static_cast<std::size_t>(1 + (n * 7919) % 300000);
  return {{"n", n}, {"payload", std::string(length, static_cast<char>('a' + n % 26))}};
}

// The n of a complete value, or nothing when `value` is not exactly one of the loop's values.
inline std::optional<long long> saveLoopNumber(const Json& value) {
  if (!value.is_object() || !value.contains("n") || !value["n"].is_number_integer()) return std::nullopt;
  const auto n = value["n"].get<long long>();
  if (value != saveLoopValue(n)) return std::nullopt;
  return n;
}

// The n-th change the archive loop records: a folder's original with its confirmation, and
// at every third one the confirmation of the folder before forgotten.
inline void archiveChange(FinderLayoutArchive& archive, long long n) {
  const auto path = "/Users/demo/" + std::to_string(n);
  archive.remember({path, "icon view", "volume", "None", "Name"}, "kind:name:false");
  if (n % 3 == 2) archive.forgetConfirmation("/Users/demo/" + std::to_string(n - 1));
}

// The archive after the first `count` changes.
inline FinderLayoutArchive archiveAfter(std::size_t count) {
  FinderLayoutArchive archive;
  for (std::size_t n = 0; n < count; ++n) archiveChange(archive, static_cast<long long>(n));
  return archive;
}

}  // namespace tidyframe
