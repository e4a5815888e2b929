#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace tidyframe {

// An enumeration whose identity and stored form is a text. Each such enumeration specialises
// RawCases with `cases`: every case with its raw value, in display order.
template <class E>
struct RawCases;

template <class E>
constexpr const auto& allCasesWithRaw() {
  return RawCases<E>::cases;
}

// Every case in display order.
template <class E>
constexpr auto allCases() {
  constexpr const auto& table = RawCases<E>::cases;
  std::array<E, table.size()> values{};
  std::transform(table.begin(), table.end(), values.begin(), [](const auto& entry) { return entry.first; });
  return values;
}

template <class E>
constexpr std::string_view rawValue(E value) {
  for (const auto& [candidate, raw] : RawCases<E>::cases) {
    if (candidate == value) return raw;
  }
  return {};
}

// The case whose raw value is exactly `raw` (case-sensitive), or nothing.
template <class E>
constexpr std::optional<E> fromRaw(std::string_view raw) {
  for (const auto& [candidate, candidateRaw] : RawCases<E>::cases) {
    if (candidateRaw == raw) return candidate;
  }
  return std::nullopt;
}

}  // namespace tidyframe
