#include "sim/sim_ports.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tidyframe {

namespace {

std::optional<std::int32_t> int32Of(const applescript::Value& value) {
  double number = 0;
  if (value.is<std::int64_t>()) {
    number = static_cast<double>(value.as<std::int64_t>());
  } else if (value.is<double>()) {
    number = value.as<double>();
  } else if (value.is<std::string>()) {
    try {
      number = applescript::numberValue(value);
    } catch (const applescript::ScriptException&) {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  if (!std::isfinite(number) || number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(std::lround(number));
}

std::optional<std::string> textOf(const applescript::Value& value) {
  if (value.is<applescript::ValueList>() || value.is<applescript::SpecifierPtr>() ||
      value.is<applescript::ListItemRef>()) {
    return std::nullopt;
  }
  return applescript::textValue(value);
}

ScriptReply replyOf(const std::optional<applescript::Value>& result) {
  if (!result || !result->is<applescript::ValueList>()) return ScriptReply{};
  std::vector<ScriptReplyItem> items;
  for (const auto& item : result->as<applescript::ValueList>()) items.push_back({textOf(item), int32Of(item)});
  return ScriptReply(std::move(items));
}

ScriptError errorOf(const applescript::ScriptError& error) {
  return ScriptError{error.number, error.message,
                     "{NSAppleScriptErrorNumber = " + std::to_string(error.number) +
                         "; NSAppleScriptErrorMessage = \"" + error.message + "\"}"};
}

class SimCompiledScript final : public CompiledScript {
 public:
  SimCompiledScript(SimMac& mac, std::string source) : mac_(mac), source_(std::move(source)) {}

  std::expected<ScriptReply, ScriptError> execute() override {
    if (auto compiled = compileOnly(); !compiled) return std::unexpected(std::move(compiled.error()));
    const auto result = mac_.run(*program_);
    if (!result) return std::unexpected(errorOf(result.error()));
    return replyOf(*result);
  }

  std::expected<void, ScriptError> compileOnly() override {
    if (program_) return {};
    auto compiled = mac_.compile(source_);
    if (!compiled) return std::unexpected(errorOf(compiled.error()));
    program_ = std::move(*compiled);
    return {};
  }

 private:
  SimMac& mac_;
  std::string source_;
  std::shared_ptr<const applescript::ScriptProgram> program_;
};

}  // namespace

std::unique_ptr<CompiledScript> SimAppleScriptHost::compile(std::string_view source) {
  return std::make_unique<SimCompiledScript>(mac_, std::string(source));
}

// One element of the modeled Finder's accessibility tree, identified by the window it belongs
// to and its place in that window, and read live from the model.
class SimAccessibilityElement final : public AccessibilityElement {
 public:
  enum class Role { application, window, splitGroup, sidebar, contentArea, view };

  // The window id of every element of another process.
  static constexpr int notTheFinder = -1;

  SimAccessibilityElement(SimAccessibility& owner, Role role, int windowId)
      : owner_(owner), role_(role), windowId_(windowId) {}

  std::expected<AccessibilityValue, std::int32_t> attribute(std::string_view name) const override {
    ++owner_.reads_;
    auto& finder = owner_.mac_.finder();
    // Only the Finder's process is modelled; any other answers as a process that is gone.
    if (owner_.unresponsive_ || windowId_ == notTheFinder) return std::unexpected(accessibility_error::cannotComplete);
    if (!owner_.mac_.accessibilityTrusted()) return std::unexpected(accessibility_error::apiDisabled);
    if (!finder.running()) return std::unexpected(accessibility_error::cannotComplete);
    if (role_ == Role::application) return applicationAttribute(name);
    const auto* window = finder.window(windowId_);
    if (!window) return std::unexpected(accessibility_error::cannotComplete);
    return elementAttribute(*window, name);
  }

  std::uint64_t hash() const override {
    return 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(windowId_ + 1) + static_cast<std::uint64_t>(role_);
  }

 private:
  std::expected<AccessibilityValue, std::int32_t> applicationAttribute(std::string_view name) const {
    if (name != "AXFocusedWindow") return std::unexpected(accessibility_error::noValue);
    const auto& windows = owner_.mac_.finder().windows();
    if (windows.empty()) return std::unexpected(accessibility_error::noValue);
    return AccessibilityValue(make(Role::window, windows.front().id));
  }

  std::expected<AccessibilityValue, std::int32_t> elementAttribute(const SimFinderWindow& window,
                                                                   std::string_view name) const {
    const bool browser = window.kind == FinderWindowKind::browser;
    if (name == "AXRole") return AccessibilityValue(std::string(roleName()));
    if (name == "AXDocument" && role_ == Role::window && browser) {
      const auto* place = finderSpecialPlace(window.path);
      return AccessibilityValue(place ? std::string(place->document) : finderFolderUrl(window.path));
    }
    if (name == "AXIdentifier" && role_ == Role::view) {
      return AccessibilityValue(std::string(finderViewIdentifier(window.view)));
    }
    if (name == "AXChildren" && browser) return children();
    return std::unexpected(accessibility_error::noValue);
  }

  // window > split group > (sidebar scroll area, content scroll area > view)
  AccessibilityValue children() const {
    switch (role_) {
      case Role::window: return std::vector{make(Role::splitGroup, windowId_)};
      case Role::splitGroup: return std::vector{make(Role::sidebar, windowId_), make(Role::contentArea, windowId_)};
      case Role::contentArea: return std::vector{make(Role::view, windowId_)};
      default: return std::vector<AccessibilityElementRef>{};
    }
  }

  std::string_view roleName() const {
    switch (role_) {
      case Role::application: return "AXApplication";
      case Role::window: return "AXWindow";
      case Role::splitGroup: return "AXSplitGroup";
      case Role::sidebar:
      case Role::contentArea: return "AXScrollArea";
      case Role::view: return "AXList";
    }
    return "";
  }

  AccessibilityElementRef make(Role role, int windowId) const {
    return std::make_shared<SimAccessibilityElement>(owner_, role, windowId);
  }

  SimAccessibility& owner_;
  Role role_;
  int windowId_;
};

bool SimAccessibility::isProcessTrustedPrompting() {
  ++prompts_;
  return mac_.accessibilityTrusted();
}

AccessibilityElementRef SimAccessibility::applicationElement(std::int32_t pid, double) {
  const int windowId = pid == finderPid_ ? 0 : SimAccessibilityElement::notTheFinder;
  return std::make_shared<SimAccessibilityElement>(*this, SimAccessibilityElement::Role::application, windowId);
}

std::int32_t SimAppleEventPermissions::status(std::string_view bundleIdentifier) {
  ++queries_;
  const std::string application = bundleIdentifier == "com.apple.finder"         ? "Finder"
                                  : bundleIdentifier == "com.apple.systemevents" ? "System Events"
                                                                                 : std::string(bundleIdentifier);
  if ((application == "Finder" || application == "System Events") && !mac_.isRunning(application)) return -600;
  switch (mac_.automation(application)) {
    case AutomationConsent::allowed: return 0;
    case AutomationConsent::refused: return -1743;
    case AutomationConsent::notAsked: return -1744;
  }
  return -1744;
}

double SimInputState::secondsSinceLastEvent(InputEventType type) const {
  std::lock_guard lock(mutex_);
  const auto found = last_.find(type);
  if (found == last_.end()) return 1e9;
  return dispatch_.now() - found->second;
}

std::uint32_t SimInputState::pressedMouseButtons() const {
  std::lock_guard lock(mutex_);
  return buttons_;
}

void SimInputState::event(InputEventType type) {
  std::lock_guard lock(mutex_);
  last_[type] = dispatch_.now();
}

void SimInputState::holdMouseButton(bool held) {
  std::lock_guard lock(mutex_);
  buttons_ = held ? 1u : 0u;
}

void SimPreferenceStore::synchronize(std::string_view) { ++synchronizations_; }

std::optional<PreferenceValue> SimPreferenceStore::copyValue(std::string_view key, std::string_view applicationID) {
  if (key != "AppleShowAllFiles" || applicationID != "com.apple.finder") return std::nullopt;
  if (stored_) return stored_;
  if (finder_.storedShowsAllFiles()) return PreferenceValue(1.0);
  return std::nullopt;
}

SimVolumeCatalog::SimVolumeCatalog(const Dispatch& clock) : clock_(clock) {
  VolumeResourceValues root;
  root.name = "Macintosh HD";
  root.uuid = "0A81F3B1-51D9-3335-B3E3-169C3640360D";
  root.isInternal = true;
  root.isRemovable = false;
  root.isReadOnly = true;
  root.totalCapacity = 994662584320;
  root.availableCapacity = 412000000000;
  volumes_.push_back({"/", root, false});
}

std::vector<std::string> SimVolumeCatalog::mountedVolumePaths() {
  std::lock_guard lock(mutex_);
  ++listings_;
  std::vector<std::string> paths;
  for (const auto& volume : volumes_) {
    if (!volume.hidden) paths.push_back(volume.path);
  }
  return paths;
}

std::optional<VolumeResourceValues> SimVolumeCatalog::volumeValues(const std::string& mountPath) {
  std::lock_guard lock(mutex_);
  if (unreadable_.contains(mountPath)) return std::nullopt;
  for (const auto& volume : volumes_) {
    if (volume.path == mountPath) return volume.values;
  }
  return std::nullopt;
}

const SimVolume* SimVolumeCatalog::volumeHolding(const std::string& path) const {
  const SimVolume* best = nullptr;
  for (const auto& volume : volumes_) {
    const bool below = volume.path == "/" || path == volume.path || path.starts_with(volume.path + "/");
    if (below && (!best || volume.path.size() > best->path.size())) best = &volume;
  }
  return best;
}

std::optional<FileResourceValues> SimVolumeCatalog::fileValues(const std::string& path) {
  std::lock_guard lock(mutex_);
  const bool folder = folders_.contains(path);
  const bool package = packages_.contains(path);
  const auto* volume = volumeHolding(path);
  const bool mountPoint = volume && volume->path == path;
  if (!folder && !package && !mountPoint) return std::nullopt;
  if (!volume || unreadable_.contains(volume->path)) return std::nullopt;
  return FileResourceValues{volume->values.uuid, volume->values.isInternal, true, package};
}

void SimVolumeCatalog::mount(SimVolume volume) {
  std::lock_guard lock(mutex_);
  std::erase_if(volumes_, [&](const SimVolume& v) { return v.path == volume.path; });
  unreadable_.erase(volume.path);
  volumes_.push_back(std::move(volume));
}

void SimVolumeCatalog::unmount(const std::string& path) {
  std::lock_guard lock(mutex_);
  std::erase_if(volumes_, [&](const SimVolume& v) { return v.path == path; });
  std::erase_if(items_, [&](const auto& entry) { return entry.first == path || entry.first.starts_with(path + "/"); });
}

void SimVolumeCatalog::addFolder(const std::string& path) {
  std::lock_guard lock(mutex_);
  folders_.insert(path);
}

void SimVolumeCatalog::addPackage(const std::string& path) {
  std::lock_guard lock(mutex_);
  packages_.insert(path);
}

void SimVolumeCatalog::addItems(const std::string& folder, std::vector<FinderItem> items) {
  std::lock_guard lock(mutex_);
  items_[folder] = std::move(items);
}

std::vector<FinderItem> SimVolumeCatalog::items(const std::string& folder) const {
  std::lock_guard lock(mutex_);
  const auto found = items_.find(folder);
  return found == items_.end() ? std::vector<FinderItem>{} : found->second;
}

void SimVolumeCatalog::makeUnreadable(const std::string& path) {
  std::lock_guard lock(mutex_);
  unreadable_.insert(path);
}

int SimVolumeCatalog::listings() const {
  std::lock_guard lock(mutex_);
  return listings_;
}

void SimSystemLog::error(std::string_view line) {
  std::lock_guard lock(mutex_);
  lines_.emplace_back(line);
}

std::vector<std::string> SimSystemLog::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

}  // namespace tidyframe
