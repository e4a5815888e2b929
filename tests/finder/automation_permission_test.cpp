#include <gtest/gtest.h>

#include "finder/automation_permission_state.h"

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

}  // namespace
}  // namespace tidyframe
