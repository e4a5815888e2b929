#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tidyframe {

// A stored value of a type other than a number or a text (a date, data, an array).
struct OtherPreferenceValue {
  friend bool operator==(OtherPreferenceValue, OtherPreferenceValue) = default;
};

// A number (booleans are stored as 1 and 0), a text, or something else.
using PreferenceValue = std::variant<double, std::string, OtherPreferenceValue>;

// Other applications' stored preferences (the Finder's "com.apple.finder" domain). Blocking
// but quick; called on the engine's script queue.
class PreferenceStore {
 public:
  virtual ~PreferenceStore() = default;
  // Re-reads the domain of `applicationID` from the store, so that a value the application
  // wrote a moment ago is seen. Failure is silent: the values read stay the older ones.
  virtual void synchronize(std::string_view applicationID) = 0;
  // The value of `key`; nothing when it is absent or cannot be read.
  virtual std::optional<PreferenceValue> copyValue(std::string_view key, std::string_view applicationID) = 0;
};

}  // namespace tidyframe
