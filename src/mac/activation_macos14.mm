#import <AppKit/AppKit.h>

#include "mac/activation_macos14.h"

namespace tidyframe::mac {

void yieldActivationOnMacOS14(NSRunningApplication* target) {
  if (@available(macOS 14.0, *)) {
    [NSApplication.sharedApplication yieldActivationToApplication:target];
  }
}

}  // namespace tidyframe::mac
