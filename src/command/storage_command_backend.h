#pragma once

#include <functional>

#include "base/date.h"
#include "command/command_runner.h"
#include "storage/storage.h"

namespace tidyframe {

class L;

// The settings and the activity log in the storage folder, for subcommands while no
// application runs; the caller holds the folder's StorageLock. A change reads the documents
// as the application's launch does (an unreadable one is kept aside first, and one that cannot
// be kept aside is never written over), changes them and saves them whole and atomically,
// logging as the engine logs, in the interface language the settings choose. Borrows the
// storage and the lookup. One thread.
class StorageCommandBackend final : public CommandBackend {
 public:
  using VolumeList = std::function<std::vector<MountedVolume>()>;

  StorageCommandBackend(const Storage& storage, L& l, Date now, VolumeList volumes);

  Preferences preferences() override;
  std::vector<ActivityEntry> activities() override;
  std::vector<MountedVolume> volumes() override { return volumes_(); }
  std::optional<RunningState> running() override { return std::nullopt; }

  Outcome saveRule(const LocationRule& rule) override;
  Outcome deleteRule(const std::string& id) override;
  Outcome importPreferences(const Preferences& imported) override;
  Outcome setEngineEnabled(bool enabled) override;

 private:
  template <class T>
  std::expected<T, std::string> loadForChange(std::string_view fileName);
  Outcome change(const std::function<void(Preferences&)>& edit);
  Outcome log(std::string title, std::string detail);

  const Storage& storage_;
  L& l_;
  Date now_;
  VolumeList volumes_;
};

}  // namespace tidyframe
