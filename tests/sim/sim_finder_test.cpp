#include "sim/sim_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_scenario.h"

namespace tidyframe {
namespace {

using Strings = std::vector<std::string>;

TEST(FinderFolderUrl, EncodesLikeTheFinder) {
  struct Row {
    const char* path;
    const char* url;
    const char* reason;
  };
  const Row rows[] = {
      {"/", "file:///", "the root"},
      {"/Users/demo/Docs", "file:///Users/demo/Docs/", "folders end in a slash"},
      {"/Users/demo/Docs/", "file:///Users/demo/Docs/", "one slash only"},
      {"/a b/\"q\"", "file:///a%20b/%22q%22/", "space and quote"},
      {"/back\\slash", "file:///back%5Cslash/", "backslash"},
      {"/line\nbreak\r", "file:///line%0Abreak%0D/", "line breaks"},
      {"/文档", "file:///%E6%96%87%E6%A1%A3/", "UTF-8 bytes, upper-case hex"},
      {"/#?%[]", "file:///%23%3F%25%5B%5D/", "URL delimiters"},
      {"/-._~!$&'()*+,;=:@", "file:///-._~!$&'()*+,;=:@/", "characters a path may hold as they are"},
  };
  for (const auto& row : rows) EXPECT_EQ(finderFolderUrl(row.path), row.url) << row.reason;
}

// Reads the View menu the way the scripts do, through System Events.
class FinderMenus : public SimScenario {
 protected:
  applescript::Value run(const std::string& body) {
    auto result = mac.run("tell application \"System Events\" to tell process \"Finder\"\n" + body + "\nend tell");
    EXPECT_TRUE(result.has_value()) << body << ": " << (result ? "" : result.error().message);
    return result && *result ? **result : applescript::Value{};
  }
  Strings names(const std::string& menu) {
    Strings out;
    applescript::Value v = run("return name of menu items of " + menu);
    if (!v.is<applescript::ValueList>()) return out;
    for (const auto& item : v.as<applescript::ValueList>()) out.push_back(applescript::textValue(item));
    return out;
  }
  Strings openViewMenu() {
    run("click menu bar item \"View\" of menu bar 1");
    return names(kViewMenu);
  }
  static constexpr const char* kViewMenu = "menu 1 of menu bar item \"View\" of menu bar 1";
  static std::string kDocs() { return "/Users/demo/Documents"; }
};

TEST_F(FinderMenus, ViewMenuFollowsTheFrontWindow) {
  struct Row {
    FinderView view;
    bool grouped;
    Strings arrangementItems;
    const char* reason;
  };
  const Row rows[] = {
      {FinderView::icon, false, {"Use Groups", "Sort By"}, "groups off: the Use Groups toggle"},
      {FinderView::icon, true, {"Group By", "Sort Groups By"}, "groups on: both submenus, sort worded for groups"},
      {FinderView::list, true, {"Group By", "Sort Groups By"}, "list view groups too"},
      {FinderView::gallery, true, {"Sort By"}, "the gallery view never groups"},
  };
  for (const auto& row : rows) {
    finder.setArrangement(kDocs(), row.view, {row.grouped, ArrangeKey::kind, ArrangeKey::name});
    int id = finder.openWindow(kDocs(), row.view);
    Strings expected = {"as Icons", "as List", "as Columns", "as Gallery", "missing value"};
    expected.insert(expected.end(), row.arrangementItems.begin(), row.arrangementItems.end());
    expected.push_back("missing value");
    EXPECT_EQ(openViewMenu(), expected) << row.reason;
    run("perform action \"AXCancel\" of " + std::string(kViewMenu));
    finder.closeWindow(id);
  }
}

TEST_F(FinderMenus, SubmenusCarryCheckMarksAndShortcuts) {
  finder.setArrangement(kDocs(), FinderView::icon, {true, ArrangeKey::kind, ArrangeKey::size});
  finder.openWindow(kDocs());
  openViewMenu();
  const std::string group = "menu 1 of menu item \"Group By\" of " + std::string(kViewMenu);
  const std::string sort = "menu 1 of menu item \"Sort Groups By\" of " + std::string(kViewMenu);
  struct Row {
    std::string expression;
    std::string expected;
    const char* reason;
  };
  const Row rows[] = {
      {"value of attribute \"AXMenuItemMarkChar\" of menu item \"Kind\" of " + group, "✓", "the current group"},
      {"value of attribute \"AXMenuItemMarkChar\" of menu item \"Name\" of " + group, "missing value", "unmarked"},
      {"value of attribute \"AXMenuItemMarkChar\" of menu item \"Size\" of " + sort, "✓", "the current sort"},
      {"value of attribute \"AXMenuItemCmdChar\" of menu item \"Kind\" of " + group, "2", "Control-Command-2"},
      {"value of attribute \"AXMenuItemCmdModifiers\" of menu item \"Kind\" of " + group, "4", "Control with Command"},
      {"value of attribute \"AXMenuItemCmdChar\" of menu item \"Name\" of " + sort, "1", "Option-Control-Command-1"},
      {"value of attribute \"AXMenuItemCmdModifiers\" of menu item \"Name\" of " + sort, "6", "Option and Control"},
      {"name of menu item 1 of " + group, "None", "grouping can be turned off from the submenu"},
      {"name of menu item 1 of " + sort, "None", "icon views can be left unsorted"},
  };
  for (const auto& row : rows) EXPECT_EQ(applescript::textValue(run("return " + row.expression)), row.expected) << row.reason;
  run("perform action \"AXCancel\" of " + std::string(kViewMenu));
}

TEST_F(FinderMenus, MenusStayOpenUntilAnItemIsClickedOrCancelled) {
  int id = finder.openWindow(kDocs());
  openViewMenu();
  EXPECT_EQ(finder.openMenu(), SimFinder::viewMenuIndex);
  run("delay 5");
  EXPECT_EQ(finder.openMenu(), SimFinder::viewMenuIndex) << "time alone closes nothing";
  run("perform action \"AXCancel\" of " + std::string(kViewMenu));
  EXPECT_FALSE(finder.openMenu());
  run("perform action \"AXCancel\" of " + std::string(kViewMenu));
  EXPECT_FALSE(finder.openMenu()) << "cancelling a closed menu does nothing";
  openViewMenu();
  run("click menu item \"as List\" of " + std::string(kViewMenu));
  EXPECT_FALSE(finder.openMenu());
  EXPECT_EQ(finder.window(id)->view, FinderView::list);
  openViewMenu();
  finder.setFrontmost(false);
  EXPECT_FALSE(finder.openMenu()) << "menus close when the Finder loses the front";
}

TEST_F(FinderMenus, ContentIsFilledWhenTheMenuOpens) {
  finder.setArrangement(kDocs(), FinderView::icon, {false, ArrangeKey::kind, ArrangeKey::name});
  finder.openWindow(kDocs());
  openViewMenu();
  run("perform action \"AXCancel\" of " + std::string(kViewMenu));
  finder.setArrangement(kDocs(), FinderView::icon, {true, ArrangeKey::kind, ArrangeKey::name});
  EXPECT_EQ(names(kViewMenu)[5], "Use Groups") << "a closed menu still shows what it showed";
  EXPECT_EQ(openViewMenu()[5], "Group By");
  run("perform action \"AXCancel\" of " + std::string(kViewMenu));
}

TEST_F(FinderMenus, ClicksChangeTheFolderArrangement) {
  finder.setArrangement(kDocs(), FinderView::icon, {false, ArrangeKey::size, ArrangeKey::name});
  finder.openWindow(kDocs());
  openViewMenu();
  run("click menu item \"Use Groups\" of " + std::string(kViewMenu));
  EXPECT_EQ(finder.arrangement(kDocs(), FinderView::icon), (FolderArrangement{true, ArrangeKey::size, ArrangeKey::name}))
      << "Use Groups brings back the last grouping";
  openViewMenu();
  run("click menu item \"None\" of menu 1 of menu item \"Group By\" of " + std::string(kViewMenu));
  EXPECT_EQ(finder.arrangement(kDocs(), FinderView::icon), (FolderArrangement{false, ArrangeKey::size, ArrangeKey::name}))
      << "None turns groups off and keeps the grouping for later";
  EXPECT_EQ(finder.arrangement("/elsewhere", FinderView::icon), FolderArrangement{}) << "other folders untouched";
}

TEST_F(FinderMenus, HiddenFilesShortcutOnlyReachesAFrontmostFinder) {
  struct Row {
    const char* keys;
    bool frontmost;
    bool toggles;
    const char* reason;
  };
  const Row rows[] = {
      {"key code 47 using {command down, shift down}", true, true, "Command-Shift-period"},
      {"key code 47 using {command down}", true, false, "Command-period is something else"},
      {"key code 47 using {command down, shift down, option down}", true, false, "an extra modifier"},
      {"key code 46 using {command down, shift down}", true, false, "another key"},
      {"key code 47 using {command down, shift down}", false, false, "keys go to the frontmost application"},
  };
  finder.openWindow(kDocs());
  for (const auto& row : rows) {
    finder.setShowsAllFiles(false);
    finder.setFrontmost(row.frontmost);
    run(row.keys);
    EXPECT_EQ(finder.showsAllFiles(), row.toggles) << row.reason;
  }
  EXPECT_EQ(mac.keyPresses(), 5);
}

TEST_F(FinderMenus, FrenchTitlesInBothApostropheStyles) {
  FinderMenuStyle style{FinderMenuLanguage::french, false, std::nullopt, std::nullopt};
  EXPECT_EQ(finderMenuTitles(style).key(ArrangeKey::added), "Date d’ajout");
  style.straightApostrophes = true;
  EXPECT_EQ(finderMenuTitles(style).key(ArrangeKey::added), "Date d'ajout");
  EXPECT_EQ(finderMenuTitles(style).view, "Présentation");
}

TEST_F(FinderMenus, ProcessStateNeedsNoAccessibilityButElementsDo) {
  finder.openWindow(kDocs());
  mac.setAccessibilityTrusted(false);
  EXPECT_TRUE(mac.run("tell application \"System Events\" to return frontmost of process \"Finder\"").has_value());
  auto windows = mac.run("tell application \"System Events\" to return count of windows of process \"Finder\"");
  ASSERT_FALSE(windows.has_value());
  EXPECT_EQ(windows.error().number, -25211);
}

}  // namespace
}  // namespace tidyframe
