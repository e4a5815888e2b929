// Stand-in declarations for the macOS adapter's compile check: only what the adapter calls,
// written from Apple's reference pages. On a Mac the real framework headers are used instead.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#pragma clang assume_nonnull begin

// Core Services > Apple Event Manager: descriptors and the Automation permission query.
typedef FourCharCode DescType;
typedef FourCharCode AEEventClass;
typedef FourCharCode AEEventID;
struct AEDesc {
  DescType descriptorType;
  void *dataHandle;
};
typedef AEDesc AEAddressDesc;
enum : DescType {
  typeWildCard = 0x2A2A2A2A,  // '****'
  typeAEList = 0x6C697374,    // 'list'
  typeSInt32 = 0x6C6F6E67,    // 'long'
};
extern "C" OSStatus AEDeterminePermissionToAutomateTarget(const AEAddressDesc *target, AEEventClass theAEEventClass,
                                                          AEEventID theAEEventID, Boolean askUserIfNeeded);

#pragma clang assume_nonnull end
