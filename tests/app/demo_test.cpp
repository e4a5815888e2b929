#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "app/demo.h"
#include "app/scratch_folder.h"
#include "base/virtual_dispatch.h"
#include "i18n/l.h"

namespace tidyframe {
namespace {

// Advances virtual time in steps until the tour stops it, for at most ten virtual minutes.
class VirtualLoop final : public DemoLoop {
 public:
  explicit VirtualLoop(VirtualDispatch& dispatch) : dispatch_(dispatch) {}
  void run() override {
    for (int i = 0; i < 6000 && !stopped_; ++i) dispatch_.advance(0.1);
  }
  void stop() override { stopped_ = true; }

 private:
  VirtualDispatch& dispatch_;
  bool stopped_ = false;
};

// The tour's verdict must follow what the engine did: a world in which it cannot do what a
// step expects fails the tour, and even a failing tour ends within a minute.
TEST(DemoTour, VerdictFollowsWhatTheEngineDid) {
  struct Case {
    const char* reason;
    std::function<void(Preferences&)> change;
    bool passes;
    const char* failedCheck;  // a check the output must report as failed, as a pattern
  };
  const Case cases[] = {
      {"the tour as shipped", [](Preferences&) {}, true, ""},
      {"a device rule for another card: the card is not arranged by it",
       [](Preferences& p) { p.rules[1].volumeID = "0B0B0B0B-0000-4000-8000-000000000000"; }, false,
       "\\(device rule\\)"},
      {"dot files not kept hidden: they stay shown", [](Preferences& p) { p.hideOnNavigation = false; }, false,
       "hides them again"},
      {"Pictures excluded: it is never arranged",
       [](Preferences& p) { p.rules[0].excluded = true; }, false, "\\(folder rule\\)"},
  };
  for (const auto& c : cases) {
    const ScratchFolder folder("tidyframe-demo-test-");
    ASSERT_FALSE(folder.path().empty());
    VirtualDispatch dispatch{Date{786000000}};
    VirtualLoop loop(dispatch);
    L l({}, nullptr);
    std::ostringstream out;
    auto settings = demoSettings();
    c.change(settings);
    const Date start = dispatch.now();
    const bool passed = runDemoTour(dispatch, loop, {out, nullptr, l, folder.path(), settings});
    EXPECT_EQ(passed, c.passes) << c.reason << "\n" << out.str();
    EXPECT_LT(dispatch.now() - start, 60.0) << c.reason;
    dispatch.runUntilIdle();
    EXPECT_EQ(dispatch.pendingCount(), 0u) << c.reason << ": work left behind by the tour or the engine";
    if (*c.failedCheck) {
      const std::string failedLine = std::string("(^|\n)check FAILED[^\n]*") + c.failedCheck;
      EXPECT_THAT(out.str(), testing::ContainsRegex(failedLine)) << c.reason;
    }
  }
}

}  // namespace
}  // namespace tidyframe
