#include <algorithm>

#include "engine/engine_fixture.h"
#include "storage/activity_entry.h"

namespace tidyframe {
namespace {

using Lifecycle = EngineTest;

ActivityEntry arranged(std::string path, std::string group, std::string sort, double date) {
  ActivityEntry entry;
  entry.date = Date{date};
  entry.title = "已应用文件种类分组";
  entry.detail = "全局默认 · 按名称排序";
  entry.path = std::move(path);
  entry.success = true;
  entry.previousGroup = std::move(group);
  entry.previousSort = std::move(sort);
  return entry;
}

TEST_F(Lifecycle, WithoutSettingsTheEngineStartsOffWithTheDefaults) {
  launch();
  EXPECT_EQ(model->preferences().get(), Preferences{});
  EXPECT_EQ(model->currentSource().get(), "等待打开 Finder 文件夹");
  EXPECT_TRUE(model->legacyReady());
  advance(10);
  EXPECT_EQ(allEvents(), 0);
}

TEST_F(Lifecycle, UnreadableSettingsAreKeptAsideBeforeTheFirstSave) {
  const std::string damaged = "{\"engineEnabled\" : true, \"rules\" : [ {\"id\" : 1} ] }";
  writeFile("preferences.json", damaged);
  launch();
  EXPECT_FALSE(model->preferences()->engineEnabled);
  auto preferences = model->preferences().get();
  preferences.grouping = Grouping::size;
  model->setPreferences(preferences);
  advance(1);
  const auto kept = keptAside(storageFolder());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(contents(kept.front()), damaged);
  EXPECT_NE(contents(storageFolder() / "preferences.json"), damaged);
}

TEST_F(Lifecycle, ArchiveIsSeededFromOldLogEntriesOldestFirst) {
  const std::vector<ActivityEntry> log{
      arranged(documents, "Size", "Tags", 300),    // newest
      arranged(documents, "None", "Name", 200),    // oldest for Documents: wins
      arranged(pictures, "Kind", "Date Added", 100),
  };
  std::filesystem::create_directories(storageFolder());
  ASSERT_TRUE(Storage::save(toJson(log), storageFolder() / "activity.json"));
  FinderLayoutArchive existing;
  existing.remember({pictures, "*", std::nullopt, "Tags", "Size"}, std::nullopt);
  ASSERT_TRUE(Storage::save(toJson(existing), storageFolder() / "finder-layouts.json"));
  launch();
  const auto& layouts = model->layouts();
  EXPECT_EQ(layouts.original(documents, "icon view", std::nullopt)->group, "None");
  EXPECT_EQ(layouts.original(pictures, "list view", std::nullopt)->group, "Tags") << "existing records stay";
  advance(1);
  EXPECT_TRUE(Storage::read<FinderLayoutArchive>(storageFolder() / "finder-layouts.json").has_value())
      << "the seeded archive is saved at launch";
}

TEST_F(Lifecycle, WhatChangesTheRuleRevision) {
  launch();
  struct Case {
    const char* reason;
    std::function<void(Preferences&)> change;
    bool bumps;
  };
  const Case cases[] = {
      {"language alone", [](Preferences& p) { p.language = "de"; }, false},
      {"appearance alone", [](Preferences& p) { p.appearance = "dark"; }, false},
      {"update frequency alone", [](Preferences& p) { p.updateFrequency = SoftwareUpdateFrequency::daily; }, false},
      {"hidden-file setting", [](Preferences& p) { p.hideOnNavigation = !p.hideOnNavigation; }, true},
      {"global sorting", [](Preferences& p) { p.sorting = Sorting::size; }, true},
      {"a rule's bookmark", [](Preferences& p) {
         if (p.rules.empty()) p.rules.push_back(LocationRule{});
         p.rules[0].bookmark = Bytes{1, 2};
       },
       true},
      {"engine switch", [](Preferences& p) { p.engineEnabled = !p.engineEnabled; }, true},
  };
  for (const auto& c : cases) {
    const auto before = model->ruleRevision();
    auto preferences = model->preferences().get();
    c.change(preferences);
    model->setPreferences(preferences);
    EXPECT_EQ(model->ruleRevision() != before, c.bumps) << c.reason;
  }
  EXPECT_EQ(delegate.menuUpdates, 1) << "only the language change updates the menu";
  EXPECT_EQ(l.language(), "de");
}

TEST_F(Lifecycle, MountMakesTheEngineLookAtTheFrontWindowAgain) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(6);
  const int before = finderEvents();
  advance(10);
  ASSERT_EQ(finderEvents(), before);
  sim.workspace.postDidMount();
  advance(3);
  EXPECT_GT(finderEvents(), before);
}

TEST_F(Lifecycle, ExternalDiskWithoutVolumeIdIsArrangedOnEveryVisitButOncePerVisit) {
  sim.volumes.mount({card, {std::string("SD"), std::nullopt, false, true, false, 32000000000, 1000000000}, false});
  sim.volumes.addFolder(cardPhotos);
  writeSettings(engineOn());
  const int window = openFolder(cardPhotos);
  launch();
  advance(6);
  ASSERT_TRUE(shown(cardPhotos).grouped) << diagnostics.str();
  const int firstVisit = sim.mac.scriptsCompiled();
  advance(20);
  EXPECT_EQ(sim.mac.scriptsCompiled(), firstVisit) << "arranged twice within one visit";
  sim.finder().navigate(window, pictures);
  advance(6);
  sim.finder().setArrangement(cardPhotos, FinderView::icon, {});
  sim.finder().navigate(window, cardPhotos);
  advance(6);
  EXPECT_TRUE(shown(cardPhotos).grouped) << "the second visit was not arranged again";
  EXPECT_EQ(model->currentPath().get(), cardPhotos);
  const auto cardEntries = std::count_if(model->activities()->begin(), model->activities()->end(),
                                         [](const ActivityEntry& e) { return e.path == cardPhotos; });
  EXPECT_EQ(cardEntries, 2);
}

// The Finder keeps a card's arrangement on the card, so a card is confirmed per device.
TEST_F(Lifecycle, ACardWithAVolumeIdIsConfirmedPerDevice) {
  writeSettings(engineOn());
  launch();
  const std::string otherCard = "0FF1CE00-0000-4000-8000-000000000000";
  const FolderArrangement kindByName{true, ArrangeKey::kind, ArrangeKey::name};
  struct Visit {
    const char* reason;
    std::string uuid;
    bool arranged;
  };
  const Visit visits[] = {
      {"the first visit", cardUuid, true},
      {"the same card mounted again", cardUuid, false},
      {"another card at the same path", otherCard, true},
      {"the first card once more", cardUuid, false},
  };
  for (const auto& visit : visits) {
    SCOPED_TRACE(visit.reason);
    sim.volumes.mount({card, {std::string("SD"), visit.uuid, false, true, false, 32000000000, 1000000000}, false});
    sim.volumes.addFolder(cardPhotos);
    sim.workspace.postDidMount();
    const int window = openFolder(cardPhotos, FinderView::icon, visit.arranged ? FolderArrangement{} : kindByName);
    const int before = arrangements();
    advance(6);
    EXPECT_EQ(arrangements() - before, visit.arranged ? 1 : 0) << diagnostics.str();
    EXPECT_EQ(shown(cardPhotos), kindByName);
    sim.finder().closeWindow(window);
    sim.volumes.unmount(card);
    sim.workspace.postDidUnmount();
  }
}

TEST_F(Lifecycle, QuittingWaitsForTheRunningScriptAndEverySave) {
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  model->log("before quitting", "detail", std::nullopt, true);
  std::optional<Date> arrangedAt;
  auto watch = model->busy().subscribe([&](bool busy) {
    if (!busy) return;
    // The arrangement script is about to start: quit while it runs.
    dispatch.main().asyncAfter(0.01, [&] {
      model->prepareForQuit([&] {
        arrangedAt = dispatch.now();
        EXPECT_TRUE(shown(pictures).grouped) << "quit before the running script finished";
        const auto log = Storage::read<std::vector<ActivityEntry>>(storageFolder() / "activity.json");
        ASSERT_TRUE(log);
        EXPECT_EQ(log->front().title, "before quitting");
        const auto archive = Storage::read<FinderLayoutArchive>(storageFolder() / "finder-layouts.json");
        ASSERT_TRUE(archive);
        EXPECT_EQ(archive->originals.size(), 1u) << "the original seen by the last script was not saved";
      });
    });
  });
  advance(10);
  ASSERT_TRUE(arrangedAt) << "quitting did not finish";
  const int events = allEvents();
  advance(30);
  EXPECT_EQ(allEvents(), events) << "polling went on after quitting";
  model.reset();
}

TEST_F(Lifecycle, LogKeepsTheNewestFiveHundred) {
  std::vector<ActivityEntry> full;
  for (int i = 0; i < 500; ++i) full.push_back(arranged("/f" + std::to_string(i), "None", "Name", 1000 - i));
  std::filesystem::create_directories(storageFolder());
  ASSERT_TRUE(Storage::save(toJson(full), storageFolder() / "activity.json"));
  launch();
  model->log("newest", "detail", std::nullopt, true);
  ASSERT_EQ(model->activities()->size(), 500u);
  EXPECT_EQ(model->activities()->front().title, "newest");
  EXPECT_EQ(model->activities()->back().path, "/f498");
  advance(1);
  EXPECT_EQ(Storage::read<std::vector<ActivityEntry>>(storageFolder() / "activity.json")->size(), 500u);
}

TEST_F(Lifecycle, ExportWritesTheLogWhereTheUserChose) {
  launch();
  const auto target = root / "export.json";
  sim.alerts.answerPanel(target.string());
  model->exportActivity();
  EXPECT_EQ(sim.alerts.panels().front().proposedName, "Finder运行记录.json");
  EXPECT_EQ(contents(target), "[\n\n]");
  sim.alerts.answerPanel(std::nullopt);
  model->exportActivity();
  sim.alerts.answerPanel((root / "missing" / "\0x").string());
  model->log("entry", "detail", std::nullopt, true);
  sim.alerts.answerPanel("/proc/forbidden/export.json");
  model->exportActivity();
  ASSERT_TRUE(model->message().get());
  EXPECT_TRUE(model->message().get()->starts_with("导出失败："));
}

}  // namespace
}  // namespace tidyframe
