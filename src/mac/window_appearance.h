#pragma once

#include <cstdint>
#include <string_view>

namespace tidyframe::mac {

// Gives the window of `nativeView` (Qt's native handle of a widget, an NSView) the light or dark
// look: "dark" and "light" fix it, anything else ("system") lets the system's setting decide.
// The panel draws its own colours; this makes the window's own parts and the native controls in
// it follow the same choice. Main thread.
void setWindowAppearance(std::uintptr_t nativeView, std::string_view appearance);

}  // namespace tidyframe::mac
