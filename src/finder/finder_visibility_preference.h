#pragma once

#include <optional>

#include "platform/preference_store.h"

namespace tidyframe {

// Whether the Finder shows dot files now, read from its "AppleShowAllFiles" setting (which its
// Command-Shift-period shortcut toggles). Never looks at a window's contents. Borrows the
// store, which must outlive it; called on the engine's script queue.
class FinderVisibilityPreference {
 public:
  explicit FinderVisibilityPreference(PreferenceStore& store) : store_(store) {}

  // Re-reads the Finder's preferences first, so a change made a moment ago is seen. A missing
  // or unreadable value reads false, so a failure never causes a key press.
  bool showsHiddenFiles() const;

  // A stored value as a flag: nothing is false, a number is true when non-zero, a text is true
  // when it reads "1", "true" or "yes" in any case, anything else is false.
  static bool boolValue(const std::optional<PreferenceValue>& value);

 private:
  PreferenceStore& store_;
};

}  // namespace tidyframe
