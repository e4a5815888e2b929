#pragma once

namespace tidyframe {

// What the engine asks of the application shell. The shell implements it; the engine holds it
// weakly (a plain pointer that the shell clears before it goes away). Main queue only.
class AppModelDelegate {
 public:
  virtual ~AppModelDelegate() = default;
  // The interface language changed: rebuild the status item's menu.
  virtual void updateMenu() = 0;
  // A rule, default or switch changed: close the panel soon and arrange the front window.
  virtual void ruleDidChange() = 0;
  // The Finder is about to be brought forward for the user: close the panel.
  virtual void closeForFinderAction() = 0;
  // Show the panel (first launch, setup guide).
  virtual void showWindow() = 0;
};

}  // namespace tidyframe
