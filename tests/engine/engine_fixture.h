#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "app/simulated_engine_host.h"
#include "base/temporary_folder.h"
#include "base/virtual_dispatch.h"
#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/settings_document.h"
#include "sim/sim_home.h"
#include "sim/simulated_mac.h"

namespace tidyframe {

// Records what the engine asks of the application shell.
struct AppModelTestPeer {
  static void fail(AppModel& model, const ScriptFailure& failure) { model.handle(failure); }
  static void log(AppModel& model, std::string title) { model.log(std::move(title), "detail", std::nullopt, true); }
  static void log(AppModel& model, const ActivityEntry& entry) {
    model.log(entry.title, entry.detail, entry.path, entry.success, entry.previousGroup, entry.previousSort,
              entry.windowID, entry.previousView);
  }
  static void clearLog(AppModel& model) { model.activities_.set({}); }
};

struct RecordingDelegate final : AppModelDelegate {
  void updateMenu() override { ++menuUpdates; }
  void ruleDidChange() override { ++ruleChanges; }
  void closeForFinderAction() override { ++closes; }
  void showWindow() override { ++windowsShown; }
  int menuUpdates = 0, ruleChanges = 0, closes = 0, windowsShown = 0;
};

// A user's Mac in virtual time: the simulated Mac's made-up home tree, the engine built over
// it, texts in their Chinese source form. Time moves only through advance(), so back-offs and
// polls cost nothing.
class EngineTest : public ::testing::Test {
 protected:
  inline static const std::string& pictures = SimHome::pictures;
  inline static const std::string& documents = SimHome::documents;
  inline static const std::string& reports = SimHome::reports;
  inline static const std::string& package = SimHome::package;
  inline static const std::string& card = SimHome::card;
  inline static const std::string& cardPhotos = SimHome::cardPhotos;
  inline static const std::string& cardUuid = SimHome::cardUuid;
  // The start-up disk's volume id, and a card other than the simulated one.
  static constexpr const char* rootUuid = "0A81F3B1-51D9-3335-B3E3-169C3640360D";
  static constexpr const char* otherCard = "0FF1CE00-0000-4000-8000-000000000000";
  // What the global default shows: grouped by kind, sorted by name.
  static constexpr FolderArrangement kindByName{true, ArrangeKey::kind, ArrangeKey::name};

  EngineTest() {
    std::filesystem::create_directories(home());
    SimHome::furnish(sim.volumes);
    l.setLanguage("zh-Hans");
  }

  // Every test ends with no timer left running and no half-written document.
  ~EngineTest() override {
    shutDown();
    dispatch.advance(600);
    EXPECT_EQ(dispatch.pendingCount(), 0u) << "work is still scheduled after quitting";
    if (!std::filesystem::is_directory(storageFolder())) return;
    for (const auto& name : TemporaryFolder::namesIn(storageFolder())) {
      EXPECT_FALSE(name.starts_with(".")) << "a temporary file was left: " << name;
    }
  }

  std::filesystem::path home() const { return root / "home"; }
  std::filesystem::path storageFolder() const { return root / "storage"; }

  // Writes the settings document the engine will read at launch.
  void writeSettings(const Preferences& preferences) {
    std::filesystem::create_directories(storageFolder());
    ASSERT_TRUE(Storage::save(toJson(preferences), storageFolder() / "preferences.json"));
  }
  void writeFile(const std::string& name, const std::string& contents) {
    std::filesystem::create_directories(storageFolder());
    std::ofstream(storageFolder() / name) << contents;
  }

  static Preferences engineOn(bool hideDotFiles = false) {
    return {.hideOnNavigation = hideDotFiles, .engineEnabled = true, .rules = {}};
  }
  static LocationRule pathRule(const std::string& path, Grouping grouping = Grouping::kind, bool excluded = false) {
    return {.name = lastPathComponent(path), .path = path, .volumeID = {}, .includeChildren = true,
            .excluded = excluded, .grouping = grouping, .bookmark = {}};
  }

  static LocationRule viewRule(const std::string& path, FinderViewChoice view) {
    auto rule = pathRule(path);
    rule.view = view;
    return rule;
  }
  static Preferences withRules(std::vector<LocationRule> rules) {
    return {.engineEnabled = true, .rules = std::move(rules)};
  }

  // The settings written, `folder` open in front (with the Finder's own arrangement), the
  // engine launched and given time to arrange it. Answers the window.
  int arrangeOnLaunch(const std::string& folder, Preferences preferences = engineOn(),
                      FolderArrangement arrangement = {}) {
    const int window = openFolder(folder, FinderView::icon, arrangement);
    launch(preferences);
    advance(6);
    return window;
  }
  // The SD card mounted with this volume id (none: a card without one) and its photo folder.
  void mountCard(std::optional<std::string> uuid) {
    sim.volumes.mount({card, {std::string("SD"), std::move(uuid), false, true, false, 32000000000, 1000000000}, false});
    sim.volumes.addFolder(cardPhotos);
  }

  // Launches over the settings document written from `preferences`.
  void launch(const Preferences& preferences) {
    writeSettings(preferences);
    launch();
  }
  void launch() {
    host = std::make_unique<SimulatedEngineHost>(dispatch, sim, *lookup, storageFolder(), home(), &diagnostics,
                                                 copyAside);
    launchedAt = dispatch.now();
    model = AppModel::create(host->services());
    model->setDelegate(&delegate);
    dispatch.runUntilIdle();
  }

  // Quits as the application does: waits for scripts and saves, then drops the engine.
  void shutDown() {
    if (!model) return;
    bool done = false;
    model->prepareForQuit([&] { done = true; });
    for (int i = 0; i < 100 && !done; ++i) dispatch.advance(0.1);
    EXPECT_TRUE(done) << "quitting did not finish";
    model.reset();
    host.reset();
  }

  // Quits and forgets every document, for the next row of a table.
  void forgetAll() {
    shutDown();
    std::filesystem::remove_all(storageFolder());
  }

  void advance(double seconds) { dispatch.advance(seconds); }
  // Runs to just after the poll timer's next tick, so nothing that follows is helped by one.
  void justAfterATick() {
    const double running = dispatch.now() - launchedAt;
    advance(AppModel::pollInterval - std::fmod(running, AppModel::pollInterval) + 0.01);
  }

  // Changes the running engine's settings as the panel does.
  void changeSettings(const std::function<void(Preferences&)>& change) {
    auto preferences = model->preferences().get();
    change(preferences);
    model->setPreferences(preferences);
  }

  int openFolder(const std::string& path, FinderView view = FinderView::icon, FolderArrangement arrangement = {}) {
    sim.finder().setArrangement(path, view, arrangement);
    const int id = sim.finder().openWindow(path, view);
    sim.finder().setFrontmost(true);
    return id;
  }

  FolderArrangement shown(const std::string& path, FinderView view = FinderView::icon) {
    return SimFinder::effective(sim.finder().arrangement(path, view), view);
  }

  static std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // What the copies of unreadable documents kept beside them hold.
  static std::vector<std::string> keptAside(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().filename().string().contains(".unreadable-")) found.push_back(contents(entry.path()));
    }
    return found;
  }

  // Arrangement scripts that answered, from the engine's own diagnostic lines.
  int arrangements() const {
    const std::string lines = diagnostics.str();
    int count = 0;
    for (auto at = lines.find("\napply "); at != std::string::npos; at = lines.find("\napply ", at + 1)) ++count;
    return count;
  }
  // View scripts that answered.
  int viewChanges() const {
    const std::string lines = diagnostics.str();
    int count = 0;
    for (auto at = lines.find("\nview "); at != std::string::npos; at = lines.find("\nview ", at + 1)) ++count;
    return count;
  }
  FinderView viewOf(int window) {
    const auto* found = sim.finder().window(window);
    return found ? found->view : FinderView::icon;
  }
  int finderEvents() const { return sim.mac.appleEvents("Finder"); }
  int allEvents() const { return sim.mac.appleEvents(); }

  const ActivityEntry& latest() const { return model->activities()->front(); }
  std::vector<std::string> activityTitles() const {
    std::vector<std::string> titles;
    for (const auto& entry : model->activities().get()) titles.push_back(entry.title);
    return titles;
  }
  std::vector<std::string> confirmedKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, folder] : model->layouts().folders) {
      if (folder.confirmed) keys.push_back(key);
    }
    return keys;
  }

  TemporaryFolder temporary;
  const std::filesystem::path root = temporary.path();
  VirtualDispatch dispatch{Date{786000000}};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac sim{dispatch, *world};
  L l{{}, nullptr};
  // The shipped string tables, for a test that checks what a user of another language reads.
  L tables{{TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr};
  // The lookup the engine speaks through: the source texts themselves unless a test picks tables.
  L* lookup = &l;
  std::ostringstream diagnostics;
  RecordingDelegate delegate;
  // The storage's copy step for documents kept aside; empty: the file system's.
  Storage::CopyStep copyAside;
  std::unique_ptr<SimulatedEngineHost> host;
  std::shared_ptr<AppModel> model;
  // When the engine, and with it the poll timer, started.
  Date launchedAt;
};

}  // namespace tidyframe
