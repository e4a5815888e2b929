#pragma once

#include <cstdint>

namespace tidyframe {

// The kinds of input event whose recency the session reports.
enum class InputEventType {
  keyDown,
  keyUp,
  flagsChanged,
  mouseMoved,
  scrollWheel,
  leftMouseDown,
  leftMouseUp,
  leftMouseDragged,
  rightMouseDown,
  rightMouseUp,
  rightMouseDragged,
  otherMouseDown,
  otherMouseUp,
  otherMouseDragged,
};

// The session's combined input state: what the user is doing with keyboard and mouse now.
// Cheap and non-blocking; may be called from any thread.
class InputState {
 public:
  virtual ~InputState() = default;
  // Seconds since the last event of `type` from any source; a very large value when there
  // was none since the session began.
  virtual double secondsSinceLastEvent(InputEventType type) const = 0;
  // The mouse buttons held down now: bit 0 left, bit 1 right, bit n other button n.
  virtual std::uint32_t pressedMouseButtons() const = 0;
};

}  // namespace tidyframe
