#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

// The version text is the system's own, for people ("Version 14.5 (Build 23F79)").
class MacSystemInformation final : public SystemInformation {
 public:
  OperatingSystemVersion operatingSystem() const override {
    @autoreleasepool {
      return OperatingSystemVersion{"macOS", mac::toString(NSProcessInfo.processInfo.operatingSystemVersionString)};
    }
  }
};

}  // namespace

std::unique_ptr<SystemInformation> makeMacSystemInformation() { return std::make_unique<MacSystemInformation>(); }

}  // namespace tidyframe
