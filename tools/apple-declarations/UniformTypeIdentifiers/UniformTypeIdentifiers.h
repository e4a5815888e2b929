// Stand-in declarations for the macOS adapter's compile check: only what the adapter calls,
// written from Apple's reference pages. On a Mac the real framework headers are used instead.
#pragma once

#include <Foundation/Foundation.h>

#pragma clang assume_nonnull begin

// Uniform Type Identifiers > UTType.
@interface UTType : NSObject
+ (nullable UTType *)typeWithFilenameExtension:(NSString *)filenameExtension;
@end

#pragma clang assume_nonnull end
