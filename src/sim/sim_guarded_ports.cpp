#include "sim/sim_guarded_ports.h"

#include <mutex>
#include <variant>

namespace tidyframe {

namespace {

class GuardedCompiledScript final : public CompiledScript {
 public:
  GuardedCompiledScript(std::unique_ptr<CompiledScript> inner, SimWorldLock& lock)
      : inner_(std::move(inner)), lock_(lock) {}

  std::expected<ScriptReply, ScriptError> execute() override {
    const std::lock_guard hold(lock_);
    return inner_->execute();
  }

  std::expected<void, ScriptError> compileOnly() override {
    const std::lock_guard hold(lock_);
    return inner_->compileOnly();
  }

 private:
  std::unique_ptr<CompiledScript> inner_;
  SimWorldLock& lock_;
};

class GuardedElement final : public AccessibilityElement {
 public:
  GuardedElement(AccessibilityElementRef inner, SimWorldLock& lock) : inner_(std::move(inner)), lock_(lock) {}

  std::expected<AccessibilityValue, std::int32_t> attribute(std::string_view name) const override {
    const std::lock_guard hold(lock_);
    auto value = inner_->attribute(name);
    if (!value) return value;
    return guardedValue(std::move(*value), lock_);
  }
  std::uint64_t hash() const override { return inner_->hash(); }

  static AccessibilityElementRef guarded(AccessibilityElementRef element, SimWorldLock& lock) {
    if (!element) return element;
    return std::make_shared<GuardedElement>(std::move(element), lock);
  }

 private:
  // Elements inside a value are wrapped too, so every read down the tree is guarded.
  static AccessibilityValue guardedValue(AccessibilityValue value, SimWorldLock& lock) {
    if (auto* element = std::get_if<AccessibilityElementRef>(&value)) return guarded(std::move(*element), lock);
    if (auto* elements = std::get_if<std::vector<AccessibilityElementRef>>(&value)) {
      for (auto& element : *elements) element = guarded(std::move(element), lock);
    }
    return value;
  }

  AccessibilityElementRef inner_;
  SimWorldLock& lock_;
};

}  // namespace

std::unique_ptr<CompiledScript> GuardedAppleScriptHost::compile(std::string_view source) {
  const std::lock_guard hold(lock_);
  auto script = inner_.compile(source);
  if (!script) return script;
  return std::make_unique<GuardedCompiledScript>(std::move(script), lock_);
}

bool GuardedAccessibility::isProcessTrusted() const {
  const std::lock_guard hold(lock_);
  return inner_.isProcessTrusted();
}

bool GuardedAccessibility::isProcessTrustedPrompting() {
  const std::lock_guard hold(lock_);
  return inner_.isProcessTrustedPrompting();
}

AccessibilityElementRef GuardedAccessibility::applicationElement(std::int32_t pid, double messagingTimeout) {
  const std::lock_guard hold(lock_);
  return GuardedElement::guarded(inner_.applicationElement(pid, messagingTimeout), lock_);
}

std::int32_t GuardedAppleEventPermissions::status(std::string_view bundleIdentifier) {
  const std::lock_guard hold(lock_);
  return inner_.status(bundleIdentifier);
}

void GuardedPreferenceStore::synchronize(std::string_view applicationID) {
  const std::lock_guard hold(lock_);
  inner_.synchronize(applicationID);
}

std::optional<PreferenceValue> GuardedPreferenceStore::copyValue(std::string_view key,
                                                                 std::string_view applicationID) {
  const std::lock_guard hold(lock_);
  return inner_.copyValue(key, applicationID);
}

std::optional<RunningApplication> GuardedWorkspace::frontmostApplication() const {
  const std::lock_guard hold(lock_);
  return inner_.frontmostApplication();
}

std::vector<RunningApplication> GuardedWorkspace::runningApplications(const std::string& bundleIdentifier) const {
  const std::lock_guard hold(lock_);
  return inner_.runningApplications(bundleIdentifier);
}

bool GuardedWorkspace::isRunning(int processIdentifier) const {
  const std::lock_guard hold(lock_);
  return inner_.isRunning(processIdentifier);
}

void GuardedWorkspace::yieldActivation(const RunningApplication& target) {
  const std::lock_guard hold(lock_);
  inner_.yieldActivation(target);
}

bool GuardedWorkspace::activate(const RunningApplication& target) {
  const std::lock_guard hold(lock_);
  return inner_.activate(target);
}

bool GuardedWorkspace::openURL(const std::string& url) {
  const std::lock_guard hold(lock_);
  return inner_.openURL(url);
}

bool GuardedWorkspace::openFolder(const std::string& path) {
  const std::lock_guard hold(lock_);
  return inner_.openFolder(path);
}

}  // namespace tidyframe
