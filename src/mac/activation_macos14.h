// Objective-C++ only.
#pragma once

#import <AppKit/AppKit.h>

namespace tidyframe::mac {

// Lets this application hand activation to `target` on macOS 14 and later; does nothing on
// earlier systems, which have no such hand-over.
void yieldActivationOnMacOS14(NSRunningApplication* target);

// Brings this application to the front, ignoring other applications, with the call of the
// running system (macOS 14 replaced the older one).
void activateIgnoringOtherApplications();

}  // namespace tidyframe::mac
