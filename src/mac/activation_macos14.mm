#import <AppKit/AppKit.h>

#include "mac/activation_macos14.h"

namespace tidyframe::mac {

void yieldActivationOnMacOS14(NSRunningApplication* target) {
  if (@available(macOS 14.0, *)) {
    [NSApplication.sharedApplication yieldActivationToApplication:target];
  }
}

void activateIgnoringOtherApplications() {
  if (@available(macOS 14.0, *)) {
    [NSApplication.sharedApplication activate];
  } else {
    [NSApplication.sharedApplication activateIgnoringOtherApps:YES];
  }
}

}  // namespace tidyframe::mac
