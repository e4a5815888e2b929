#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

// The standard user defaults, which are safe to use from any thread.
class MacUserDefaults final : public UserDefaults {
 public:
  std::optional<double> doubleValue(std::string_view key) const override {
    @autoreleasepool {
      NSNumber* number = numberFor(key);
      if (!number) return std::nullopt;
      return number.doubleValue;
    }
  }

  std::optional<std::int64_t> integerValue(std::string_view key) const override {
    @autoreleasepool {
      NSNumber* number = numberFor(key);
      if (!number) return std::nullopt;
      return number.longLongValue;
    }
  }

  std::optional<bool> boolValue(std::string_view key) const override {
    @autoreleasepool {
      return mac::flagOf(numberFor(key));
    }
  }

  void setDouble(std::string_view key, double value) override {
    @autoreleasepool {
      [NSUserDefaults.standardUserDefaults setDouble:value forKey:mac::toNSString(key)];
    }
  }

  void setInteger(std::string_view key, std::int64_t value) override {
    @autoreleasepool {
      [NSUserDefaults.standardUserDefaults setInteger:static_cast<NSInteger>(value) forKey:mac::toNSString(key)];
    }
  }

  void setBool(std::string_view key, bool value) override {
    @autoreleasepool {
      [NSUserDefaults.standardUserDefaults setBool:value ? YES : NO forKey:mac::toNSString(key)];
    }
  }

 private:
  static NSNumber* numberFor(std::string_view key) {
    return mac::numberOf([NSUserDefaults.standardUserDefaults objectForKey:mac::toNSString(key)]);
  }
};

}  // namespace

std::unique_ptr<UserDefaults> makeMacUserDefaults() { return std::make_unique<MacUserDefaults>(); }

}  // namespace tidyframe
