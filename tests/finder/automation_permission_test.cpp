#include <gtest/gtest.h>

#include <map>

#include "finder/automation_permission_state.h"
#include "platform/apple_event_permissions.h"

namespace tidyframe {
namespace {

TEST(AutomationPermissionTest, VerdictOverStatusCodes) {
  using State = AutomationPermissionState;
  struct Case {
    std::vector<std::int32_t> statuses;
    State expected;
    const char* reason;
  };
  const Case cases[] = {
      {{0, 0}, State::allowed, "both targets allow"},
      {{0, -600}, State::unknown, "an idle System Events is not a refusal"},
      {{-1743, -600}, State::denied, "a revoked permission takes precedence"},
      {{-600, -1743}, State::denied, "a refusal anywhere in the list counts"},
      {{0, -1744}, State::denied, "consent not yet given"},
      {{0, -1712}, State::unknown, "a time-out is not a refusal"},
      {{}, State::allowed, "nothing to ask about"},
      {{7}, State::unknown, "an unexpected code"},
  };
  for (const auto& c : cases) EXPECT_EQ(resolveAutomationPermission(c.statuses), c.expected) << c.reason;
}

class ScriptedPermissions final : public AppleEventPermissions {
 public:
  std::map<std::string, std::int32_t, std::less<>> statuses;
  std::vector<std::string> asked;
  std::int32_t status(std::string_view bundleIdentifier) override {
    asked.emplace_back(bundleIdentifier);
    const auto found = statuses.find(bundleIdentifier);
    return found == statuses.end() ? -600 : found->second;
  }
};

TEST(AutomationPermissionTest, ProbeAsksTheFinderThenSystemEvents) {
  ScriptedPermissions permissions;
  permissions.statuses = {{"com.apple.finder", 0}, {"com.apple.systemevents", -1744}};
  EXPECT_EQ(probeAutomationPermission(permissions), AutomationPermissionState::denied);
  EXPECT_EQ(permissions.asked, (std::vector<std::string>{"com.apple.finder", "com.apple.systemevents"}));
  permissions.statuses["com.apple.systemevents"] = 0;
  EXPECT_EQ(probeAutomationPermission(permissions), AutomationPermissionState::allowed);
}

}  // namespace
}  // namespace tidyframe
