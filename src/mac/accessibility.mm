#import <ApplicationServices/ApplicationServices.h>
#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

using mac::CFOwned;

// One element; every element copied out of it gets the same messaging time-out, which the
// system applies only to the reference it was set on.
class MacAccessibilityElement final : public AccessibilityElement {
 public:
  MacAccessibilityElement(CFOwned<AXUIElementRef> element, float timeout)
      : element_(std::move(element)), timeout_(timeout) {
    AXUIElementSetMessagingTimeout(element_.get(), timeout_);
  }

  std::expected<AccessibilityValue, std::int32_t> attribute(std::string_view name) const override {
    @autoreleasepool {
      CFTypeRef copied = nullptr;
      const AXError error =
          AXUIElementCopyAttributeValue(element_.get(), (__bridge CFStringRef)mac::toNSString(name), &copied);
      const CFOwned<CFTypeRef> value(copied);
      if (error != kAXErrorSuccess) return std::unexpected(error);
      if (!value) return std::unexpected(accessibility_error::noValue);
      return valueOf(value.get());
    }
  }

  std::uint64_t hash() const override { return CFHash(element_.get()); }

 private:
  AccessibilityValue valueOf(CFTypeRef value) const {
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID()) return mac::toString((__bridge NSString*)value);
    if (type == AXUIElementGetTypeID()) return adopt(value);
    if (type != CFArrayGetTypeID()) return OtherAccessibilityValue{};
    const auto array = static_cast<CFArrayRef>(value);
    std::vector<AccessibilityElementRef> elements;
    for (CFIndex index = 0; index < CFArrayGetCount(array); ++index) {
      const CFTypeRef item = CFArrayGetValueAtIndex(array, index);
      if (CFGetTypeID(item) != AXUIElementGetTypeID()) return OtherAccessibilityValue{};
      elements.push_back(adopt(item));
    }
    return elements;
  }

  // `element` is not owned by the caller: retains it for the new element.
  AccessibilityElementRef adopt(CFTypeRef element) const {
    CFOwned<AXUIElementRef> owned(static_cast<AXUIElementRef>(CFRetain(element)));
    return std::make_shared<MacAccessibilityElement>(std::move(owned), timeout_);
  }

  CFOwned<AXUIElementRef> element_;
  float timeout_;
};

class MacAccessibility final : public Accessibility {
 public:
  bool isProcessTrusted() const override { return AXIsProcessTrusted(); }

  bool isProcessTrustedPrompting() override {
    @autoreleasepool {
      NSDictionary* options = @{(__bridge NSString*)kAXTrustedCheckOptionPrompt : @YES};
      return AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
    }
  }

  AccessibilityElementRef applicationElement(std::int32_t pid, double messagingTimeout) override {
    CFOwned<AXUIElementRef> element(AXUIElementCreateApplication(pid));
    return std::make_shared<MacAccessibilityElement>(std::move(element), static_cast<float>(messagingTimeout));
  }
};

}  // namespace

std::unique_ptr<Accessibility> makeMacAccessibility() { return std::make_unique<MacAccessibility>(); }

}  // namespace tidyframe
