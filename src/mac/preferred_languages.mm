#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

class MacPreferredLanguages final : public PreferredLanguages {
 public:
  std::vector<std::string> preferredLanguages() const override {
    @autoreleasepool {
      return mac::stringsOf(NSLocale.preferredLanguages);
    }
  }
};

}  // namespace

std::unique_ptr<PreferredLanguages> makeMacPreferredLanguages() {
  return std::make_unique<MacPreferredLanguages>();
}

}  // namespace tidyframe
