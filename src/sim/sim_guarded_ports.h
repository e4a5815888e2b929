#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessibility.h"
#include "platform/apple_event_permissions.h"
#include "platform/apple_script_host.h"
#include "platform/preference_store.h"
#include "platform/workspace.h"
#include "sim/sim_world_lock.h"

namespace tidyframe {

// The simulated Mac's ports that reach its model, as an engine on real threads calls them from
// several queues at once: each call holds the world lock around the adapter it forwards to.
// Scripts hold it for their whole run except while they wait. Counters and fault switches stay
// on the adapters themselves. Borrows the lock and the adapters.
class GuardedAppleScriptHost final : public AppleScriptHost {
 public:
  GuardedAppleScriptHost(AppleScriptHost& inner, SimWorldLock& lock) : inner_(inner), lock_(lock) {}
  std::unique_ptr<CompiledScript> compile(std::string_view source) override;

 private:
  AppleScriptHost& inner_;
  SimWorldLock& lock_;
};

// Elements reached through it read under the lock too.
class GuardedAccessibility final : public Accessibility {
 public:
  GuardedAccessibility(Accessibility& inner, SimWorldLock& lock) : inner_(inner), lock_(lock) {}
  bool isProcessTrusted() const override;
  bool isProcessTrustedPrompting() override;
  AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) override;

 private:
  Accessibility& inner_;
  SimWorldLock& lock_;
};

class GuardedAppleEventPermissions final : public AppleEventPermissions {
 public:
  GuardedAppleEventPermissions(AppleEventPermissions& inner, SimWorldLock& lock) : inner_(inner), lock_(lock) {}
  std::int32_t status(std::string_view bundleIdentifier) override;

 private:
  AppleEventPermissions& inner_;
  SimWorldLock& lock_;
};

class GuardedPreferenceStore final : public PreferenceStore {
 public:
  GuardedPreferenceStore(PreferenceStore& inner, SimWorldLock& lock) : inner_(inner), lock_(lock) {}
  void synchronize(std::string_view applicationID) override;
  std::optional<PreferenceValue> copyValue(std::string_view key, std::string_view applicationID) override;

 private:
  PreferenceStore& inner_;
  SimWorldLock& lock_;
};

// Notifications are the workspace's own: observers subscribe and are told on the main queue.
class GuardedWorkspace final : public Workspace {
 public:
  GuardedWorkspace(Workspace& inner, SimWorldLock& lock) : inner_(inner), lock_(lock) {}
  std::optional<RunningApplication> frontmostApplication() const override;
  std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const override;
  bool isRunning(int processIdentifier) const override;
  void yieldActivation(const RunningApplication& target) override;
  bool activate(const RunningApplication& target) override;
  bool openURL(const std::string& url) override;
  bool openFolder(const std::string& path) override;
  Subscription onDidMount(std::function<void()> observer) override { return inner_.onDidMount(std::move(observer)); }
  Subscription onDidUnmount(std::function<void()> observer) override {
    return inner_.onDidUnmount(std::move(observer));
  }
  Subscription onDidBecomeActive(std::function<void()> observer) override {
    return inner_.onDidBecomeActive(std::move(observer));
  }
  Subscription onDidActivateApplication(std::function<void(const RunningApplication&)> observer) override {
    return inner_.onDidActivateApplication(std::move(observer));
  }

 private:
  Workspace& inner_;
  SimWorldLock& lock_;
};

// The guarded ports of one simulated Mac. The login item, bookmarks and alerts are left out:
// the engine keeps the login item to one queue, the bookmarks lock themselves, and the alerts
// take the world lock for the one change they make to the Finder.
struct SimGuardedPorts {
  SimGuardedPorts(SimWorldLock& lock, AppleScriptHost& simHost, Accessibility& simAccessibility,
                  AppleEventPermissions& simPermissions, PreferenceStore& simPreferences, Workspace& simWorkspace)
      : host(simHost, lock),
        accessibility(simAccessibility, lock),
        permissions(simPermissions, lock),
        preferences(simPreferences, lock),
        workspace(simWorkspace, lock) {}

  GuardedAppleScriptHost host;
  GuardedAccessibility accessibility;
  GuardedAppleEventPermissions permissions;
  GuardedPreferenceStore preferences;
  GuardedWorkspace workspace;
};

}  // namespace tidyframe
