#pragma once

#include <cstdint>
#include <string_view>

namespace tidyframe {

// Apple-event error numbers the engine tells apart, in scripts' replies and permission probes.
namespace apple_event_error {
inline constexpr std::int32_t targetNotRunning = -600;
inline constexpr std::int32_t timedOut = -1712;
// System Events' answer when this application may not use the accessibility interface.
inline constexpr std::int32_t assistiveAccessRefused = -1719;
inline constexpr std::int32_t noSuchObject = -1728;
inline constexpr std::int32_t notPermitted = -1743;
inline constexpr std::int32_t wouldRequireUserConsent = -1744;
}  // namespace apple_event_error

// Whether this application may send Apple events to another one (the Automation permission).
// Blocking and possibly slow; called on the engine's environment queue, never on the main one.
class AppleEventPermissions {
 public:
  virtual ~AppleEventPermissions() = default;
  // The status for any event class and id to the application `bundleIdentifier`, never asking
  // the user: 0 allowed, -1743 refused, -1744 not asked yet, -600 target not running, -1712
  // the query timed out; any other Apple-event error number as the system gives it.
  virtual std::int32_t status(std::string_view bundleIdentifier) = 0;
};

}  // namespace tidyframe
