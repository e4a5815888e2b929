#include "sim/sim_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "finder/finder_location.h"
#include "sim/sim_scenario.h"

namespace tidyframe {
namespace {

// The engine forms a folder's URL itself (undo) and the simulated Finder answers its own; both
// must write what Foundation writes, or undo never finds the window.
TEST(FinderFolderUrl, BothEncodersWriteWhatTheFinderAnswers) {
  const std::tuple<const char*, const char*, const char*> rows[] = {  // path, URL, reason
      {"/", "file:///", "the root"},
      {"/Users/demo/My Folder", "file:///Users/demo/My%20Folder/", "a space, and the folder's slash"},
      {"/Users/demo/Docs/", "file:///Users/demo/Docs/", "one slash only"},
      {"/a b/\"q\"", "file:///a%20b/%22q%22/", "space and quote"},
      {"/\\[x]{y}|^`<>", "file:///%5C%5Bx%5D%7By%7D%7C%5E%60%3C%3E/", "unsafe characters"},
      {"/line\nbreak\r", "file:///line%0Abreak%0D/", "line breaks"},
      {"/文档", "file:///%E6%96%87%E6%A1%A3/", "UTF-8 bytes, upper-case hex"},
      {"/#?%", "file:///%23%3F%25/", "URL delimiters"},
      {"/a;b", "file:///a%3Bb/", "Foundation escapes a semicolon in a path"},
      {"/-._~!$&'()*+,=:@", "file:///-._~!$&'()*+,=:@/", "characters a path may hold as they are"},
  };
  for (const auto& [path, url, reason] : rows) {
    EXPECT_EQ(finderFolderUrl(path), url) << reason;
    EXPECT_EQ(folderURL(path), url) << reason;
  }
}

// Reads the View menu the way the scripts do, through System Events.
class FinderMenus : public SimScenario {
 protected:
  static constexpr const char* kView = "menu 1 of menu bar item \"View\" of menu bar 1";
  const std::string kDocs = "/Users/demo/Documents";

  applescript::Value events(const std::string& body) {
    auto result = mac.run("tell application \"System Events\" to tell process \"Finder\"\n" + body + "\nend tell");
    EXPECT_TRUE(result.has_value()) << body << ": " << (result ? "" : result.error().message);
    return result && *result ? **result : applescript::Value{};
  }
  Strings names(const std::string& menu) { return texts(events("return name of menu items of " + menu)); }
  Strings openViewMenu() {
    events("click menu bar item \"View\" of menu bar 1");
    return names(kView);
  }
  void cancel() { events("perform action \"AXCancel\" of " + std::string(kView)); }
};

// The items of the other views are pinned by the arrangement scenarios and the tests below; the
// gallery view's menu lacks grouping, which no script run against it would notice.
TEST_F(FinderMenus, TheGalleryViewMenuOnlySorts) {
  open(kDocs, FinderView::gallery, {true, ArrangeKey::kind, ArrangeKey::name});
  EXPECT_EQ(openViewMenu(),
            (Strings{"as Icons", "as List", "as Columns", "as Gallery", "missing value", "Sort By", "missing value"}));
}

TEST_F(FinderMenus, SubmenusCarryCheckMarksAndShortcuts) {
  open(kDocs, FinderView::icon, {true, ArrangeKey::kind, ArrangeKey::size});
  openViewMenu();
  const std::string group = " of menu 1 of menu item \"Group By\" of " + std::string(kView);
  const std::string sort = " of menu 1 of menu item \"Sort Groups By\" of " + std::string(kView);
  const auto attribute = [](const char* name) { return "value of attribute \"" + std::string(name) + "\" of "; };
  const std::pair<std::string, std::string> rows[] = {  // expression, value
      {attribute("AXMenuItemMarkChar") + "menu item \"Kind\"" + group, "✓"},
      {attribute("AXMenuItemMarkChar") + "menu item \"Name\"" + group, "missing value"},
      {attribute("AXMenuItemCmdChar") + "menu item \"Kind\"" + group, "2"},       // Control-Command-2
      {attribute("AXMenuItemCmdModifiers") + "menu item \"Kind\"" + group, "4"},  // Control
      {attribute("AXMenuItemCmdChar") + "menu item \"Name\"" + sort, "1"},        // Option-Control-Command-1
      {"name of menu item 1" + sort, "None"},   // icon views can be left unsorted
  };
  for (const auto& [expression, value] : rows) {
    EXPECT_EQ(applescript::textValue(events("return " + expression)), value) << expression;
  }
  cancel();
}

TEST_F(FinderMenus, MenusOpenWithTheirContentAndStayOpenUntilAnItemIsClickedOrCancelled) {
  open(kDocs);
  openViewMenu();
  events("delay 5");
  EXPECT_EQ(finder.openMenu(), SimFinder::viewMenuIndex) << "time alone closes nothing";
  cancel();
  EXPECT_FALSE(finder.openMenu());
  cancel();
  EXPECT_FALSE(finder.openMenu()) << "cancelling a closed menu does nothing";
  finder.setArrangement(kDocs, FinderView::icon, {true, ArrangeKey::kind, ArrangeKey::name});
  EXPECT_EQ(names(kView)[5], "Use Groups") << "a closed menu still shows what it showed";
  EXPECT_EQ(openViewMenu()[5], "Group By");
  events("click menu item \"as List\" of " + std::string(kView));
  EXPECT_FALSE(finder.openMenu()) << "an item clicked closes its menu";
  openViewMenu();
  finder.setFrontmost(false);
  EXPECT_FALSE(finder.openMenu()) << "menus close when the Finder loses the front";
}

// The right shortcut to a frontmost Finder toggles; the scenarios press it. Nothing else may.
TEST_F(FinderMenus, HiddenFilesShortcutOnlyReachesAFrontmostFinder) {
  const std::tuple<const char*, bool, const char*> rows[] = {  // keys, frontmost, reason
      {"key code 47 using {command down}", true, "Command-period is something else"},
      {"key code 47 using {command down, shift down, option down}", true, "an extra modifier"},
      {"key code 46 using {command down, shift down}", true, "another key"},
      {"key code 47 using {command down, shift down}", false, "keys go to the frontmost application"},
  };
  open(kDocs);
  for (const auto& [keys, frontmost, reason] : rows) {
    finder.setFrontmost(frontmost);
    events(keys);
    EXPECT_FALSE(finder.showsAllFiles()) << reason;
  }
  EXPECT_EQ(mac.keyPresses(), 4);
}

}  // namespace
}  // namespace tidyframe
