#pragma once

#include <cstdint>
#include <memory>

#include "sim/applescript/apple_event.h"
#include "sim/sim_finder.h"

namespace tidyframe {

struct UINode;

// Choices where a Mac's behaviour is unverified: `whose` tests compare as scripts do; `menu 1` of
// an item without a submenu raises -1719; AXMenuItemMarkChar is "✓" or missing value and
// AXMenuItemCmdChar a text; AXFocusedUIElement is missing value when nothing has focus; clicking
// a menu-bar title whose menu is open leaves it open; keys reach the Finder only while it is
// frontmost.
//
// System Events' view of the simulated Finder: the process "Finder" with its windows (subroles,
// AXMain, AXModal, AXIdentifier, sheets, content), its focused element and its menu bar, and the
// commands click, perform action, key code and keystroke. Elements are named in replies the way
// System Events names them: by name where the name is unique among its siblings, else by index.
// Borrows the Finder; confined to the queue that runs scripts.
class SystemEventsScripting {
 public:
  explicit SystemEventsScripting(SimFinder& finder);
  ~SystemEventsScripting();
  SystemEventsScripting(const SystemEventsScripting&) = delete;
  SystemEventsScripting& operator=(const SystemEventsScripting&) = delete;

  applescript::Value handle(const applescript::AppleEvent& event);

 private:
  std::shared_ptr<UINode> tree();
  applescript::Value click(const applescript::AppleEvent& event);
  applescript::Value perform(const applescript::AppleEvent& event);
  applescript::Value keyCode(const applescript::AppleEvent& event);

  SimFinder& finder_;
  std::shared_ptr<UINode> tree_;
  std::uint64_t treeGeneration_ = 0;
};

}  // namespace tidyframe
