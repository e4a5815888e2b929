#include <gtest/gtest.h>

#include "model/finder_view_support.h"
#include "model/grouping.h"

namespace tidyframe {
namespace {

TEST(FinderViewSupportTest, GalleryViewsCannotGroup) {
  struct Case {
    const char* view;
    bool groups;
    const char* reason;
  };
  const Case cases[] = {
      {"gallery view", false, "the gallery view never groups"},
      {"flow view", false, "the gallery view's older scripting name"},
      {"group view", false, "and its other one"},
      {"list view", true, "every other view groups"},
      {"Gallery View", true, "the Finder's names are compared exactly"},
      {"", true, "an unknown view is not held back"},
  };
  for (const auto& c : cases) EXPECT_EQ(FinderViewSupport::supportsGrouping(c.view), c.groups) << c.reason;
  EXPECT_EQ(FinderViewSupport::grouping(Grouping::kind, "gallery view"), Grouping::none);
  EXPECT_EQ(FinderViewSupport::grouping(Grouping::kind, "list view"), Grouping::kind);
}

}  // namespace
}  // namespace tidyframe
