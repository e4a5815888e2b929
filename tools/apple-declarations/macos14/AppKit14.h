// Stand-in declarations for the macOS adapter's compile check: what AppKit adds in macOS 14
// (AppKit > NSApplication > yieldActivationToApplication:, activate). Only the helper that checks the
// system version before calling sees it, so an unguarded call anywhere else fails the check.
#pragma once

#include <AppKit/AppKit.h>

#pragma clang assume_nonnull begin

@interface NSApplication (AvailableFromMacOS14)
- (void)yieldActivationToApplication:(NSRunningApplication *)application;
- (void)activate;
@end

#pragma clang assume_nonnull end
