#pragma once

#include <optional>
#include <string>

#include "base/json.h"

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

}  // namespace tidyframe
