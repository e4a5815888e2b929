#include <gtest/gtest.h>

#include "sim/sim_scenario.h"

namespace tidyframe {
namespace {

namespace fx = fixtures;
using Strings = std::vector<std::string>;

class ArrangementScenario : public SimScenario {};

TEST_F(ArrangementScenario, Smoke) {
  open("/Users/demo/Documents");
  EXPECT_EQ(query(), (Strings{"file:///Users/demo/Documents/", "4001", "icon view"}));
  EXPECT_EQ(apply(fx::kKindChoice, fx::kNameChoice), (Strings{"ok", "None", "Name"}));
  EXPECT_EQ(finder.menuClicks(), (Strings{"View", "Use Groups", "View", "Kind"}));
}

}  // namespace
}  // namespace tidyframe
