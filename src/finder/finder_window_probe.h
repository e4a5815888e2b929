#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tidyframe {

class Accessibility;
class InputState;

// Two cheap observers that decide whether the expensive Apple-event query is worth sending:
// an accessibility signature of the Finder's focused window, and whether the user is using
// keyboard or mouse right now. Holds no state between calls; borrows the ports, which must
// outlive it. `snapshot` runs on the engine's script queue; `userIsInteracting` on any queue.
class FinderWindowProbe {
 public:
  // What the focused Finder window looks like to the accessibility interface.
  struct Snapshot {
    enum class Kind { document, noWindow, unavailable };
    Kind kind = Kind::unavailable;
    // "pid:hash:document:view" when `kind` is document, else empty. Compared only for equality.
    std::string signature;

    static Snapshot document(std::string signature) { return {Kind::document, std::move(signature)}; }
    static Snapshot noWindow() { return {Kind::noWindow, {}}; }
    static Snapshot unavailable() { return {Kind::unavailable, {}}; }
    // The signature the navigation gate compares: present for a document window only.
    std::optional<std::string> gateSignature() const {
      return kind == Kind::document ? std::optional(signature) : std::nullopt;
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };

  // Reads wait at most this long, so a busy Finder answers `unavailable` at once.
  static constexpr double messagingTimeout = 0.01;
  // Input within this many seconds counts as the user interacting.
  static constexpr double interactionWindow = 2.0;

  FinderWindowProbe(Accessibility& accessibility, const InputState& input);

  // Never reports an error: no permission, a time-out, a window without a document or with an
  // unrecognised view all give `unavailable`. Reads at most 2 + 3 × 20 attributes.
  Snapshot snapshot(std::int32_t finderPid) const;
  // True while a mouse button is down or any key or mouse event came within the last 2 seconds.
  bool userIsInteracting() const;
  // Seconds until userIsInteracting turns false if no further input comes: 0 when it is false
  // now. A held button gives no such figure, so it answers the whole window: ask again then.
  double interactionRemaining() const;
  // Seconds since the latest key or mouse event of any watched type; 0 while a button is held.
  double secondsSinceLastInput() const;

 private:
  Accessibility& accessibility_;
  const InputState& input_;
};

}  // namespace tidyframe
