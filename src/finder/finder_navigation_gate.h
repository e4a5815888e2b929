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
  // Set by holdUntilInput(): an unchanged window is asked about again after the user's next input.
  bool heldForInput = false;

  // `lastInput` is when the user last used keyboard or mouse.
  bool shouldQuery(const std::optional<std::string>& currentSignature, std::uint64_t currentRevision, Date now,
                   Date lastInput = Date::distantPast()) const {
    if (revision != currentRevision) return true;
    if (heldUntil && now >= *heldUntil) return true;
    if (heldForInput && lastInput > lastQuery) return true;
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
    heldForInput = false;
  }

  // Marks the window as handled until `until` (the end of a pause after a failed arrangement):
  // a change of window or revision is asked about at once, an unchanged window only then.
  void hold(std::optional<std::string> currentSignature, std::uint64_t currentRevision, Date now, Date until) {
    record(std::move(currentSignature), currentRevision, now);
    heldUntil = until;
  }

  // Marks the window as handled until the user's next input: for a window the Finder would not
  // describe while something of the user's was open (a name being edited, a menu, a sheet),
  // which ends with a key or a click rather than with a change of window. `asked` is when the
  // window was asked about, so input that came while the answer was on its way counts.
  void holdUntilInput(std::optional<std::string> currentSignature, std::uint64_t currentRevision, Date asked) {
    record(std::move(currentSignature), currentRevision, asked);
    heldForInput = true;
  }

  friend bool operator==(const FinderNavigationGate&, const FinderNavigationGate&) = default;
};

}  // namespace tidyframe
