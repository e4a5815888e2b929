#pragma once

#include <optional>
#include <string>

#include "base/json.h"
#include "sim/simulated_mac.h"

namespace tidyframe {

// What a person left the simulated Mac showing, kept beside the engine's documents so that the
// next launch finds the same Finder: its browser windows front to back with their folders and
// views, every folder's arrangement per view, whether it shows dot files, its menu language and
// where the SD card is mounted. Callers hold the world lock.
namespace SimulatedFinderState {

inline constexpr std::string_view fileName = "simulated-finder.json";

// Where the card is mounted, if it is.
std::optional<std::string> cardMountPath(SimVolumeCatalog& volumes);

Json capture(SimulatedMac& mac);

// Puts a furnished Mac into the captured state. Entries that do not describe a folder, view,
// key or language are skipped; answers false, changing nothing, when `state` is no such
// document at all.
bool restore(SimulatedMac& mac, const Json& state);

}  // namespace SimulatedFinderState

}  // namespace tidyframe
