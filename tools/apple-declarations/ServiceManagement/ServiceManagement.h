// Stand-in declarations for the macOS adapter's compile check: only what the adapter calls,
// written from Apple's reference pages. On a Mac the real framework headers are used instead.
#pragma once

#include <Foundation/Foundation.h>

#pragma clang assume_nonnull begin

// Service Management > SMAppService (macOS 13).
enum SMAppServiceStatus : NSInteger {
  SMAppServiceStatusNotRegistered = 0,
  SMAppServiceStatusEnabled = 1,
  SMAppServiceStatusRequiresApproval = 2,
  SMAppServiceStatusNotFound = 3,
};

@interface SMAppService : NSObject
@property(class, readonly) SMAppService *mainAppService;
@property(readonly) SMAppServiceStatus status;
- (BOOL)registerAndReturnError:(NSError **)error;
- (BOOL)unregisterAndReturnError:(NSError **)error;
@end

#pragma clang assume_nonnull end
