#include <gtest/gtest.h>

#include "model/finder_view_choice.h"
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

// What the Finder reports read as a choice, and whether the window then needs the view script.
TEST(FinderViewSupportTest, ReportedViewsAsChoices) {
  using enum FinderViewChoice;
  struct Case {
    const char* view;
    std::optional<FinderViewChoice> choice;
  };
  const Case cases[] = {
      {"icon view", icon},       {"list view", list},       {"column view", column}, {"gallery view", gallery},
      {"flow view", gallery},    {"group view", gallery},   {"List View", std::nullopt}, {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reportedViewChoice(c.view), c.choice) << c.view;
    EXPECT_TRUE(showsView(c.view, keep)) << c.view;
    EXPECT_EQ(showsView(c.view, list), c.choice == list) << c.view;
  }
  // The term each choice is set with is one the Finder reports back as that choice.
  for (const auto choice : {icon, list, column, gallery}) EXPECT_EQ(reportedViewChoice(scriptingName(choice)), choice);
  EXPECT_EQ(scriptingName(gallery), "flow view") << "the only gallery term the Finder accepts";
  EXPECT_EQ(scriptingName(keep), "");
}

}  // namespace
}  // namespace tidyframe
