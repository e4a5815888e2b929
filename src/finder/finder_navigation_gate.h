#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/date.h"

namespace tidyframe {

// Holds the Finder query back while neither the front window's accessibility signature nor the
// rule revision changed since the last settled query. A window whose signature cannot be read
// is asked about at most every 10 seconds. A plain value owned by the engine; a copy is
// evaluated on the script queue.
struct FinderNavigationGate {
  static constexpr double unreadableInterval = 10.0;

  std::optional<std::string> signature;
  std::optional<std::uint64_t> revision;
  Date lastQuery = Date::distantPast();
  // Set by hold(): the moment an unchanged window is asked about again.
  std::optional<Date> heldUntil;

  bool shouldQuery(const std::optional<std::string>& currentSignature, std::uint64_t currentRevision,
                   Date now) const {
    if (revision != currentRevision) return true;
    if (heldUntil && now >= *heldUntil) return true;
    if (!currentSignature) return now - lastQuery >= unreadableInterval;
    if (!signature) return true;
    return *signature != *currentSignature;
  }

  // Marks the window as handled: called when a query settled without a script, showed no
  // folder, or the arrangement answered "ok" or "unchanged", never after "skip" or "error".
  void record(std::optional<std::string> currentSignature, std::uint64_t currentRevision, Date now) {
    signature = std::move(currentSignature);
    revision = currentRevision;
    lastQuery = now;
    heldUntil.reset();
  }

  // Marks the window as handled until `until` (the end of a pause after a failed arrangement):
  // a change of window or revision is asked about at once, an unchanged window only then.
  void hold(std::optional<std::string> currentSignature, std::uint64_t currentRevision, Date now, Date until) {
    record(std::move(currentSignature), currentRevision, now);
    heldUntil = until;
  }

  friend bool operator==(const FinderNavigationGate&, const FinderNavigationGate&) = default;
};

}  // namespace tidyframe
