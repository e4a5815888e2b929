#import <CoreServices/CoreServices.h>
#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

class MacAppleEventPermissions final : public AppleEventPermissions {
 public:
  std::int32_t status(std::string_view bundleIdentifier) override {
    @autoreleasepool {
      // aeDesc points into the descriptor, which stays alive until the call returns.
      NSAppleEventDescriptor* target =
          [NSAppleEventDescriptor descriptorWithBundleIdentifier:mac::toNSString(bundleIdentifier)];
      return AEDeterminePermissionToAutomateTarget(target.aeDesc, typeWildCard, typeWildCard, false);
    }
  }
};

}  // namespace

std::unique_ptr<AppleEventPermissions> makeMacAppleEventPermissions() {
  return std::make_unique<MacAppleEventPermissions>();
}

}  // namespace tidyframe
