#import <ApplicationServices/ApplicationServices.h>

#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

CGEventType eventTypeOf(InputEventType type) {
  switch (type) {
    case InputEventType::keyDown: return kCGEventKeyDown;
    case InputEventType::keyUp: return kCGEventKeyUp;
    case InputEventType::flagsChanged: return kCGEventFlagsChanged;
    case InputEventType::mouseMoved: return kCGEventMouseMoved;
    case InputEventType::scrollWheel: return kCGEventScrollWheel;
    case InputEventType::leftMouseDown: return kCGEventLeftMouseDown;
    case InputEventType::leftMouseUp: return kCGEventLeftMouseUp;
    case InputEventType::leftMouseDragged: return kCGEventLeftMouseDragged;
    case InputEventType::rightMouseDown: return kCGEventRightMouseDown;
    case InputEventType::rightMouseUp: return kCGEventRightMouseUp;
    case InputEventType::rightMouseDragged: return kCGEventRightMouseDragged;
    case InputEventType::otherMouseDown: return kCGEventOtherMouseDown;
    case InputEventType::otherMouseUp: return kCGEventOtherMouseUp;
    case InputEventType::otherMouseDragged: return kCGEventOtherMouseDragged;
  }
  return kCGEventKeyDown;
}

class MacInputState final : public InputState {
 public:
  double secondsSinceLastEvent(InputEventType type) const override {
    return CGEventSourceSecondsSinceLastEventType(kCGEventSourceStateCombinedSessionState, eventTypeOf(type));
  }

  std::uint32_t pressedMouseButtons() const override {
    std::uint32_t pressed = 0;
    for (std::uint32_t button = 0; button < 32; ++button) {
      if (CGEventSourceButtonState(kCGEventSourceStateCombinedSessionState, static_cast<CGMouseButton>(button))) {
        pressed |= 1u << button;
      }
    }
    return pressed;
  }
};

}  // namespace

std::unique_ptr<InputState> makeMacInputState() { return std::make_unique<MacInputState>(); }

}  // namespace tidyframe
