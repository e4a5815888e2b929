#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tidyframe {

// The application's own small settings outside its documents (the time of the last update
// check, the first-launch flag), by key. Called on the main queue.
//
// A value reads as absent when it was never set or is not a number; a number reads as any of
// the three types, as the system's user defaults convert it (an integer read of 2.7 is 2, a
// flag is true when the number is not 0). A value that cannot be stored durably still reads
// back for the rest of the run.
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  virtual std::optional<double> doubleValue(std::string_view key) const = 0;
  virtual std::optional<std::int64_t> integerValue(std::string_view key) const = 0;
  virtual std::optional<bool> boolValue(std::string_view key) const = 0;
  virtual void setDouble(std::string_view key, double value) = 0;
  virtual void setInteger(std::string_view key, std::int64_t value) = 0;
  virtual void setBool(std::string_view key, bool value) = 0;
};

}  // namespace tidyframe
