#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

#include "model/preferences.h"

namespace tidyframe {

class Dispatch;
class L;

// Drives the main queue of the dispatch a tour runs on: run() returns once stop() was called.
class DemoLoop {
 public:
  virtual ~DemoLoop() = default;
  virtual void run() = 0;
  virtual void stop() = 0;
};

struct DemoOptions {
  std::ostream& out;
  // Where the engine's own poll, query and arrangement lines go; null for none.
  std::ostream* diagnostics = nullptr;
  L& l;
  // Holds the storage folder and the home folder of the earlier service's files.
  std::filesystem::path folder;
  Preferences settings;
};

// The settings the tour starts from: a folder rule for Pictures, a device rule for the SD card,
// dot files kept hidden, and the engine off, as on a first launch.
Preferences demoSettings();

// Builds a small made-up simulated Mac, runs the engine over it on `dispatch` and walks it
// through a tour: turning it on, opening folders, switching a view, looking into a package,
// inserting a card that a device rule follows and renaming it, showing dot files that should
// stay hidden, undoing an arrangement from the log, restoring a folder to the Finder's own
// arrangement, exporting the rules and importing them back, and quitting. Prints each step, each new activity entry and whether what the
// step should bring about happened. Every step gives up after a few seconds, so the tour ends
// within a minute; answers whether every check held.
bool runDemoTour(Dispatch& dispatch, DemoLoop& loop, const DemoOptions& options);

// The tour in real time on real threads, with the calling thread as the main one and a fresh
// temporary folder, removed at the end.
bool runDemo(std::ostream& out, bool diagnostics, const std::vector<std::filesystem::path>& tableRoots);

}  // namespace tidyframe
