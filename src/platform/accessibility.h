#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tidyframe {

class AccessibilityElement;
using AccessibilityElementRef = std::shared_ptr<AccessibilityElement>;

// A value of another type than those below (a number, a flag, a point): readable, but of no
// use to the probes.
struct OtherAccessibilityValue {
  friend bool operator==(OtherAccessibilityValue, OtherAccessibilityValue) = default;
};

// What an attribute holds: a text, one element, an array of elements, or something else.
// An array that holds anything but elements reads as OtherAccessibilityValue.
using AccessibilityValue =
    std::variant<OtherAccessibilityValue, std::string, AccessibilityElementRef,
                 std::vector<AccessibilityElementRef>>;

// Accessibility error numbers the probes tell apart.
namespace accessibility_error {
inline constexpr std::int32_t apiDisabled = -25211;
inline constexpr std::int32_t noValue = -25212;
inline constexpr std::int32_t cannotComplete = -25204;
}  // namespace accessibility_error

// One user-interface element of another process. Reads block for at most the messaging
// time-out of the application element it came from. Used on one queue at a time.
class AccessibilityElement {
 public:
  virtual ~AccessibilityElement() = default;
  // The attribute's value, or the accessibility error number (noValue when the attribute
  // exists but holds nothing, cannotComplete when the process did not answer in time).
  virtual std::expected<AccessibilityValue, std::int32_t> attribute(std::string_view name) const = 0;
  // The system's hash of the element: equal for two references to the same element.
  virtual std::uint64_t hash() const = 0;
};

// The accessibility interface of the session. Blocking, bounded by messaging time-outs; the
// engine calls it on its script queue and, for the trust checks, on its environment queue.
class Accessibility {
 public:
  virtual ~Accessibility() = default;
  // Whether the user allowed this application to use the accessibility interface.
  virtual bool isProcessTrusted() const = 0;
  // The same, and shows the system's request for the permission when it is missing; the
  // request is asynchronous and does not change the answer.
  virtual bool isProcessTrustedPrompting() = 0;
  // The element of the application with process id `pid`. Every read through it and through
  // every element reached from it waits at most `messagingTimeout` seconds. Never null: a
  // process that does not exist shows up as errors on read.
  virtual AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) = 0;
};

}  // namespace tidyframe
