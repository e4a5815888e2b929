#import <ServiceManagement/ServiceManagement.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

LoginItemStatus statusOf(SMAppServiceStatus status) {
  switch (status) {
    case SMAppServiceStatusNotRegistered: return LoginItemStatus::notRegistered;
    case SMAppServiceStatusEnabled: return LoginItemStatus::enabled;
    case SMAppServiceStatusRequiresApproval: return LoginItemStatus::requiresApproval;
    case SMAppServiceStatusNotFound: return LoginItemStatus::notFound;
  }
  return LoginItemStatus::notFound;
}

// The main application's own login item; ServiceManagement keeps its state.
class MacLoginItem final : public LoginItem {
 public:
  LoginItemStatus status() const override {
    @autoreleasepool {
      return statusOf(SMAppService.mainAppService.status);
    }
  }

  std::optional<std::string> registerItem() override {
    @autoreleasepool {
      NSError* error = nil;
      if ([SMAppService.mainAppService registerAndReturnError:&error]) return std::nullopt;
      return mac::toString(error.localizedDescription);
    }
  }

  std::optional<std::string> unregisterItem() override {
    @autoreleasepool {
      NSError* error = nil;
      if ([SMAppService.mainAppService unregisterAndReturnError:&error]) return std::nullopt;
      return mac::toString(error.localizedDescription);
    }
  }
};

}  // namespace

std::unique_ptr<LoginItem> makeMacLoginItem() { return std::make_unique<MacLoginItem>(); }

}  // namespace tidyframe
