#include "app/demo.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/environment_languages.h"
#include "app/scratch_folder.h"
#include "app/simulated_engine_host.h"
#include "base/thread_dispatch.h"
#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/settings_document.h"
#include "platform/alerts.h"
#include "sim/sim_home.h"
#include "sim/simulated_mac.h"

namespace tidyframe {

namespace {

using SimHome::card;
using SimHome::cardPhotos;
using SimHome::cardUuid;
using SimHome::documents;
using SimHome::downloads;
using SimHome::home;
using SimHome::package;
using SimHome::pictures;
const std::string renamedCard = "/Volumes/TRIP";
const std::string renamedPhotos = renamedCard + "/DCIM";
const std::string cardRule = "Trip card";

// What the Finder should show once the engine has arranged a folder.
constexpr FolderArrangement untouched{};
// How the user had Pictures before the engine first arranged it.
constexpr FolderArrangement picturesBySize{false, ArrangeKey::kind, ArrangeKey::size};
constexpr FolderArrangement byDefault{true, ArrangeKey::kind, ArrangeKey::name};
constexpr FolderArrangement byPicturesRule{true, ArrangeKey::modified, ArrangeKey::name};
constexpr FolderArrangement byCardRule{true, ArrangeKey::kind, ArrangeKey::modified};
constexpr FolderArrangement byDownloadsRule{true, ArrangeKey::added, ArrangeKey::name};

constexpr int periodKey = 47;
// How often a step looks whether what it expects has happened, and the breath between steps.
constexpr double lookInterval = 0.1;
constexpr double pauseBetweenSteps = 0.3;

}  // namespace

Preferences demoSettings() {
  Preferences settings;
  settings.hideOnNavigation = true;
  LocationRule folder;
  folder.name = "Pictures";
  folder.path = pictures;
  folder.includeChildren = true;
  folder.grouping = Grouping::modified;
  folder.sorting = Sorting::name;
  LocationRule device;
  device.name = cardRule;
  device.path = card;
  device.volumeID = cardUuid;
  device.scope = RuleScope::device;
  device.grouping = Grouping::kind;
  device.sorting = Sorting::modified;
  LocationRule listed;
  listed.name = "Downloads";
  listed.path = downloads;
  listed.grouping = Grouping::added;
  listed.sorting = Sorting::name;
  listed.view = FinderViewChoice::list;
  settings.rules = {folder, device, listed};
  return settings;
}

namespace {

std::string describe(const ActivityEntry& entry) {
  std::string line = "activity " + std::string(entry.success ? "" : "failed ") + entry.title + " | " + entry.detail;
  if (entry.path) line += " | " + *entry.path;
  if (entry.previousGroup && entry.previousSort) line += " | was " + *entry.previousGroup + ", " + *entry.previousSort;
  if (entry.previousView) line += " | was in " + *entry.previousView;
  return line;
}

// Stands in for the application shell: says what the engine asked of it.
class DemoShell final : public AppModelDelegate {
 public:
  explicit DemoShell(std::function<void(const std::string&)> say) : say_(std::move(say)) {}
  void updateMenu() override { say_("shell updateMenu"); }
  void ruleDidChange() override { say_("shell ruleDidChange"); }
  void closeForFinderAction() override { say_("shell closeForFinderAction"); }
  void showWindow() override { say_("shell showWindow"); }

 private:
  std::function<void(const std::string&)> say_;
};

// One thing the user does, and what should follow within `patience` seconds.
struct DemoStep {
  std::string action;
  std::function<void()> act;
  std::string expectation;
  std::function<bool()> holds;
  double patience = 6;
  // Seconds before the first look, for a step whose outcome is that nothing changes.
  double settle = 0;
};

// The tour: the simulated Mac, the engine over it and the scripted user. Everything here runs
// on the main queue; only the world lock is shared with the engine's queues and the world's.
// Main-queue blocks capture the tour: each step posts exactly one successor and the last one
// stops the loop, so none is left once run() returns.
class DemoTour {
 public:
  DemoTour(Dispatch& dispatch, DemoLoop& loop, const DemoOptions& options)
      : out_(options.out),
        folder_(options.folder),
        settings_(options.settings),
        dispatch_(dispatch),
        loop_(loop),
        host_(dispatch, sim_, options.l, folder_ / "storage", folder_ / "home", options.diagnostics),
        shell_([this](const std::string& line) { say(line); }) {}

  // Runs the tour to its end; answers whether every check held.
  bool run();

 private:
  void buildWorld();
  std::vector<DemoStep> steps();
  void begin(std::size_t index);
  void look(std::size_t index, Date deadline);
  void observeEngine();
  void printNewActivities(const std::vector<ActivityEntry>& list);

  void openFolder(const std::string& path);
  void mountCard(const std::string& path);
  void insertCard();
  void renameCard();
  void showDotFiles();
  void undoCardArrangement();
  void restorePictures();
  void exportAndImportRules();
  void quit();

  FolderArrangement shown(const std::string& path, FinderView view = FinderView::icon);
  bool arranged(const std::string& path, FolderArrangement expected, FinderView view = FinderView::icon);
  int finderEvents();
  FinderView windowView();
  bool logUnchanged() const { return model_->activities()->size() == activitiesAtStep_; }
  bool everythingSaved();
  std::string elapsed() const;
  void say(const std::string& line) { out_ << line << std::endl; }

  std::ostream& out_;
  std::filesystem::path folder_;
  Preferences settings_;
  Dispatch& dispatch_;
  DemoLoop& loop_;
  std::shared_ptr<DispatchQueue> worldQueue_ = dispatch_.makeSerialQueue("sim.world");
  SimulatedMac sim_{dispatch_, *worldQueue_};
  SimulatedEngineHost host_;
  DemoShell shell_;
  std::shared_ptr<AppModel> model_;
  std::vector<Subscription> observers_;
  std::vector<DemoStep> steps_;
  Date start_ = dispatch_.now();
  int window_ = 0;
  int failures_ = 0;
  bool quitDone_ = false;
  std::size_t activitiesSeen_ = 0;
  // What the Finder had been asked and what the log held when the current step began.
  int finderEventsAtStep_ = 0;
  std::size_t activitiesAtStep_ = 0;
  // Key presses the Finder had seen once the user showed dot files.
  int userKeyPresses_ = 0;
};

bool DemoTour::run() {
  buildWorld();
  model_ = AppModel::create(host_.services());
  model_->setDelegate(&shell_);
  observeEngine();
  steps_ = steps();
  dispatch_.main().async([this] { begin(0); });
  loop_.run();
  model_->setDelegate(nullptr);
  observers_.clear();
  model_.reset();
  say("demo " + std::string(failures_ == 0 ? "passed" : "FAILED") + " " + std::to_string(steps_.size()) +
      " steps, " + std::to_string(failures_) + " failed checks, " + elapsed());
  return failures_ == 0;
}

void DemoTour::buildWorld() {
  say("demo storage " + folder_.string() + " (removed at the end)");
  SimHome::furnish(sim_.volumes);
  sim_.finder().setArrangement(pictures, FinderView::icon, picturesBySize);
  say("demo home " + home + ": Pictures (the user sorts it by size), Documents, Downloads, Applications/Tool.app");
  std::filesystem::create_directories(folder_ / "home");
  if (const auto saved = Storage::save(toJson(settings_), host_.storage().preferencesURL()); !saved) {
    say("demo could not write the settings: " + saved.error());
    ++failures_;
  }
  for (const auto& rule : settings_.rules) {
    say("demo rule " + std::string(rawValue(rule.scope)) + " \"" + rule.name + "\" " + rule.path +
        (rule.volumeID ? " " + *rule.volumeID : "") + " group " + std::string(rawValue(rule.grouping)) + " sort " +
        std::string(rawValue(rule.sorting)) + (rule.view ? " view " + std::string(rawValue(*rule.view)) : ""));
  }
  say("demo default group " + std::string(rawValue(settings_.grouping)) + " sort " +
      std::string(rawValue(settings_.sorting)) + (settings_.hideOnNavigation ? ", dot files kept hidden" : ""));
}

std::vector<DemoStep> DemoTour::steps() {
  return {
      {"launch: the engine reads its settings, checks permissions and the earlier service", nullptr,
       "accessibility and automation granted, no earlier service running",
       [this] {
         return model_->accessibilityGranted().get() && model_->automationGranted().get() && model_->legacyReady() &&
                !model_->legacyRunning().get();
       }},
      {"turn automatic arrangement on", [this] { model_->start(); }, "the engine is on",
       [this] { return model_->preferences()->engineEnabled; }},
      {"open " + pictures + " in a Finder window", [this] { openFolder(pictures); },
       "grouped by date modified, sorted by name (folder rule)",
       [this] { return arranged(pictures, byPicturesRule); }},
      {"go to " + downloads + " in the same window", [this] {
         const auto world = sim_.lockWorld();
         sim_.finder().navigate(window_, downloads);
       },
       "in list view, grouped by date added, sorted by name (list-view rule)",
       [this] { return windowView() == FinderView::list && arranged(downloads, byDownloadsRule, FinderView::list); }},
      {"go to " + documents + " in the same window", [this] {
         const auto world = sim_.lockWorld();
         sim_.finder().navigate(window_, documents);
       },
       "still in list view, grouped by kind, sorted by name (global default)",
       [this] { return arranged(documents, byDefault, FinderView::list); }},
      {"switch the window to icon view", [this] {
         const auto world = sim_.lockWorld();
         sim_.finder().setView(window_, FinderView::icon);
       },
       "the icon view arranged too, and left in icon view",
       [this] { return windowView() == FinderView::icon && arranged(documents, byDefault); }},
      {"show the contents of the package " + package, [this] {
         const auto world = sim_.lockWorld();
         sim_.finder().navigate(window_, package);
       },
       "the Finder was asked, but a package is no folder: nothing arranged, nothing logged",
       [this] { return finderEvents() > finderEventsAtStep_ && shown(package) == untouched && logUnchanged(); }, 6, 3},
      {"insert the SD card (volume " + cardUuid + ") and open " + cardPhotos, [this] { insertCard(); },
       "grouped by kind, sorted by date modified (device rule)",
       [this] { return arranged(cardPhotos, byCardRule) && model_->currentSource().get() == cardRule; }},
      {"rename the card to TRIP: same volume UUID, mounted at " + renamedCard, [this] { renameCard(); },
       "the device rule still applies at " + renamedPhotos,
       [this] { return arranged(renamedPhotos, byCardRule) && model_->currentSource().get() == cardRule; }},
      {"press Command-Shift-period: the Finder shows dot files", [this] { showDotFiles(); },
       "once the typing stops the engine presses the keys and hides them again", [this] {
         const auto world = sim_.lockWorld();
         return sim_.mac.keyPresses() > userKeyPresses_ && !sim_.finder().showsAllFiles();
       },
       16},
      {"undo the arrangement of " + renamedPhotos + " from the log", [this] { undoCardArrangement(); },
       "the card's photos as the Finder showed them before, automatic arrangement paused",
       [this] { return shown(renamedPhotos) == untouched && !model_->preferences()->engineEnabled && !logUnchanged(); }},
      {"open " + pictures + " and restore the Finder's own arrangement", [this] { restorePictures(); },
       "ungrouped and sorted by size again, as before the first change", [this] {
         const auto now = shown(pictures);
         return !now.grouped && now.sortKey == picturesBySize.sortKey && !model_->busy().get();
       }},
      {"export the rules, delete the card's rule and import the export back", [this] { exportAndImportRules(); },
       "every rule is back and the settings before the import were kept aside", [this] {
         return model_->preferences()->rules == settings_.rules && !logUnchanged() &&
                std::filesystem::exists(host_.storage().url(Storage::importBackupFile));
       }},
      {"quit", [this] { quit(); }, "the engine stopped after its last script; every entry is saved",
       [this] { return quitDone_ && everythingSaved(); }},
  };
}

void DemoTour::begin(std::size_t index) {
  if (index == steps_.size()) {
    loop_.stop();
    return;
  }
  const DemoStep& step = steps_[index];
  finderEventsAtStep_ = finderEvents();
  activitiesAtStep_ = model_->activities()->size();
  say("step " + std::to_string(index + 1) + " " + elapsed() + " " + step.action);
  if (step.act) step.act();
  const Date deadline = dispatch_.now() + step.settle + step.patience;
  dispatch_.main().asyncAfter(step.settle, [this, index, deadline] { look(index, deadline); });
}

void DemoTour::look(std::size_t index, Date deadline) {
  const DemoStep& step = steps_[index];
  const bool held = step.holds();
  if (!held && dispatch_.now() < deadline) {
    dispatch_.main().asyncAfter(lookInterval, [this, index, deadline] { look(index, deadline); });
    return;
  }
  if (!held) ++failures_;
  say(std::string(held ? "check ok " : "check FAILED ") + elapsed() + " " + step.expectation);
  dispatch_.main().asyncAfter(pauseBetweenSteps, [this, index] { begin(index + 1); });
}

void DemoTour::observeEngine() {
  observers_.push_back(model_->activities().subscribe([this](const auto& list) { printNewActivities(list); }));
  observers_.push_back(model_->message().subscribe([this](const std::optional<std::string>& message) {
    if (message) say("message " + *message);
  }));
  observers_.push_back(model_->volumes().subscribe([this](const std::vector<MountedVolume>& volumes) {
    std::string line = "volumes";
    for (const auto& volume : volumes) line += " " + volume.name + " " + volume.path + " " + volume.uuid.value_or("-");
    say(volumes.empty() ? line + " none" : line);
  }));
}

// Entries arrive newest first; they are printed in the order they happened.
void DemoTour::printNewActivities(const std::vector<ActivityEntry>& list) {
  const std::size_t fresh = list.size() > activitiesSeen_ ? list.size() - activitiesSeen_ : 1;
  activitiesSeen_ = list.size();
  for (std::size_t i = std::min(fresh, list.size()); i > 0; --i) say(describe(list[i - 1]));
}

void DemoTour::openFolder(const std::string& path) {
  const auto world = sim_.lockWorld();
  window_ = sim_.finder().openWindow(path);
  sim_.finder().setFrontmost(true);
}

// The system tells of a mount on the main queue, after the volume is there.
void DemoTour::mountCard(const std::string& path) {
  {
    const auto world = sim_.lockWorld();
    SimHome::insertCard(sim_.volumes, path);
  }
  sim_.workspace.postDidMount();
}

void DemoTour::insertCard() {
  mountCard(card);
  openFolder(cardPhotos);
}

// Renaming a card remounts it under its new name: its windows close with the old mount.
void DemoTour::renameCard() {
  {
    const auto world = sim_.lockWorld();
    sim_.finder().closeWindow(window_);
    sim_.volumes.unmount(card);
  }
  sim_.workspace.postDidUnmount();
  mountCard(renamedCard);
  openFolder(renamedPhotos);
}

void DemoTour::showDotFiles() {
  {
    const auto world = sim_.lockWorld();
    sim_.finder().pressKey(KeyPress{.keyCode = periodKey, .command = true, .shift = true});
    userKeyPresses_ = sim_.mac.keyPresses();
    say(std::string("demo the Finder ") + (sim_.finder().showsAllFiles() ? "shows" : "does not show") + " dot files");
  }
  sim_.input.typed();
}

// The entry of the card's arrangement names the window it was made in, still in front.
void DemoTour::undoCardArrangement() {
  const auto log = model_->activities().get();
  const auto entry = std::ranges::find_if(log, [](const ActivityEntry& e) { return e.path == renamedPhotos; });
  if (entry == log.end()) {
    say("demo the log holds no arrangement of " + renamedPhotos);
    return;
  }
  model_->undo(*entry);
}

void DemoTour::restorePictures() {
  {
    const auto world = sim_.lockWorld();
    sim_.finder().navigate(window_, pictures);
  }
  sim_.alerts.answerAlert(Alerts::firstButton);
  model_->restoreCurrentFolder();
}

void DemoTour::exportAndImportRules() {
  const auto file = (folder_ / "rules.json").string();
  sim_.alerts.answerPanel(file);
  model_->exportPreferences();
  const auto rules = model_->preferences()->rules;
  const auto device = std::ranges::find_if(rules, [](const LocationRule& rule) { return rule.name == cardRule; });
  if (device != rules.end()) model_->deleteRule(device->id);
  say("demo rules before the import: " + std::to_string(model_->preferences()->rules.size()));
  sim_.alerts.answerPanel(file);
  sim_.alerts.answerAlert(Alerts::firstButton);
  model_->importPreferences();
}

void DemoTour::quit() {
  model_->prepareForQuit([this] {
    quitDone_ = true;
    say("demo the engine may terminate");
  });
}

FolderArrangement DemoTour::shown(const std::string& path, FinderView view) {
  const auto world = sim_.lockWorld();
  return SimFinder::effective(sim_.finder().arrangement(path, view), view);
}

bool DemoTour::arranged(const std::string& path, FolderArrangement expected, FinderView view) {
  return shown(path, view) == expected && !logUnchanged();
}

int DemoTour::finderEvents() {
  const auto world = sim_.lockWorld();
  return sim_.mac.appleEvents("Finder");
}

FinderView DemoTour::windowView() {
  const auto world = sim_.lockWorld();
  const auto* window = sim_.finder().window(window_);
  return window ? window->view : FinderView::icon;
}

bool DemoTour::everythingSaved() {
  const auto saved = Storage::read<std::vector<ActivityEntry>>(host_.storage().activityURL());
  return saved && *saved == model_->activities().get();
}

std::string DemoTour::elapsed() const {
  char text[16];
  std::snprintf(text, sizeof text, "+%.1fs", dispatch_.now() - start_);
  return text;
}

}  // namespace

bool runDemoTour(Dispatch& dispatch, DemoLoop& loop, const DemoOptions& options) {
  DemoTour tour(dispatch, loop, options);
  return tour.run();
}

namespace {

class ThreadLoop final : public DemoLoop {
 public:
  explicit ThreadLoop(ThreadDispatch& dispatch) : dispatch_(dispatch) {}
  void run() override { dispatch_.runMainLoop(); }
  void stop() override { dispatch_.stopMainLoop(); }

 private:
  ThreadDispatch& dispatch_;
};

}  // namespace

bool runDemo(std::ostream& out, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots) {
  const ScratchFolder folder("tidyframe-demo-");
  if (folder.path().empty()) {
    out << "demo FAILED: no temporary folder" << std::endl;
    return false;
  }
  L l(tableRoots, std::make_shared<EnvironmentLanguages>());
  ThreadDispatch dispatch;
  ThreadLoop loop(dispatch);
  return runDemoTour(dispatch, loop, {out, diagnostics ? &out : nullptr, l, folder.path(), demoSettings()});
}

}  // namespace tidyframe
