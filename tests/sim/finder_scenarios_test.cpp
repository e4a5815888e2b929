#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sim/sim_scenario.h"

namespace tidyframe {
namespace {

namespace fx = fixtures;
using Strings = std::vector<std::string>;

const std::string kDocs = "/Users/demo/Documents";
constexpr const char* kNoGroupMenu = "Finder 当前视图没有可用的分组菜单";
constexpr const char* kNoSortOption = "此系统语言暂未支持该排序选项";

FinderMenuStyle styleOf(FinderMenuLanguage language) { return {language, false, std::nullopt, std::nullopt}; }
FolderArrangement ungrouped(ArrangeKey sort) { return {false, ArrangeKey::kind, sort}; }
FolderArrangement grouped(ArrangeKey group, ArrangeKey sort) { return {true, group, sort}; }

class ArrangementScenario : public SimScenario {
 protected:
  void TearDown() override {
    // Scripts never leave a menu open behind them unless a test says otherwise.
    if (expectMenuClosed) {
      EXPECT_FALSE(finder.openMenu()) << "a menu was left open";
    }
  }
  bool expectMenuClosed = true;
};

TEST_F(ArrangementScenario, GroupingOffAndNoneWantedIsUnchanged) {
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::name));
  EXPECT_EQ(apply(fx::kNoneChoice, fx::kNameChoice), (Strings{"unchanged", "None", "Name"}));
  EXPECT_EQ(finder.menuClicks(), (Strings{"View"}));
  EXPECT_EQ(shown(kDocs), ungrouped(ArrangeKey::name));
}

TEST_F(ArrangementScenario, GroupingOffAndOneWantedClicksUseGroupsOnceThenTheItem) {
  open(kDocs, FinderView::icon, {false, ArrangeKey::size, ArrangeKey::name});
  Date start = dispatch.now();
  EXPECT_EQ(apply(fx::kKindChoice, fx::kNameChoice), (Strings{"ok", "None", "Name"}));
  EXPECT_EQ(finder.menuClicks(), (Strings{"View", "Use Groups", "View", "Kind"}));
  EXPECT_EQ(shown(kDocs), grouped(ArrangeKey::kind, ArrangeKey::name));
  // Menu waits: 0.12 after each opening, 0.25 after Use Groups and after the group item.
  EXPECT_NEAR(dispatch.now() - start, 0.12 + 0.25 + 0.12 + 0.25, 1e-9);
}

TEST_F(ArrangementScenario, GroupAndSortBothChangeAndReportWhatWasThere) {
  open(kDocs, FinderView::list, grouped(ArrangeKey::kind, ArrangeKey::size));
  EXPECT_EQ(apply(fx::kAddedChoice, fx::kModifiedChoice), (Strings{"ok", "Kind", "Size"}));
  EXPECT_EQ(finder.menuClicks(), (Strings{"View", "Date Added", "View", "Date Modified"}));
  EXPECT_EQ(shown(kDocs, FinderView::list), grouped(ArrangeKey::added, ArrangeKey::modified));
}

TEST_F(ArrangementScenario, NoneWantedTurnsGroupsOff) {
  open(kDocs, FinderView::icon, grouped(ArrangeKey::tags, ArrangeKey::name));
  EXPECT_EQ(apply(fx::kNoneChoice, fx::kNameChoice), (Strings{"ok", "Tags", "Name"}));
  EXPECT_FALSE(shown(kDocs).grouped);
}

TEST_F(ArrangementScenario, SortTitleUnknownInThisLanguageIsAnErrorReply) {
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::name));
  // Undo of a layout recorded while the Mac spoke French, on a Finder that now speaks English.
  EXPECT_EQ(apply(fx::kNoneChoice, {"Taille"}), (Strings{"error", "None", "Name", kNoSortOption, "-2700"}));
  EXPECT_EQ(finder.menuClicks(), (Strings{"View"}));
}

TEST_F(ArrangementScenario, NoViewMenuFailsTheRunBeforeAnyClick) {
  finder.setMenuStyle(styleOf(FinderMenuLanguage::dutch));
  open(kDocs);
  EXPECT_EQ(apply(fx::kKindChoice, fx::kNameChoice), (Strings{"failed", "-2700", kNoGroupMenu}));
  EXPECT_TRUE(finder.menuClicks().empty());
}

TEST_F(ArrangementScenario, WindowChangedSinceTheQuerySkipsWithoutClicking) {
  struct Case {
    const char* reason;
    std::function<void(SimFinder&, int)> change;
  };
  const Case cases[] = {
      {"navigated elsewhere", [](SimFinder& f, int id) { f.navigate(id, "/Users/demo/Desktop"); }},
      {"another window on the same folder", [](SimFinder& f, int) { f.openWindow(kDocs); }},
      {"window closed", [](SimFinder& f, int id) { f.closeWindow(id); }},
  };
  for (const auto& c : cases) {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    int id = m.finder().openWindow(kDocs);
    auto location = texts(m.run(fx::query()));
    ASSERT_EQ(location.size(), 3u) << c.reason;
    c.change(m.finder(), id);
    EXPECT_EQ(texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kNameChoice, false))),
              (Strings{"skip"}))
        << c.reason;
    EXPECT_TRUE(m.finder().menuClicks().empty()) << c.reason;
  }
}

TEST_F(ArrangementScenario, HideIsNeverUnchangedAndPressesTheShortcutOnce) {
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::name));
  finder.setShowsAllFiles(true);
  EXPECT_EQ(apply(fx::kNoneChoice, fx::kNameChoice, true), (Strings{"ok", "None", "Name"}));
  ASSERT_EQ(finder.keyPresses().size(), 1u);
  EXPECT_EQ(finder.keyPresses()[0].keyCode, 47);
  EXPECT_TRUE(finder.keyPresses()[0].reachedFinder);
  EXPECT_FALSE(finder.showsAllFiles());
}

TEST_F(ArrangementScenario, GuardSkipsWhileTheUserIsBusy) {
  struct Case {
    const char* reason;
    std::function<void(SimFinder&, int)> busy;
  };
  const Case cases[] = {
      {"Finder not frontmost", [](SimFinder& f, int) { f.setFrontmost(false); }},
      {"sheet on the front window", [](SimFinder& f, int id) { f.addSheet(id); }},
      {"sheet on another window",
       [](SimFinder& f, int id) {
         int other = f.openWindow("/tmp");
         f.addSheet(other);
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
  for (const auto& c : cases) {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    int id = m.finder().openWindow(kDocs);
    auto location = texts(m.run(fx::query()));
    c.busy(m.finder(), id);
    EXPECT_EQ(texts(m.run(fx::query())), (Strings{"skip"})) << c.reason;
    EXPECT_EQ(texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kNameChoice, true))),
              (Strings{"skip"}))
        << c.reason;
    EXPECT_EQ(texts(m.run(fx::keepHidden())), (Strings{"skip"})) << c.reason;
    EXPECT_TRUE(m.finder().menuClicks().empty()) << c.reason;
    EXPECT_TRUE(m.finder().keyPresses().empty()) << c.reason;
  }
}

TEST_F(ArrangementScenario, FrenchFinderMatchesEitherApostrophe) {
  for (bool straight : {false, true}) {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    m.finder().setMenuStyle({FinderMenuLanguage::french, straight, std::nullopt, std::nullopt});
    m.finder().setArrangement(kDocs, FinderView::list, grouped(ArrangeKey::added, ArrangeKey::name));
    m.finder().openWindow(kDocs, FinderView::list);
    auto location = texts(m.run(fx::query()));
    auto reply = texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kAddedChoice, false)));
    std::string added = straight ? "Date d'ajout" : "Date d’ajout";
    EXPECT_EQ(reply, (Strings{"ok", added, "Nom"})) << "straight " << straight;
    EXPECT_EQ(SimFinder::effective(m.finder().arrangement(kDocs, FinderView::list), FinderView::list),
              grouped(ArrangeKey::kind, ArrangeKey::added))
        << "straight " << straight;
    EXPECT_EQ(m.finder().menuClicks(), (Strings{"Présentation", "Type", "Présentation", added}));
  }
}

TEST_F(ArrangementScenario, GalleryViewArrangesTheSortOnly) {
  open(kDocs, FinderView::gallery, grouped(ArrangeKey::kind, ArrangeKey::name));
  // A view that cannot group gets grouping none from its caller.
  EXPECT_EQ(apply(fx::kNoneChoice, fx::kSizeChoice), (Strings{"ok", "None", "Name"}));
  EXPECT_EQ(finder.menuClicks(), (Strings{"View", "Size"}));
  EXPECT_EQ(finder.arrangement(kDocs, FinderView::gallery).sortKey, ArrangeKey::size);
}

TEST_F(ArrangementScenario, SubmenusWithUnknownTitlesAreFoundByShortcut) {
  finder.setMenuStyle({FinderMenuLanguage::english, false, "Cluster By", "Order By"});
  open(kDocs, FinderView::list, grouped(ArrangeKey::kind, ArrangeKey::name));
  EXPECT_EQ(apply(fx::kSizeChoice, fx::kCreatedChoice), (Strings{"ok", "Kind", "Name"}));
  EXPECT_EQ(shown(kDocs, FinderView::list), grouped(ArrangeKey::size, ArrangeKey::created));
}

// The icon, column and gallery views' Sort By submenu has a None item; taken for the group
// submenu, it would report the sort title as the old group, sort where the script meant to
// group and answer "ok". Submenu titles that match no list force the search by shortcut.
TEST_F(ArrangementScenario, FallbackNeverTakesTheSortSubmenuForTheGroupSubmenu) {
  struct Case {
    const char* reason;
    FinderView view;
    FolderArrangement before;
    Strings reply;
    FolderArrangement after;
  };
  const Case cases[] = {
      {"icon view, groups off", FinderView::icon, ungrouped(ArrangeKey::name), {"ok", "None", "Name"},
       grouped(ArrangeKey::kind, ArrangeKey::size)},
      {"icon view, grouped", FinderView::icon, grouped(ArrangeKey::tags, ArrangeKey::name), {"ok", "Tags", "Name"},
       grouped(ArrangeKey::kind, ArrangeKey::size)},
      {"column view, groups off", FinderView::column, ungrouped(ArrangeKey::name), {"ok", "None", "Name"},
       grouped(ArrangeKey::kind, ArrangeKey::size)},
      {"list view, grouped", FinderView::list, grouped(ArrangeKey::tags, ArrangeKey::name), {"ok", "Tags", "Name"},
       grouped(ArrangeKey::kind, ArrangeKey::size)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    SimWorld fresh;
    fresh.mac.finder().setMenuStyle({FinderMenuLanguage::english, false, "Cluster By", "Order By"});
    fresh.mac.finder().setArrangement(kDocs, c.view, c.before);
    fresh.mac.finder().openWindow(kDocs, c.view);
    const auto location = texts(fresh.mac.run(fx::query()));
    ASSERT_GE(location.size(), 2u);
    EXPECT_EQ(texts(fresh.mac.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kSizeChoice, false))),
              c.reply);
    EXPECT_EQ(SimFinder::effective(fresh.mac.finder().arrangement(kDocs, c.view), c.view), c.after);
  }
}

TEST_F(ArrangementScenario, SlowClickInTheMenuPhaseIsAnErrorReplyWithTheMenuClosed) {
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::name));
  mac.slowEvent({"System Events", "click", "menu item \"Use Groups\""}, 6);
  auto reply = apply(fx::kKindChoice, fx::kNameChoice);
  EXPECT_EQ(reply, (Strings{"error", "None", "Name", "System Events got an error: AppleEvent timed out.", "-1712"}));
  EXPECT_FALSE(finder.openMenu());
  // The click the script stopped waiting for still lands.
  dispatch.advance(10);
  EXPECT_TRUE(shown(kDocs).grouped);
}

TEST_F(ArrangementScenario, SlowEventOutsideTheMenuPhaseFailsTheRun) {
  struct Case {
    SimMac::EventMatch match;
    const char* reason;
  };
  const Case cases[] = {
      {{"Finder", "get", "URL"}, "the Finder's own re-check (4-second limit)"},
      {{"System Events", "get", "AXMain"}, "the guard (2-second limit)"},
  };
  for (const auto& c : cases) {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    m.finder().openWindow(kDocs);
    auto location = texts(m.run(fx::query()));
    m.slowEvent(c.match, 5);
    auto reply = texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kNameChoice, false)));
    ASSERT_EQ(reply.size(), 3u) << c.reason;
    EXPECT_EQ(reply[0], "failed") << c.reason;
    EXPECT_EQ(reply[1], "-1712") << c.reason;
    EXPECT_TRUE(m.finder().menuClicks().empty()) << c.reason;
  }
}

TEST_F(ArrangementScenario, UnresponsivePastTheMenuCloseLeavesTheMenuOpenUntilTheFinderCatchesUp) {
  expectMenuClosed = false;
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::name));
  auto location = query();
  mac.busy("System Events", 0.05, 10);
  auto reply = texts(mac.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kNameChoice, false)));
  ASSERT_EQ(reply.size(), 5u);
  EXPECT_EQ(reply[0], "error");
  EXPECT_EQ(reply[4], "-1712");
  // The close itself timed out before it could be sent: the menu stays open after the Finder
  // recovers, and the guard skips until the user closes it.
  dispatch.advance(10);
  EXPECT_EQ(finder.openMenu(), SimFinder::viewMenuIndex);
  EXPECT_EQ(query(), (Strings{"skip"}));
}

TEST_F(ArrangementScenario, LosingTheFrontAfterAClickSkipsWithTheOriginalTitles) {
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::size));
  finder.loseFrontAfterMenuClicks(2);  // the View menu, then Use Groups
  EXPECT_EQ(apply(fx::kKindChoice, fx::kNameChoice), (Strings{"skip", "None", "Size"}));
  // The View menu reopens in the background; the group item is never clicked.
  EXPECT_EQ(finder.menuClicks(), (Strings{"View", "Use Groups", "View"}));
  EXPECT_EQ(shown(kDocs), grouped(ArrangeKey::kind, ArrangeKey::size));
}

TEST_F(ArrangementScenario, HideBlockSkippingAfterTheArrangementKeepsTheOriginalTitles) {
  open(kDocs, FinderView::icon, ungrouped(ArrangeKey::size));
  finder.setShowsAllFiles(true);
  finder.loseFrontAfterMenuClicks(4);  // View, Use Groups, View, Kind: arranged, then the front is lost
  EXPECT_EQ(apply(fx::kKindChoice, fx::kSizeChoice, true), (Strings{"skip", "None", "Size"}));
  EXPECT_EQ(shown(kDocs), grouped(ArrangeKey::kind, ArrangeKey::size));
  EXPECT_TRUE(finder.keyPresses().empty());
  EXPECT_TRUE(finder.showsAllFiles());
}

TEST_F(ArrangementScenario, WindowClosedRightAfterArrangingSkipsTheHideBlock) {
  int id = open(kDocs, FinderView::icon, ungrouped(ArrangeKey::size));
  finder.setShowsAllFiles(true);
  auto location = query();
  // The user closes the window while the script waits after clicking the group item.
  mac.at(0.12 + 0.25 + 0.12 + 0.1, [id](SimFinder& f) { f.closeWindow(id); });
  auto reply = texts(mac.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kSizeChoice, true)));
  EXPECT_EQ(reply, (Strings{"skip", "None", "Size"}));
  EXPECT_TRUE(finder.keyPresses().empty());
}

TEST_F(ArrangementScenario, UserActingDuringTheArrangement) {
  struct Case {
    const char* reason;
    std::function<void(SimFinder&)> act;
    bool hide;
    Strings reply;
    bool keyPressed;
  };
  const Case cases[] = {
      {"a click elsewhere closes the open menu; the items are still pressed",
       [](SimFinder& f) { f.userClicksElsewhere(); }, false, {"ok", "None", "Name"}, false},
      {"typing in the search field stops the hidden-files shortcut",
       [](SimFinder& f) { f.focusTextField(true); }, true, {"skip", "None", "Name"}, false},
  };
  for (const auto& c : cases) {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    m.finder().setShowsAllFiles(true);
    m.finder().openWindow(kDocs);
    auto location = texts(m.run(fx::query()));
    m.at(0.2, c.act);  // after Use Groups was clicked
    auto reply = texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kNameChoice, c.hide)));
    EXPECT_EQ(reply, c.reply) << c.reason;
    EXPECT_TRUE(m.finder().arrangement(kDocs, FinderView::icon).grouped) << c.reason;
    EXPECT_EQ(m.finder().keyPresses().empty(), !c.keyPressed) << c.reason;
    EXPECT_FALSE(m.finder().openMenu()) << c.reason;
  }
}

TEST_F(ArrangementScenario, EveryLanguageTheVocabularyKnowsIsArranged) {
  for (auto language : kAllFinderMenuLanguages) {
    if (language == FinderMenuLanguage::dutch) continue;
    for (auto view : {FinderView::icon, FinderView::list}) {
      SimWorld fresh;
      SimMac& m = fresh.mac;
      m.finder().setMenuStyle(styleOf(language));
      m.finder().setArrangement(kDocs, view, ungrouped(ArrangeKey::name));
      m.finder().openWindow(kDocs, view);
      auto location = texts(m.run(fx::query()));
      auto reply = texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kSizeChoice, false)));
      const auto& t = m.finder().titles();
      EXPECT_EQ(reply, (Strings{"ok", "None", t.key(ArrangeKey::name)})) << t.view << " " << static_cast<int>(view);
      EXPECT_EQ(SimFinder::effective(m.finder().arrangement(kDocs, view), view),
                grouped(ArrangeKey::kind, ArrangeKey::size))
          << t.view;
      // And back: grouped now, so the sort submenu carries its grouped title.
      reply = texts(m.run(fx::apply(location[0], location[1], fx::kNoneChoice, fx::kNameChoice, false)));
      EXPECT_EQ(reply, (Strings{"ok", t.key(ArrangeKey::kind), t.key(ArrangeKey::size)})) << t.view;
      EXPECT_FALSE(m.finder().openMenu()) << t.view;
    }
  }
}

TEST_F(ArrangementScenario, RevokedPermissionsFailTheRun) {
  struct Case {
    const char* reason;
    std::function<void(SimMac&)> revoke;
    int number;
  };
  const Case cases[] = {
      {"accessibility", [](SimMac& m) { m.setAccessibilityTrusted(false); }, -25211},
      {"automation of the Finder", [](SimMac& m) { m.setAutomation("Finder", AutomationConsent::refused); }, -1743},
      {"automation of System Events",
       [](SimMac& m) { m.setAutomation("System Events", AutomationConsent::refused); }, -1743},
      {"the Finder quit", [](SimMac& m) { m.finder().quit(); }, -1728},
  };
  for (const auto& c : cases) {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    m.finder().openWindow(kDocs);
    auto location = texts(m.run(fx::query()));
    c.revoke(m);
    auto reply = texts(m.run(fx::apply(location[0], location[1], fx::kKindChoice, fx::kNameChoice, false)));
    ASSERT_EQ(reply.size(), 3u) << c.reason;
    EXPECT_EQ(reply[0], "failed") << c.reason;
    EXPECT_EQ(reply[1], std::to_string(c.number)) << c.reason << ": " << reply[2];
    EXPECT_TRUE(m.finder().menuClicks().empty()) << c.reason;
  }
}

TEST_F(ArrangementScenario, FolderNamesCannotEscapeTheirLiteral) {
  std::mt19937 random(20250101);
  const std::string alphabet[] = {"a", "Z", " ", "\"", "\\", "\n", "\r", "'", "’", "%", "&", "(", ")", "{", "}",
                                  "[[URL]]", "\" & (do shell script \"x\") & \"", "文", "é", "--", "#", "¬", "/"};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
  std::uniform_int_distribution<int> length(1, 12);
  for (int round = 0; round < 60; ++round) {
    std::string name;
    for (int i = length(random); i > 0; --i) name += alphabet[pick(random)];
    std::string other = name + "x";
    SimWorld fresh;
    SimMac& m = fresh.mac;
    std::string path = "/Users/demo/" + name;
    int id = m.finder().openWindow(path);
    std::string url = finderFolderUrl(path);
    std::string id_text = std::to_string(id);
    // Built for another folder: the Finder's comparison refuses it.
    auto refused = texts(m.run(fx::apply(finderFolderUrl("/Users/demo/" + other), id_text, fx::kKindChoice,
                                         fx::kNameChoice, true)));
    EXPECT_EQ(refused, (Strings{"skip"})) << name;
    // Built for this folder: exactly the wanted arrangement, nothing else.
    auto done = texts(m.run(fx::apply(url, id_text, fx::kKindChoice, fx::kNameChoice, false)));
    EXPECT_EQ(done, (Strings{"ok", "None", "Name"})) << name;
    EXPECT_EQ(m.finder().arrangement(path, FinderView::icon), grouped(ArrangeKey::kind, ArrangeKey::name)) << name;
    EXPECT_EQ(m.finder().menuClicks(), (Strings{"View", "Use Groups", "View", "Kind"})) << name;
    EXPECT_TRUE(m.finder().keyPresses().empty()) << name;
  }
}

TEST_F(ArrangementScenario, SameScenarioTwiceGivesTheSameRepliesCountersAndClock) {
  struct Outcome {
    std::vector<Strings> replies;
    int events = 0;
    int clicks = 0;
    int compiled = 0;
    double elapsed = 0;
    bool operator==(const Outcome&) const = default;
  };
  auto play = [] {
    SimWorld fresh;
    SimMac& m = fresh.mac;
    m.finder().setArrangement(kDocs, FinderView::list, grouped(ArrangeKey::size, ArrangeKey::kind));
    int id = m.finder().openWindow(kDocs, FinderView::list);
    m.finder().setShowsAllFiles(true);
    m.slowEvent({"System Events", "click", "Date Created"}, 9);
    m.at(3, [id](SimFinder& f) { f.navigate(id, "/Users/demo"); });
    Outcome o;
    for (int i = 0; i < 3; ++i) {
      auto location = texts(m.run(fx::query()));
      if (location.size() < 2) continue;
      o.replies.push_back(texts(m.run(fx::apply(location[0], location[1], fx::kCreatedChoice, fx::kNameChoice, true))));
    }
    fresh.dispatch.advance(20);
    o.events = m.appleEvents();
    o.clicks = m.menuClicks();
    o.compiled = m.scriptsCompiled();
    o.elapsed = fresh.dispatch.now() - Date{1000};
    return o;
  };
  Outcome first = play();
  EXPECT_EQ(first, play());
  EXPECT_EQ(first.replies.size(), 3u);
}

class ScriptAnswers : public SimScenario {};

TEST_F(ScriptAnswers, QueryAnswersTheFrontWindowOrSkips) {
  EXPECT_EQ(query(), (Strings{"skip"}));  // the guard: no standard window at all
  open("/Users/demo/My \"Folder\"", FinderView::column);
  EXPECT_EQ(query(), (Strings{"file:///Users/demo/My%20%22Folder%22/", "4001", "column view"}));
  int front = open("/", FinderView::gallery);
  EXPECT_EQ(query(), (Strings{"file:///", std::to_string(front), "gallery view"}));
  // Two answered queries of four Finder events each; the skipped one never reached the Finder.
  EXPECT_EQ(mac.appleEvents("Finder"), 8);
}

TEST_F(ScriptAnswers, KeepHiddenPressesTheShortcutAndAnswersOk) {
  open(kDocs);
  finder.setShowsAllFiles(true);
  EXPECT_EQ(texts(mac.run(fx::keepHidden())), (Strings{"ok"}));
  EXPECT_FALSE(finder.showsAllFiles());
  EXPECT_EQ(mac.keyPresses(), 1);
}

TEST_F(ScriptAnswers, ActivateBringsTheFinderForwardAndRelaunchesIt) {
  finder.setFrontmost(false);
  EXPECT_TRUE(mac.run(fx::kActivate).has_value());
  EXPECT_TRUE(finder.frontmost());
  finder.quit();
  EXPECT_TRUE(mac.run(fx::kActivate).has_value());
  EXPECT_TRUE(finder.running());
}

TEST_F(ScriptAnswers, AutomationCheckAddressesBothTargets) {
  mac.setAutomation("Finder", AutomationConsent::notAsked);
  mac.setAutomation("System Events", AutomationConsent::notAsked);
  EXPECT_EQ(texts(mac.run(fx::kAutomationCheck)), (Strings{"Finder"}));
  EXPECT_EQ(mac.automationPrompts(), 2);
  EXPECT_EQ(mac.automation("Finder"), AutomationConsent::allowed);
  mac.setAutomation("System Events", AutomationConsent::refused);
  auto refused = texts(mac.run(fx::kAutomationCheck));
  EXPECT_EQ(refused, (Strings{"failed", "-1743", "Not authorized to send Apple events to System Events."}));
  // Accessibility is not needed to name a process.
  mac.setAutomation("System Events", AutomationConsent::allowed);
  mac.setAccessibilityTrusted(false);
  EXPECT_TRUE(mac.run(fx::kAutomationCheck).has_value());
}

TEST_F(ScriptAnswers, BusyFinderTimesTheQueryOut) {
  open(kDocs);
  mac.busy("Finder", 0, 10);
  Date start = dispatch.now();
  EXPECT_EQ(query(), (Strings{"failed", "-1712", "Finder got an error: AppleEvent timed out."}));
  EXPECT_NEAR(dispatch.now() - start, 3, 1e-9);
  dispatch.advance(10);
  EXPECT_EQ(query().size(), 3u);
}

TEST_F(ScriptAnswers, CompilationsAreCounted) {
  mac.run("return 1");
  mac.run("return (");
  EXPECT_EQ(mac.scriptsCompiled(), 2);
}

}  // namespace
}  // namespace tidyframe
