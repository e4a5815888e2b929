#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "base/raw_enum.h"

namespace tidyframe {

class L;

// What the Finder groups a window by. `none` turns groups off.
enum class Grouping { kind, name, modified, created, added, opened, size, tags, none };

// What the Finder sorts a window by. Every sorting has the grouping of the same raw value.
enum class Sorting { name, kind, modified, created, added, opened, size, tags };

template <>
struct RawCases<Grouping> {
  static constexpr std::array<std::pair<Grouping, std::string_view>, 9> cases{{
      {Grouping::kind, "kind"},
      {Grouping::name, "name"},
      {Grouping::modified, "modified"},
      {Grouping::created, "created"},
      {Grouping::added, "added"},
      {Grouping::opened, "opened"},
      {Grouping::size, "size"},
      {Grouping::tags, "tags"},
      {Grouping::none, "none"},
  }};
};

template <>
struct RawCases<Sorting> {
  static constexpr std::array<std::pair<Sorting, std::string_view>, 8> cases{{
      {Sorting::name, "name"},
      {Sorting::kind, "kind"},
      {Sorting::modified, "modified"},
      {Sorting::created, "created"},
      {Sorting::added, "added"},
      {Sorting::opened, "opened"},
      {Sorting::size, "size"},
      {Sorting::tags, "tags"},
  }};
};

Grouping grouping(Sorting sorting);

// The Chinese source of the title, to be passed through L.
std::string_view titleSource(Grouping grouping);
std::string title(Grouping grouping, const L& l);
std::string title(Sorting sorting, const L& l);

// Name of the system symbol shown beside the choice.
std::string_view symbol(Grouping grouping);

}  // namespace tidyframe
