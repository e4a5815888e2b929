#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "base/raw_enum.h"

namespace tidyframe {

class AppleEventPermissions;

// The verdict on the Automation permission for the Finder and System Events. `unknown` is not
// a refusal: a System Events that is not running, or a query that timed out, must not make the
// interface report a missing permission.
enum class AutomationPermissionState { allowed, denied, unknown };

template <>
struct RawCases<AutomationPermissionState> {
  static constexpr std::array<std::pair<AutomationPermissionState, std::string_view>, 3> cases{{
      {AutomationPermissionState::allowed, "allowed"},
      {AutomationPermissionState::denied, "denied"},
      {AutomationPermissionState::unknown, "unknown"},
  }};
};

// The applications whose Apple events the engine needs, in the order they are asked about.
inline constexpr std::array<std::string_view, 2> automationTargets{"com.apple.finder", "com.apple.systemevents"};

// The verdict over permission status codes: a refusal (-1743) anywhere outranks a missing
// consent (-1744), which outranks every other failure (unknown); no codes, or all zero, allow.
AutomationPermissionState resolveAutomationPermission(std::span<const std::int32_t> statuses);

// Asks the system about every target without ever showing a consent prompt. Blocking; called
// on the engine's environment queue.
AutomationPermissionState probeAutomationPermission(AppleEventPermissions& permissions);

}  // namespace tidyframe
