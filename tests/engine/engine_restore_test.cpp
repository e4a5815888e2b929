#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

constexpr FolderArrangement ungroupedBySize{false, ArrangeKey::kind, ArrangeKey::size};
const std::string restored = "已还原当前文件夹排列，自动分组已暂停。";
const std::string noRecord = "这个文件夹尚无可还原的原始排列记录。";
const std::string unfinished = "还原未完成，请保持原文件夹打开并停止操作后重试。";

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
      {"declining keeps the pause", pictures, picturesBySize, false, nullptr, kindByName, std::nullopt},
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

TEST_F(Undo, AWindowNoLongerThereIsLeftAlone) {
  const auto entry = arranged(pictures);
  auto withoutTitles = entry;
  withoutTitles.previousGroup = "";
  auto withoutWindow = entry;
  withoutWindow.windowID.reset();
  const int events = allEvents();
  for (const auto& ignored : {withoutTitles, withoutWindow}) {
    undo(ignored);
    EXPECT_EQ(allEvents(), events) << "an entry without previous titles or window cannot be undone";
    EXPECT_TRUE(model->preferences()->engineEnabled);
  }
  const std::string goBack = "请先回到记录中的原 Finder 窗口，再恢复设置。自动分组已暂停。";
  sim.finder().navigate(window, documents);
  int clicks = sim.mac.menuClicks();
  undo(entry);
  EXPECT_EQ(sim.mac.menuClicks(), clicks) << "the window moved on: nothing is clicked";
  EXPECT_EQ(model->message().get(), goBack);
  EXPECT_FALSE(model->preferences()->engineEnabled);
  sim.finder().navigate(window, pictures);
  undo(entry);
  const auto own = model->activities()->front();
  ASSERT_EQ(own.title, "已恢复上次显示设置");
  const int after = allEvents();
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
