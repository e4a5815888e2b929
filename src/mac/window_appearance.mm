#import <AppKit/AppKit.h>

#include "mac/window_appearance.h"

namespace tidyframe::mac {

void setWindowAppearance(std::uintptr_t nativeView, std::string_view appearance) {
  @autoreleasepool {
    NSView* view = (__bridge NSView*)reinterpret_cast<void*>(nativeView);
    NSAppearance* chosen = nil;
    if (appearance == "dark") chosen = [NSAppearance appearanceNamed:NSAppearanceNameDarkAqua];
    if (appearance == "light") chosen = [NSAppearance appearanceNamed:NSAppearanceNameAqua];
    view.window.appearance = chosen;
  }
}

}  // namespace tidyframe::mac
