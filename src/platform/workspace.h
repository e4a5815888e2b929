#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/published.h"

namespace tidyframe {

struct RunningApplication {
  std::string bundleIdentifier;
  int processIdentifier = 0;

  friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The workspace of the running session: applications, activation, opening places, and the
// notifications the engine observes. Called on the main queue; observers are called there.
class Workspace {
 public:
  virtual ~Workspace() = default;

  virtual std::optional<RunningApplication> frontmostApplication() const = 0;
  virtual std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) const = 0;
  // Whether the process still exists.
  virtual bool isRunning(int processIdentifier) const = 0;
  // Lets this application hand activation to the target (macOS 14 and later; a no-op before).
  virtual void yieldActivation(const RunningApplication& target) = 0;
  // Activates the application ignoring other applications; answers whether the system agreed.
  virtual bool activate(const RunningApplication& target) = 0;
  // Opens a URL (such as a System Settings deep link); answers whether it was handed over.
  virtual bool openURL(const std::string& url) = 0;
  // Opens a folder in the Finder; answers whether it was handed over.
  virtual bool openFolder(const std::string& path) = 0;

  [[nodiscard]] virtual Subscription onDidMount(std::function<void()> observer) = 0;
  [[nodiscard]] virtual Subscription onDidUnmount(std::function<void()> observer) = 0;
  // This application became the active one.
  [[nodiscard]] virtual Subscription onDidBecomeActive(std::function<void()> observer) = 0;
  // Another application (the Finder, say) came to the front.
  [[nodiscard]] virtual Subscription onDidActivateApplication(
      std::function<void(const RunningApplication&)> observer) = 0;
};

}  // namespace tidyframe
