#include <gtest/gtest.h>

#include "model/finder_view_support.h"
#include "model/grouping.h"
#include "model/preferences.h"

namespace tidyframe {
namespace {

TEST(FinderViewSupportTest, GalleryViewsCannotGroup) {
  struct Case {
    const char* view;
    bool groups;
  };
  const Case cases[] = {{"gallery view", false}, {"flow view", false},    {"group view", false},
                        {"list view", true},     {"Gallery View", true}, {"", true}};
  for (const auto& c : cases) {
    const auto expected = c.groups ? Grouping::kind : Grouping::none;
    EXPECT_EQ(FinderViewSupport::grouping(Grouping::kind, c.view), expected) << c.view;
    EXPECT_EQ(FinderViewSupport::supportsGrouping(c.view), c.groups) << c.view;
  }
}

TEST(PreferencesTest, AFreshRecordLeavesFinderAloneAndNewRulesAreDistinct) {
  EXPECT_FALSE(Preferences{}.engineEnabled) << "nothing is rearranged before the user turns it on";
  EXPECT_NE(LocationRule{}.id, LocationRule{}.id);
}

}  // namespace
}  // namespace tidyframe
