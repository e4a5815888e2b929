#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/dispatch.h"
#include "platform/accessibility.h"
#include "platform/apple_event_permissions.h"
#include "platform/apple_script_host.h"
#include "platform/input_state.h"
#include "platform/preference_store.h"
#include "platform/system_log.h"
#include "platform/volume_catalog.h"
#include "sim/finder_items.h"
#include "sim/sim_mac.h"

namespace tidyframe {

// The AppleScript host of the simulated Mac: scripts compile and run in its interpreter
// against the modeled Finder and System Events. A script object compiles its text at its first
// execute and keeps the program for later ones.
class SimAppleScriptHost final : public AppleScriptHost {
 public:
  explicit SimAppleScriptHost(SimMac& mac) : mac_(mac) {}
  std::unique_ptr<CompiledScript> compile(std::string_view source) override;

 private:
  SimMac& mac_;
};

// The accessibility tree of the modeled Finder: the focused window with its document URL and a
// view element nested in containers as the Finder nests them, a stable hash per window. Only
// the Finder's process id answers; the elements of any other fail to read (cannotComplete).
class SimAccessibility final : public Accessibility {
 public:
  SimAccessibility(SimMac& mac, int finderPid) : mac_(mac), finderPid_(finderPid) {}

  bool isProcessTrusted() const override { return mac_.accessibilityTrusted(); }
  bool isProcessTrustedPrompting() override;
  AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) override;

  // A Finder too busy to answer within any messaging time-out.
  void setUnresponsive(bool unresponsive) { unresponsive_ = unresponsive; }
  int prompts() const { return prompts_; }
  int attributeReads() const { return reads_; }

 private:
  friend class SimAccessibilityElement;
  SimMac& mac_;
  int finderPid_;
  bool unresponsive_ = false;
  int prompts_ = 0;
  int reads_ = 0;
};

// The Automation consent of the modeled Mac, asked without ever prompting.
class SimAppleEventPermissions final : public AppleEventPermissions {
 public:
  explicit SimAppleEventPermissions(SimMac& mac) : mac_(mac) {}
  std::int32_t status(std::string_view bundleIdentifier) override;
  int queries() const { return queries_; }

 private:
  SimMac& mac_;
  int queries_ = 0;
};

// The user's keyboard and mouse, on the dispatch clock.
class SimInputState final : public InputState {
 public:
  explicit SimInputState(Dispatch& dispatch) : dispatch_(dispatch) {}
  double secondsSinceLastEvent(InputEventType type) const override;
  std::uint32_t pressedMouseButtons() const override;

  void event(InputEventType type);
  void typed() { event(InputEventType::keyDown); }
  void clicked() { event(InputEventType::leftMouseDown); }
  void holdMouseButton(bool held);

 private:
  Dispatch& dispatch_;
  mutable std::mutex mutex_;
  std::map<InputEventType, Date> last_;
  std::uint32_t buttons_ = 0;
};

// The Finder's stored preferences: "AppleShowAllFiles" reads 1 while the modeled Finder's
// preference says dot files show (it lags behind its windows) and is absent otherwise, unless a
// test stored a value of its own.
class SimPreferenceStore final : public PreferenceStore {
 public:
  explicit SimPreferenceStore(SimFinder& finder) : finder_(finder) {}
  void synchronize(std::string_view applicationID) override;
  std::optional<PreferenceValue> copyValue(std::string_view key, std::string_view applicationID) override;

  // Replaces the stored value of "AppleShowAllFiles" (nothing: absent).
  void store(std::optional<PreferenceValue> value) { stored_ = std::move(value); }
  int synchronizations() const { return synchronizations_; }

 private:
  SimFinder& finder_;
  std::optional<PreferenceValue> stored_;
  int synchronizations_ = 0;
};

struct SimVolume {
  std::string path;
  VolumeResourceValues values;
  bool hidden = false;
};

// Mounted volumes, the folders on them and the items in those folders. Thread-safe: the engine
// reads it from its volume and script queues at once. Borrows the clock that dates new items.
class SimVolumeCatalog final : public VolumeCatalog {
 public:
  explicit SimVolumeCatalog(const Dispatch& clock);
  std::vector<std::string> mountedVolumePaths() override;
  std::optional<VolumeResourceValues> volumeValues(const std::string& mountPath) override;
  std::optional<FileResourceValues> fileValues(const std::string& path) override;

  void mount(SimVolume volume);
  void unmount(const std::string& path);
  void addFolder(const std::string& path);
  void addPackage(const std::string& path);
  // The items a folder holds, made when it was furnished; a volume that goes takes its items
  // along. A folder never furnished holds none.
  void addItems(const std::string& folder, std::vector<FinderItem> items);
  std::vector<FinderItem> items(const std::string& folder) const;
  Date now() const { return clock_.now(); }
  // A volume whose values can no longer be read (a sleeping or failing disk).
  void makeUnreadable(const std::string& path);
  // How often the mounted volumes were listed.
  int listings() const;

 private:
  const SimVolume* volumeHolding(const std::string& path) const;

  const Dispatch& clock_;
  mutable std::mutex mutex_;
  std::vector<SimVolume> volumes_;
  std::set<std::string> unreadable_;
  std::set<std::string> folders_;
  std::set<std::string> packages_;
  std::map<std::string, std::vector<FinderItem>> items_;
  int listings_ = 0;
};

class SimSystemLog final : public SystemLog {
 public:
  void error(std::string_view line) override;
  std::vector<std::string> lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace tidyframe
