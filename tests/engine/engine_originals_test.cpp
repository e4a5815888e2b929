#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

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
       [this] {
         auto p = model->preferences().get();
         p.grouping = p.grouping == Grouping::size ? Grouping::kind : Grouping::size;
         model->setPreferences(p);
       },
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
    EXPECT_EQ(latest().previousGroup, "Size");
    EXPECT_EQ(latest().previousSort, "Date Added");
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
      auto preferences = model->preferences().get();
      preferences.grouping = Grouping::size;
      model->setPreferences(preferences);
    });
  });
  advance(10);
  EXPECT_EQ(original(pictures), Titles("None", "Size"));
  ASSERT_EQ(model->activities()->size(), 1u) << diagnostics.str();
  EXPECT_EQ(latest().title, "已应用文件大小分组");
  EXPECT_EQ(latest().previousGroup, "None");
  EXPECT_EQ(latest().previousSort, "Size");
}

}  // namespace
}  // namespace tidyframe
