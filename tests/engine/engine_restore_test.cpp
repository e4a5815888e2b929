#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

constexpr FolderArrangement ungroupedBySize{false, ArrangeKey::kind, ArrangeKey::size};
const std::string restored = "已还原当前文件夹排列，自动分组已暂停。";
const std::string noRecord = "这个文件夹尚无可还原的原始排列记录。";
const std::string unfinished = "还原未完成，请保持原文件夹打开并停止操作后重试。";

// The Finder's own arrangement before this system changed it: what restore and undo bring back.
class Originals : public EngineTest {
 protected:
  using Titles = std::pair<std::string, std::string>;
  // The group and sort titles recorded for `path` in the icon view.
  std::optional<Titles> original(const std::string& path) const {
    return model->layouts().original(path, "icon view", rootUuid).transform([](const OriginalFinderLayout& record) {
      return Titles{record.group, record.sort};
    });
  }
  // The Finder's titles the newest entry logged for undo.
  Titles loggedForUndo() const { return {latest().previousGroup.value_or(""), latest().previousSort.value_or("")}; }
};

// The log of an earlier build says what the Finder showed before it was changed: that stays the
// original, not the titles the first arrangement reads now.
TEST_F(Originals, ARecordSeededFromTheLogIsNotShadowedByTheTitlesReadNow) {
  writeFile("activity.json",
            R"([{"id":"0F3C2A61-7B5E-4D2A-9C1B-2E6F4A8D0B13","date":1,"title":"t","detail":"d","path":"/Users/demo/Pictures",
                 "success":true,"previousGroup":"Size","previousSort":"Tags"}])");
  // As the earlier build left it.
  arrangeOnLaunch(pictures, {.sorting = Sorting::size, .engineEnabled = true, .rules = {}}, kindByName);
  ASSERT_EQ(shown(pictures).sortKey, ArrangeKey::size) << diagnostics.str();
  EXPECT_EQ(original(pictures), Titles("Size", "Tags"));
}

TEST_F(Originals, SaveErrorsNameTheirDocumentAndAnUnreadableOneIsNeverSavedOver) {
  bool copyFails = true;
  copyAside = [&](const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    if (copyFails) return std::make_error_code(std::errc::no_space_on_device);
    std::filesystem::copy_file(from, to, error);
    return error;
  };
  struct Case {
    const char* file;
    std::function<void()> save;
    const char* message;
  };
  const Case cases[] = {
      {"preferences.json",
       [this] { changeSettings([](Preferences& p) { p.appearance = p.appearance == "dark" ? "light" : "dark"; }); },
       "设置保存失败："},
      {"activity.json", [this] { AppModelTestPeer::log(*model, "entry"); }, "运行记录保存失败："},
      {"finder-layouts.json", [this, folders = std::vector<std::string>{SimHome::downloads, documents, reports}]() mutable {
         openFolder(folders.back());
         folders.pop_back();
       }, "设置保存失败："},
  };
  const std::string damaged = R"({"damaged": )";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    writeSettings(engineOn());
    writeFile(c.file, damaged);
    openFolder(pictures);
    copyFails = true;
    launch();
    c.save();
    advance(6);
    EXPECT_EQ(contents(storageFolder() / c.file), damaged);
    EXPECT_EQ(model->message().get(), c.message + std::string("No space left on device"));
    copyFails = false;
    c.save();
    advance(6);
    EXPECT_NE(contents(storageFolder() / c.file), damaged);
    EXPECT_EQ(keptAside(storageFolder()), std::vector{damaged});
    std::filesystem::remove(storageFolder() / c.file);
    std::filesystem::create_directories(storageFolder() / c.file / "in the way");
    c.save();
    advance(6);
    EXPECT_EQ(model->message().get(), c.message + std::string("Is a directory")) << "the writer's own error";
    forgetAll();
  }
}

// An arrangement split over two passes: the first reply after the clicks carries the Finder's
// titles; the pass that finishes it must log those for undo, not the half-applied state.
TEST_F(Originals, ASplitArrangementKeepsTheFindersTitles) {
  const FolderArrangement finders{true, ArrangeKey::size, ArrangeKey::added};
  struct Case {
    const char* reason;
    std::function<void()> fault;
    std::function<void()> recover;
  };
  const Case cases[] = {
      {"the Finder lost the front between the clicks", [this] { sim.finder().loseFrontAfterMenuClicks(3); },
       [this] { sim.finder().setFrontmost(true); }},
      {"the hidden-files key press timed out after the clicks",
       [this] {
         sim.finder().setShowsAllFiles(true);
         sim.mac.slowEvent({"System Events", "key code", ""}, 10);
       },
       [] {}},
      {"the Finder lost the front after the last click, before the key press",
       [this] {
         sim.finder().setShowsAllFiles(true);
         sim.finder().loseFrontAfterMenuClicks(4);
       },
       [this] { sim.finder().setFrontmost(true); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    c.fault();
    arrangeOnLaunch(pictures, engineOn(true), finders);
    advance(4);
    EXPECT_EQ(original(pictures), Titles("Size", "Date Added")) << diagnostics.str();
    c.recover();
    advance(36);
    EXPECT_EQ(shown(pictures), kindByName);
    ASSERT_FALSE(model->activities()->empty());
    EXPECT_EQ(latest().title, "已应用文件种类分组") << diagnostics.str();
    EXPECT_EQ(loggedForUndo(), Titles("Size", "Date Added"));
    forgetAll();
  }
}

// A rule changed while the arrangement ran: its reply is dropped, yet what it read is the
// Finder's, for restore and for the entry the next arrangement logs.
TEST_F(Originals, ADroppedArrangementStillKeepsTheFindersTitles) {
  openFolder(pictures, FinderView::icon, {false, ArrangeKey::kind, ArrangeKey::size});
  sim.mac.setEventLatency(0.01);
  launch(engineOn());
  const auto changeRule = model->busy().subscribe([this](bool busy) {
    if (!busy || model->preferences()->grouping == Grouping::size) return;
    dispatch.main().asyncAfter(0.05, [this] {
      changeSettings([](Preferences& preferences) { preferences.grouping = Grouping::size; });
    });
  });
  advance(10);
  EXPECT_EQ(original(pictures), Titles("None", "Size"));
  ASSERT_EQ(activityTitles(), std::vector<std::string>{"已应用文件大小分组"}) << diagnostics.str();
  EXPECT_EQ(loggedForUndo(), Titles("None", "Size"));
}

class Restore : public EngineTest {
 protected:
  using Records = std::vector<OriginalFinderLayout>;

  void writeArchive(const Records& records, const std::vector<std::string>& confirmedFolders = {}) {
    FinderLayoutArchive archive;
    for (const auto& record : records) archive.remember(record, std::nullopt);
    for (const auto& folder : confirmedFolders) {
      archive.remember({folder, "icon view", rootUuid, "", ""}, "kind:name:false");
    }
    std::filesystem::create_directories(storageFolder());
    ASSERT_TRUE(Storage::save(archive, storageFolder() / "finder-layouts.json"));
  }
  // The user chooses restore and answers the alert; the second phase has run afterwards.
  void restoreAnswering(bool confirm) {
    if (confirm) sim.alerts.answerAlert(Alerts::firstButton);
    model->restoreCurrentFolder();
    advance(3);
  }
};

// The record of this folder, view and device is put back, and nothing is clicked unless the user
// confirms and stays put.
TEST_F(Restore, TheRecordOfThisFolderViewAndDeviceIsPutBack) {
  const Records picturesBySize{{pictures, "icon view", rootUuid, "None", "Size"}};
  struct Case {
    const char* reason;
    std::string folder;
    Records records;
    bool confirm;
    std::function<void(int window)> during;
    FolderArrangement after;
    std::optional<std::string> message;
  };
  const Case cases[] = {
      {"a record of another view is not used, and no question asked", pictures,
       {{pictures, "list view", rootUuid, "None", "Size"}}, false, nullptr, kindByName, noRecord},
      {"two cards at one mount point keep their own records", cardPhotos,
       {{cardPhotos, "icon view", otherCard, "Kind", "Name"}, {cardPhotos, "icon view", cardUuid, "None", "Size"}},
       true, nullptr, ungroupedBySize, restored},
      {"the recorded arrangement already shown counts as restored", pictures,
       {{pictures, "icon view", rootUuid, "Kind", "Name"}}, true, nullptr, kindByName, restored},
      {"titles recorded by a German Finder", pictures, {{pictures, "*", {}, "Ohne", "Größe"}}, true, nullptr,
       ungroupedBySize, restored},
      {"Return declines: beside the destructive button Cancel is the default", pictures, picturesBySize, false,
       [this](int) { sim.alerts.pressInAlert(SimAlerts::AlertKey::returnKey); }, kindByName, std::nullopt},
      {"navigating away during the wait", pictures, picturesBySize, true,
       [this](int window) { sim.mac.at(1.0, [window](SimFinder& finder) { finder.navigate(window, documents); }); },
       kindByName, unfinished},
      {"typing during the wait", pictures, picturesBySize, true,
       [this](int) { sim.mac.at(2.0, [this](SimFinder&) { sim.input.typed(); }); }, kindByName, unfinished},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    writeArchive(c.records);
    if (c.folder.starts_with(card)) SimHome::insertCard(sim.volumes);
    const int window = openFolder(c.folder, FinderView::icon, kindByName);
    launch();
    if (c.during) c.during(window);
    const int clicks = sim.mac.menuClicks();
    restoreAnswering(c.confirm);
    EXPECT_EQ(shown(c.folder), c.after);
    EXPECT_EQ(sim.mac.menuClicks() > clicks, c.message == restored) << "clicked for a restore that did not go ahead";
    EXPECT_EQ(model->message().get(), c.message);
    EXPECT_FALSE(model->preferences()->engineEnabled);
    EXPECT_EQ(delegate.windowsShown, 1) << "the panel comes back with the outcome";
    forgetAll();
    sim.finder().closeWindow(window);
    delegate = {};
  }
}

TEST_F(Restore, OnlyTheRestoredFolderIsArrangedAfresh) {
  writeArchive({{pictures, "icon view", rootUuid, "None", "Size"}}, {pictures, documents});
  openFolder(pictures, FinderView::icon, kindByName);
  launch();
  restoreAnswering(true);
  EXPECT_EQ(confirmedKeys(), std::vector{FinderLayoutArchive::key(documents, "icon view", rootUuid)});
  sim.finder().setArrangement(pictures, FinderView::icon, kindByName);
  restoreAnswering(true);
  EXPECT_EQ(shown(pictures), ungroupedBySize) << "the original stays and can be restored again";
  EXPECT_EQ(model->message().get(), restored);
}

// The Finder's own view comes back first, then that view's original arrangement.
TEST_F(Restore, AChangedViewComesBackWithItsArrangement) {
  writeArchive({{pictures, "icon view", rootUuid, "None", "Size"}});
  const int window = openFolder(pictures, FinderView::icon, kindByName);
  launch(withRules({viewRule(pictures, FinderViewChoice::list)}));
  advance(6);
  ASSERT_EQ(viewOf(window), FinderView::list);
  restoreAnswering(true);
  EXPECT_EQ(viewOf(window), FinderView::icon);
  EXPECT_EQ(shown(pictures), ungroupedBySize);
  EXPECT_EQ(model->message().get(), restored);
}

TEST_F(Restore, AQueryInFlightOrAQuitStopsIt) {
  writeArchive({{pictures, "icon view", rootUuid, "None", "Size"}});
  openFolder(pictures, FinderView::icon, kindByName);
  launch(engineOn());
  sim.mac.setEventLatency(1.0);
  advance(2.1);
  model->restoreCurrentFolder();
  EXPECT_TRUE(model->preferences()->engineEnabled) << "not even paused while a query runs";
  EXPECT_EQ(delegate.closes, 0);
  sim.mac.setEventLatency(0);
  advance(6);
  sim.alerts.answerAlert(Alerts::firstButton);
  model->restoreCurrentFolder();
  advance(0.5);
  const int clicks = sim.mac.menuClicks();
  ASSERT_EQ(sim.alerts.alerts().size(), 1u);
  model->prepareForQuit([] {});
  advance(3);
  EXPECT_EQ(sim.mac.menuClicks(), clicks) << "a quit during the wait runs no second phase";
}

class Undo : public EngineTest {
 protected:
  // Opens `folder` unarranged and lets the engine arrange it; answers the arrangement's entry.
  ActivityEntry arranged(const std::string& folder) {
    sim.volumes.addFolder(folder);
    window = openFolder(folder);
    if (!model) launch(engineOn());
    advance(6);
    EXPECT_EQ(shown(folder), kindByName);
    return model->activities()->front();
  }
  void undo(const ActivityEntry& entry) {
    model->undo(entry);
    advance(1);
  }
  int window = 0;
};

TEST_F(Undo, PutsBackWhatTheWindowShowedBefore) {
  struct Case {
    const char* reason;
    std::string folder;
    FinderMenuLanguage language;
  };
  const Case cases[] = {
      {"spaces and quotes", "/Users/demo/My \"Quoted\" Folder", FinderMenuLanguage::english},
      {"a semicolon, which the URL escapes", "/Users/demo/a;b", FinderMenuLanguage::english},
      {"non-ASCII characters", "/Users/demo/照片 2024", FinderMenuLanguage::english},
      {"groups were off on a German Finder, recorded as \"None\"", pictures, FinderMenuLanguage::german},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    FinderMenuStyle style;
    style.language = c.language;
    sim.finder().setMenuStyle(style);
    const auto entry = arranged(c.folder);
    undo(entry);
    EXPECT_EQ(shown(c.folder), FolderArrangement{}) << model->message().get().value_or("");
    EXPECT_EQ(activityTitles().front(), "已恢复上次显示设置");
    EXPECT_FALSE(model->preferences()->engineEnabled);
    undo(entry);
    EXPECT_EQ(activityTitles()[1], "已恢复上次显示设置") << "already put back answers unchanged, a success";
    shutDown();
    sim.finder().closeWindow(window);
  }
}

// The arrangement goes back in the view it was made in, then the view: the icon view the change
// never touched keeps its own arrangement. An entry of a view change alone can be undone too.
TEST_F(Undo, AChangedViewComesBackAfterItsArrangement) {
  window = openFolder(pictures, FinderView::icon, ungroupedBySize);
  const auto listBefore = shown(pictures, FinderView::list);
  launch(withRules({viewRule(pictures, FinderViewChoice::list)}));
  advance(6);
  auto entry = latest();
  ASSERT_EQ(entry.previousView, "icon view");
  for (const bool withTitles : {true, false}) {
    SCOPED_TRACE(withTitles ? "with the arrangement" : "the view alone");
    if (!withTitles) entry.previousGroup.reset();
    sim.finder().setView(window, FinderView::list);
    sim.finder().setArrangement(pictures, FinderView::list, kindByName);
    EXPECT_TRUE(model->canUndo(entry));
    undo(entry);
    EXPECT_EQ(viewOf(window), FinderView::icon);
    EXPECT_EQ(shown(pictures), ungroupedBySize);
    EXPECT_EQ(shown(pictures, FinderView::list), withTitles ? listBefore : kindByName);
    EXPECT_EQ(activityTitles().front(), "已恢复上次显示设置");
  }
}

TEST_F(Undo, AWindowNoLongerThereIsLeftAlone) {
  const auto entry = arranged(pictures);
  auto withoutTitles = entry;
  withoutTitles.previousGroup = "";
  auto withoutWindow = entry;
  withoutWindow.windowID.reset();
  auto withoutFolder = entry;
  withoutFolder.path = "relative/folder";
  const int events = allEvents();
  EXPECT_TRUE(model->canUndo(entry));
  for (const auto& ignored : {withoutTitles, withoutWindow, withoutFolder}) {
    EXPECT_FALSE(model->canUndo(ignored));
    undo(ignored);
    EXPECT_EQ(allEvents(), events) << "an entry without previous titles, window or folder cannot be undone";
    EXPECT_TRUE(model->preferences()->engineEnabled);
    EXPECT_EQ(delegate.closes, 0) << "nothing comes forward, so the panel stays";
  }
  const std::string goBack = "请先回到记录中的原 Finder 窗口，再恢复设置。自动分组已暂停。";
  sim.finder().navigate(window, documents);
  int clicks = sim.mac.menuClicks();
  undo(entry);
  EXPECT_EQ(delegate.closes, 1) << "the Finder comes forward, so the panel closes";
  EXPECT_EQ(sim.mac.menuClicks(), clicks) << "the window moved on: nothing is clicked";
  EXPECT_EQ(model->message().get(), goBack);
  EXPECT_FALSE(model->preferences()->engineEnabled);
  sim.finder().navigate(window, pictures);
  undo(entry);
  const auto own = model->activities()->front();
  ASSERT_EQ(own.title, "已恢复上次显示设置");
  const int after = allEvents();
  EXPECT_FALSE(model->canUndo(own));
  undo(own);
  EXPECT_EQ(allEvents(), after) << "an undo's own entry cannot be undone";
  sim.finder().closeWindow(window);
  model->setMessage(std::nullopt);
  clicks = sim.mac.menuClicks();
  undo(entry);
  EXPECT_EQ(sim.mac.menuClicks(), clicks) << "the window is closed: nothing is clicked";
  EXPECT_EQ(model->message().get(), goBack);
}

}  // namespace
}  // namespace tidyframe
