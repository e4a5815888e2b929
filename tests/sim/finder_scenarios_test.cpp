#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "finder/finder_visibility_preference.h"
#include "finder/finder_window_probe.h"
#include "sim/sim_ports.h"
#include "sim/sim_scenario.h"
#include "sim/sim_session.h"

namespace tidyframe {
namespace {

const std::string kDocs = "/Users/demo/Documents";
const std::string kDesktop = "/Users/demo/Desktop";
constexpr const char* kNoGroupMenu = "Finder 当前视图没有可用的分组菜单";
constexpr const char* kNoSortOption = "此系统语言暂未支持该排序选项";
constexpr const char* kSystemEventsTimedOut = "System Events got an error: AppleEvent timed out.";

FinderMenuStyle styleOf(FinderMenuLanguage language, bool straight = false) {
  return {language, straight, std::nullopt, std::nullopt};
}
FolderArrangement ungrouped(ArrangeKey sort) { return {false, ArrangeKey::kind, sort}; }
FolderArrangement grouped(ArrangeKey group, ArrangeKey sort) { return {true, group, sort}; }

// What happens to the world between the query and the arrangement, given the queried window.
using Act = std::function<void(SimWorld&, int)>;

Act style(FinderMenuStyle s) {
  return [s](SimWorld& w, int) { w.finder.setMenuStyle(s); };
}
Act at(double seconds, std::function<void(SimFinder&)> change) {
  return [=](SimWorld& w, int) { w.mac.at(seconds, change); };
}
Act slow(SimMac::EventMatch match, double seconds) {
  return [=](SimWorld& w, int) { w.mac.slowEvent(match, seconds); };
}

// The arrangement script run against the model, its reply and the model's final state asserted.
// The hidden-files preference starts on, so a pressed shortcut shows as the preference toggled off.
TEST(ArrangementScenario, RepliesAndFinalState) {
  using enum ArrangeKey;
  using enum FinderView;
  const Act fallback = style({FinderMenuLanguage::english, false, "Cluster By", "Order By"});
  const Act french = style(styleOf(FinderMenuLanguage::french));
  const Act straight = style(styleOf(FinderMenuLanguage::french, true));
  const FolderArrangement plain = ungrouped(name);
  const Strings arranged = {"View", "Use Groups", "View", "Kind"}, menuOnly = {"View"};
  const auto clickElsewhere = [](SimFinder& f) { f.userClicksElsewhere(); };
  const auto typeInSearchField = [](SimFinder& f) { f.focusTextField(true); };
  struct Row {
    const char* reason;
    FinderView view;
    FolderArrangement before;
    Act act;
    Strings groups, sorts;
    bool hide;
    Strings reply;
    Strings clicks;
    FolderArrangement after;
  };
  const Row rows[] = {
      {"groups off, none wanted: no Use Groups click", icon, plain, {}, kNone, kName, false,
       {"unchanged", "None", "Name"}, menuOnly, plain},
      {"groups off, one wanted: Use Groups once, then the item", icon, {false, size, name}, {}, kKind, kName, false,
       {"ok", "None", "Name"}, arranged, grouped(kind, name)},
      {"None turns groups off", icon, grouped(tags, name), {}, kNone, kName, false, {"ok", "Tags", "Name"},
       {"View", "None"}, {false, tags, name}},
      {"a sort title this language lacks (a French undo, English Finder)", icon, plain, {}, kNone,
       {"Taille"}, false, {"error", "None", "Name", kNoSortOption, "-2700"}, menuOnly, plain},
      {"no View menu in a language no list knows", icon, plain, style(styleOf(FinderMenuLanguage::dutch)),
       kKind, kName, false, {"failed", "-2700", kNoGroupMenu}, {}, plain},
      {"window navigated since the query", icon, plain,
       [](SimWorld& w, int id) { w.finder.navigate(id, kDesktop); }, kKind, kName, false, {"skip"}, {}, plain},
      {"another window on the same folder in front", icon, plain,
       [](SimWorld& w, int) { w.finder.openWindow(kDocs); }, kKind, kName, false, {"skip"}, {}, plain},
      {"hide is never unchanged: the shortcut pressed", icon, plain, {}, kNone, kName, true,
       {"ok", "None", "Name"}, menuOnly, plain},
      {"French Finder, typographic apostrophe", list, grouped(added, name), french, kKind, kAdded, false,
       {"ok", "Date d’ajout", "Nom"}, {"Présentation", "Type", "Présentation", "Date d’ajout"}, grouped(kind, added)},
      {"French Finder, straight apostrophe", list, grouped(added, name), straight, kKind, kAdded, false,
       {"ok", "Date d'ajout", "Nom"}, {"Présentation", "Type", "Présentation", "Date d'ajout"}, grouped(kind, added)},
      {"gallery view arranges the sort only", gallery, grouped(kind, name), {}, kNone, kSize, false,
       {"ok", "None", "Name"}, {"View", "Size"}, SimFinder::effective(grouped(kind, size), gallery)},
      // The Sort By submenu of the icon and column views has a None item too; taken for the group
      // submenu it would sort where the script meant to group and still answer "ok".
      {"shortcut search, icon view, groups off", icon, plain, fallback, kKind, kSize, false,
       {"ok", "None", "Name"}, {"View", "Use Groups", "View", "Kind", "View", "Size"}, grouped(kind, size)},
      {"shortcut search, icon view, grouped", icon, grouped(tags, name), fallback, kKind, kSize, false,
       {"ok", "Tags", "Name"}, {"View", "Kind", "View", "Size"}, grouped(kind, size)},
      {"shortcut search, column view, groups off", column, plain, fallback, kKind, kSize, false,
       {"ok", "None", "Name"}, {"View", "Use Groups", "View", "Kind", "View", "Size"}, grouped(kind, size)},
      {"shortcut search, list view, grouped", list, grouped(tags, name), fallback, kKind, kSize, false,
       {"ok", "Tags", "Name"}, {"View", "Kind", "View", "Size"}, grouped(kind, size)},
      {"front lost after Use Groups, which brought back the last grouping", icon, {false, size, name},
       [](SimWorld& w, int) { w.finder.loseFrontAfterMenuClicks(2); }, kKind, kName, false,
       {"skip", "None", "Name"}, {"View", "Use Groups", "View"}, grouped(size, name)},
      {"front lost after arranging: the hide block skips", icon, ungrouped(size),
       [](SimWorld& w, int) { w.finder.loseFrontAfterMenuClicks(4); }, kKind, kSize, true,
       {"skip", "None", "Size"}, arranged, grouped(kind, size)},
      {"window closed while waiting after the group item", icon, ungrouped(size),
       [](SimWorld& w, int id) { w.mac.at(0.59, [id](SimFinder& f) { f.closeWindow(id); }); }, kKind, kSize, true,
       {"skip", "None", "Size"}, arranged, grouped(kind, size)},
      {"a user's click elsewhere closes the menu; the items are still pressed", icon, plain, at(0.2, clickElsewhere),
       kKind, kName, false, {"ok", "None", "Name"}, arranged, grouped(kind, name)},
      {"typing in the search field stops the shortcut", icon, plain, at(0.2, typeInSearchField), kKind, kName, true,
       {"skip", "None", "Name"}, arranged, grouped(kind, name)},
      {"a slow click in the menu phase: error reply, menu closed, the click still lands", icon, plain,
       slow({"System Events", "click", "menu item \"Use Groups\""}, 6), kKind, kName, false,
       {"error", "None", "Name", kSystemEventsTimedOut, "-1712"}, {"View", "Use Groups"}, grouped(kind, name)},
      {"the Finder's own re-check is slow (4-second limit)", icon, plain, slow({"Finder", "get", "URL"}, 5), kKind,
       kName, false, {"failed", "-1712", "Finder got an error: AppleEvent timed out."}, {}, plain},
      {"the guard is slow (2-second limit)", icon, plain, slow({"System Events", "get", "AXMain"}, 5), kKind,
       kName, false, {"failed", "-1712", kSystemEventsTimedOut}, {}, plain},
      {"accessibility revoked", icon, plain, [](SimWorld& w, int) { w.mac.setAccessibilityTrusted(false); }, kKind,
       kName, false, {"failed", "-25211", "System Events got an error: osascript is not allowed assistive access."},
       {}, plain},
      {"automation of the Finder refused", icon, plain,
       [](SimWorld& w, int) { w.mac.setAutomation("Finder", AutomationConsent::refused); }, kKind, kName, false,
       {"failed", "-1743", "Not authorized to send Apple events to Finder."}, {}, plain},
      {"automation of System Events refused", icon, plain,
       [](SimWorld& w, int) { w.mac.setAutomation("System Events", AutomationConsent::refused); }, kKind, kName,
       false, {"failed", "-1743", "Not authorized to send Apple events to System Events."}, {}, plain},
      {"the Finder quit", icon, plain, [](SimWorld& w, int) { w.finder.quit(); }, kKind, kName, false,
       {"failed", "-1728", "System Events got an error: Can’t get application process \"Finder\"."}, {}, plain},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    SimWorld w;
    const int id = w.open(kDocs, row.view, row.before);
    w.finder.setShowsAllFiles(true);
    const Strings location = w.query();
    ASSERT_EQ(location.size(), 3u);
    if (row.act) row.act(w, id);
    const Strings reply = w.apply(location, row.groups, row.sorts, row.hide);
    EXPECT_EQ(reply, row.reply);
    EXPECT_FALSE(w.finder.openMenu()) << "a menu was left open";
    w.dispatch.advance(10);
    EXPECT_EQ(w.finder.menuClicks(), row.clicks);
    EXPECT_EQ(w.shown(kDocs, row.view), row.after);
    EXPECT_EQ(w.finder.arrangement(kDesktop, row.view), FolderArrangement{}) << "another folder changed";
    // Only a completed hide block presses the shortcut, and it toggles the preference back off.
    const bool pressed = row.hide && reply[0] == "ok";
    EXPECT_EQ(w.mac.keyPresses(), pressed ? 1 : 0);
    EXPECT_EQ(w.finder.showsAllFiles(), !pressed);
    EXPECT_FALSE(w.finder.openMenu()) << "a menu was left open";
  }
}

TEST(ArrangementScenario, GuardSkipsWhileTheUserIsBusy) {
  const std::pair<const char*, std::function<void(SimFinder&, int)>> rows[] = {
      {"Finder not frontmost", [](SimFinder& f, int) { f.setFrontmost(false); }},
      {"sheet on the front window", [](SimFinder& f, int id) { f.addSheet(id); }},
      {"sheet on another window",
       [](SimFinder& f, int id) {
         f.addSheet(f.openWindow("/tmp"));
         f.bringToFront(id);
       }},
      {"Go to Folder window open", [](SimFinder& f, int) { f.openPanel(FinderWindowKind::goToFolder); }},
      {"modal dialog", [](SimFinder& f, int) { f.openPanel(FinderWindowKind::dialog, true); }},
      {"non-modal dialog in front", [](SimFinder& f, int) { f.openPanel(FinderWindowKind::dialog, false); }},
      {"system floating window", [](SimFinder& f, int) { f.openPanel(FinderWindowKind::floating); }},
      {"typing in the search field", [](SimFinder& f, int) { f.focusTextField(true); }},
      {"a menu the user opened", [](SimFinder& f, int) { f.userOpensMenu(2); }},
      {"no browser window", [](SimFinder& f, int id) { f.closeWindow(id); }},
  };
  for (const auto& [reason, busy] : rows) {
    SCOPED_TRACE(reason);
    SimWorld w;
    const int id = w.open(kDocs);
    const Strings location = w.query();
    busy(w.finder, id);
    EXPECT_EQ((std::vector{w.query(), w.apply(location, kKind, kName, true), w.run(FinderScripts::keepHidden())}),
              std::vector(3, Strings{"skip"}));
    EXPECT_TRUE(w.finder.menuClicks().empty());
    EXPECT_EQ(w.mac.keyPresses(), 0);
  }
}

TEST(ArrangementScenario, UnresponsivePastTheMenuCloseLeavesTheMenuOpenUntilTheFinderCatchesUp) {
  SimWorld w;
  w.open(kDocs);
  const Strings location = w.query();
  w.mac.busy("System Events", 0.05, 10);
  EXPECT_EQ(w.apply(location, kKind, kName), (Strings{"error", "", "", kSystemEventsTimedOut, "-1712"}));
  // The close itself timed out before it could be sent: the menu stays open after the Finder
  // recovers, and the guard skips until the user closes it.
  w.dispatch.advance(10);
  EXPECT_EQ(w.finder.openMenu(), SimFinder::viewMenuIndex);
  EXPECT_EQ(w.query(), Strings{"skip"});
}

TEST(ArrangementScenario, EveryLanguageTheVocabularyKnowsIsArrangedBothWays) {
  for (auto language : allFinderMenuLanguages) {
    if (language == FinderMenuLanguage::dutch) continue;  // the language no list knows
    for (auto view : {FinderView::icon, FinderView::list}) {
      SimWorld w;
      w.finder.setMenuStyle(styleOf(language));
      w.open(kDocs, view, ungrouped(ArrangeKey::name));
      const auto& t = w.finder.titles();
      SCOPED_TRACE(t.view + " " + std::to_string(static_cast<int>(view)));
      EXPECT_EQ(w.apply(kKind, kSize), (Strings{"ok", "None", t.key(ArrangeKey::name)}));
      EXPECT_EQ(w.shown(kDocs, view), grouped(ArrangeKey::kind, ArrangeKey::size));
      // Grouped now, so the sort submenu carries its grouped title.
      EXPECT_EQ(w.apply(kNone, kName), (Strings{"ok", t.key(ArrangeKey::kind), t.key(ArrangeKey::size)}));
      EXPECT_FALSE(w.finder.openMenu());
    }
  }
}

TEST(ArrangementScenario, SameScenarioTwiceGivesTheSameRepliesCountersAndClock) {
  auto play = [] {
    SimWorld w;
    const int id = w.open(kDocs, FinderView::list, grouped(ArrangeKey::size, ArrangeKey::kind));
    w.finder.setShowsAllFiles(true);
    w.mac.slowEvent({"System Events", "click", "Date Created"}, 9);
    w.mac.at(3, [id](SimFinder& f) { f.navigate(id, "/Users/demo"); });
    std::vector<Strings> replies;
    for (int i = 0; i < 3; ++i) replies.push_back(w.apply(titles(Grouping::created), kName, true));
    w.dispatch.advance(20);
    return std::tuple(replies, w.mac.appleEvents(), w.mac.menuClicks(), w.mac.scriptsCompiled(),
                      w.dispatch.now() - Date{1000});
  };
  EXPECT_EQ(play(), play());
}

class ScriptAnswers : public SimScenario {};

TEST_F(ScriptAnswers, QueryAnswersTheFrontWindowOrSkips) {
  EXPECT_EQ(query(), Strings{"skip"});  // the guard: no standard window at all
  open("/Users/demo/My \"Folder\"", FinderView::column);
  EXPECT_EQ(query(), (Strings{"file:///Users/demo/My%20%22Folder%22/", "4001", "column view"}));
  const int front = open("/", FinderView::gallery);
  EXPECT_EQ(query(), (Strings{"file:///", std::to_string(front), "gallery view"}));
  // Two answered queries of four Finder events each; the skipped one never reached the Finder.
  EXPECT_EQ(mac.appleEvents("Finder"), 8);
  run("return (");
  EXPECT_EQ(mac.scriptsCompiled(), 4) << "failed compilations count too";
}

// The view script sets the view of exactly the window the query saw, or answers why not.
TEST(ViewScenario, RepliesAndFinalView) {
  using enum FinderView;
  const auto handlerFailed = "Finder got an error: AppleEvent handler failed.";
  struct Row {
    const char* reason;
    std::string folder;
    FinderViewChoice wanted;
    Act act;
    Strings reply;
    FinderView after;
  };
  const Row rows[] = {
      {"list wanted in an icon window", kDocs, FinderViewChoice::list, {}, {"ok", "icon view"}, list},
      {"the gallery is set as the flow view", kDocs, FinderViewChoice::gallery, {}, {"ok", "icon view"}, gallery},
      {"window navigated since the query", kDocs, FinderViewChoice::list,
       [](SimWorld& w, int id) { w.finder.navigate(id, kDesktop); }, {"skip"}, icon},
      {"window closed since the query", kDocs, FinderViewChoice::list,
       [](SimWorld& w, int id) { w.finder.closeWindow(id); }, {"skip"}, icon},
      {"a window that shows no folder refuses", "Network", FinderViewChoice::column, {},
       {"error", "icon view", handlerFailed, "-10000"}, icon},
      {"a slow answer: the error carries the old view, the change still lands", kDocs, FinderViewChoice::column,
       slow({"Finder", "set", "current view"}, 6),
       {"error", "icon view", "Finder got an error: AppleEvent timed out.", "-1712"}, column},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    SimWorld w;
    const int id = w.open(row.folder);
    const Strings location = w.run(FinderScripts::query());
    ASSERT_EQ(location.size(), 3u);
    if (row.act) row.act(w, id);
    EXPECT_EQ(w.run(FinderScripts::setView(location[0], location[1], row.wanted)), row.reply);
    w.dispatch.advance(10);
    const auto* window = w.finder.window(id);
    EXPECT_EQ(window ? window->view : icon, row.after);
    EXPECT_EQ(w.finder.menuClicks(), Strings{}) << "no menu is needed";
  }
}

TEST_F(ScriptAnswers, KeepHiddenPressesTheShortcutAndActivateRelaunchesAQuitFinder) {
  open(kDocs);
  finder.setShowsAllFiles(true);
  SimPreferenceStore store(finder);
  const FinderVisibilityPreference preference(store);
  EXPECT_EQ(run(FinderScripts::keepHidden()), Strings{"ok"});
  EXPECT_EQ(mac.keyPresses(), 1);
  EXPECT_TRUE(preference.showsHiddenFiles()) << "the preference is written a moment after the windows change";
  dispatch.advance(1);
  EXPECT_FALSE(preference.showsHiddenFiles());
  finder.quit();
  EXPECT_TRUE(mac.run(FinderScripts::activate()).has_value());
  EXPECT_TRUE(finder.running());
}

TEST_F(ScriptAnswers, AutomationCheckAddressesBothTargets) {
  mac.setAutomation("Finder", AutomationConsent::notAsked);
  mac.setAutomation("System Events", AutomationConsent::notAsked);
  EXPECT_EQ(run(FinderScripts::automationCheck()), Strings{"Finder"});
  EXPECT_EQ(mac.automationPrompts(), 2);
  EXPECT_EQ(mac.automation("Finder"), AutomationConsent::allowed);
  // Accessibility is not needed to name a process.
  mac.setAccessibilityTrusted(false);
  EXPECT_TRUE(mac.run(FinderScripts::automationCheck()).has_value());
}

TEST_F(ScriptAnswers, OnlyTheFindersProcessAnswersAccessibility) {
  open(kDocs);
  SimAccessibility accessibility(mac, SimWorkspace::finderPid);
  const SimInputState input(dispatch);
  const FinderWindowProbe probe(accessibility, input);
  EXPECT_EQ(probe.snapshot(SimWorkspace::finderPid).kind, FinderWindowProbe::Snapshot::Kind::document);
  EXPECT_EQ(probe.snapshot(SimWorkspace::otherPid).kind, FinderWindowProbe::Snapshot::Kind::unavailable);
}

}  // namespace
}  // namespace tidyframe
