#include "app/scratch_folder.h"
#include "app/self_check.h"
#include "base/thread_dispatch.h"
#include "model/settings_document.h"
#include "storage/finder_layout_archive.h"
#include "storage/persistence_writer.h"

namespace tidyframe {

namespace {

Preferences samplePreferences() {
  Preferences preferences;
  preferences.grouping = Grouping::modified;
  preferences.language = "zh-Hans";
  LocationRule card;
  card.name = "SD 卡";
  card.path = "/Volumes/SD";
  card.volumeID = "7A3F0C2E-1111-4222-8333-944455556666";
  card.scope = RuleScope::device;
  card.bookmark = Bytes{0, 1, 254, 255};
  preferences.rules = {card};
  return preferences;
}

FinderLayoutArchive sampleArchive() {
  FinderLayoutArchive archive;
  archive.remember({"/Users/demo/Photos", "icon view", "internal", "None", "Name"},
                   FinderLayoutArchive::fingerprint(Grouping::kind, Sorting::name, false));
  return archive;
}

std::vector<ActivityEntry> sampleActivities() {
  return {ActivityEntry{.date = Date{786543210.25}, .title = "已应用种类分组", .detail = "按种类",
                        .path = "/Users/demo/Photos", .success = true, .previousGroup = "None",
                        .previousSort = "Name", .windowID = "4711"}};
}

// Saves the three documents through the writer on real threads, a first settings value being
// replaced by a second within the coalescing window, and reads them back.
std::string roundTrip() {
  const ScratchFolder scratch("tidyframe-self-test-");
  if (scratch.path().empty()) return "no temporary folder";
  const Storage storage(scratch.path() / "Tidyframe");
  const auto preferences = samplePreferences();
  const auto archive = sampleArchive();
  const auto activities = sampleActivities();
  ThreadDispatch dispatch;
  std::string failure;
  {
    PersistenceWriter writer(dispatch, storage);
    const auto onError = [&failure](const std::string& description) { failure = description; };
    writer.save(std::string(Storage::preferencesFile), Preferences{}, onError);
    writer.save(std::string(Storage::preferencesFile), preferences, onError);
    writer.save(std::string(Storage::layoutsFile), archive, onError);
    writer.save(std::string(Storage::activityFile), activities, onError);
    writer.flushAndWait();
  }
  dispatch.drainMain();
  if (!failure.empty()) return "a save failed: " + failure;
  const Date now = dispatch.now();
  if (storage.load<Preferences>(Storage::preferencesFile, now).value != preferences) {
    return "the settings read back differ";
  }
  if (storage.load<FinderLayoutArchive>(Storage::layoutsFile, now).value != archive) {
    return "the layout archive reads back different";
  }
  if (storage.load<std::vector<ActivityEntry>>(Storage::activityFile, now).value != activities) {
    return "the activity record reads back different";
  }
  return {};
}

std::string unreadableKeptAside() {
  const ScratchFolder scratch("tidyframe-self-test-");
  if (scratch.path().empty()) return "no temporary folder";
  const Storage storage(scratch.path());
  const Json damaged = {{"originals", Json::object()}};
  if (!Storage::save(damaged, storage.layoutsURL())) return "could not write the damaged archive";
  const auto loaded = storage.load<FinderLayoutArchive>(Storage::layoutsFile, Date{0});
  if (loaded.value) return "an archive without confirmations was accepted";
  if (!loaded.keptAside || Storage::readJson(*loaded.keptAside) != damaged) return "the damaged archive was not kept";
  return {};
}

}  // namespace

std::vector<SelfCheck> persistenceChecks() {
  return {
      {"persistence: settings, layout archive and activity record read back equal", roundTrip},
      {"persistence: an unreadable document is kept aside", unreadableKeptAside},
  };
}

}  // namespace tidyframe
