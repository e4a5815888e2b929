#include "finder/automation_permission_state.h"

#include <algorithm>

#include "platform/apple_event_permissions.h"

namespace tidyframe {

AutomationPermissionState resolveAutomationPermission(std::span<const std::int32_t> statuses) {
  const auto holds = [statuses](std::int32_t code) { return std::ranges::find(statuses, code) != statuses.end(); };
  if (holds(apple_event_error::notPermitted)) return AutomationPermissionState::denied;
  if (holds(apple_event_error::wouldRequireUserConsent)) return AutomationPermissionState::denied;
  const bool allZero = std::ranges::all_of(statuses, [](std::int32_t status) { return status == 0; });
  return allZero ? AutomationPermissionState::allowed : AutomationPermissionState::unknown;
}

AutomationPermissionState probeAutomationPermission(AppleEventPermissions& permissions) {
  std::array<std::int32_t, automationTargets.size()> statuses{};
  std::ranges::transform(automationTargets, statuses.begin(),
                         [&permissions](std::string_view target) { return permissions.status(target); });
  return resolveAutomationPermission(statuses);
}

}  // namespace tidyframe
