#pragma once

#include "sim/applescript/apple_event.h"
#include "sim/applescript/script_object.h"
#include "sim/sim_finder.h"

namespace tidyframe {

// The gallery view names itself "gallery view" (older Finders said "flow view"); a Finder that
// is not running answers -600 to everything but activate, which launches it.
//
// The Finder's own scripting: Finder windows (browser windows, front first) with id, name,
// target (a folder with its URL, its items, files and folders, each with name and kind) and
// current view, which a script can also set ("flow view" sets the gallery), the application's
// name, and activate.
// Borrows the Finder; confined to the queue that runs scripts.
class FinderScripting {
 public:
  explicit FinderScripting(SimFinder& finder) : finder_(finder) {}

  applescript::Value handle(const applescript::AppleEvent& event);

 private:
  applescript::Value set(const applescript::AppleEvent& event, const applescript::ScriptObjectPtr& root);

  SimFinder& finder_;
};

}  // namespace tidyframe
