#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "base/raw_enum.h"

namespace tidyframe {

class L;

// What a rule is attached to: one folder, or a whole device known by its volume UUID.
enum class RuleScope { folder, device };

template <>
struct RawCases<RuleScope> {
  static constexpr std::array<std::pair<RuleScope, std::string_view>, 2> cases{{
      {RuleScope::folder, "folder"},
      {RuleScope::device, "device"},
  }};
};

std::string title(RuleScope scope, const L& l);

// How often the update checker looks for a new version.
enum class SoftwareUpdateFrequency { daily, weekly, manual };

template <>
struct RawCases<SoftwareUpdateFrequency> {
  static constexpr std::array<std::pair<SoftwareUpdateFrequency, std::string_view>, 3> cases{{
      {SoftwareUpdateFrequency::daily, "daily"},
      {SoftwareUpdateFrequency::weekly, "weekly"},
      {SoftwareUpdateFrequency::manual, "manual"},
  }};
};

std::string title(SoftwareUpdateFrequency frequency, const L& l);

}  // namespace tidyframe
