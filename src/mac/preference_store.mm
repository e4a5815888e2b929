#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

class MacPreferenceStore final : public PreferenceStore {
 public:
  void synchronize(std::string_view applicationID) override {
    @autoreleasepool {
      CFPreferencesAppSynchronize((__bridge CFStringRef)mac::toNSString(applicationID));
    }
  }

  // A stored Boolean arrives as a number, since CFBoolean bridges to NSNumber.
  std::optional<PreferenceValue> copyValue(std::string_view key, std::string_view applicationID) override {
    @autoreleasepool {
      const mac::CFOwned<CFPropertyListRef> value(CFPreferencesCopyAppValue(
          (__bridge CFStringRef)mac::toNSString(key), (__bridge CFStringRef)mac::toNSString(applicationID)));
      if (!value) return std::nullopt;
      id object = (__bridge id)value.get();
      if (NSNumber* number = mac::numberOf(object)) return PreferenceValue(number.doubleValue);
      if (auto text = mac::textOf(object)) return PreferenceValue(std::move(*text));
      return PreferenceValue(OtherPreferenceValue{});
    }
  }
};

}  // namespace

std::unique_ptr<PreferenceStore> makeMacPreferenceStore() { return std::make_unique<MacPreferenceStore>(); }

}  // namespace tidyframe
