#import <Foundation/Foundation.h>

#include "base/dispatch.h"
#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

using mac::textOf;

ScriptError errorOf(NSDictionary<NSString*, id>* info) {
  const auto number = mac::int64Of(info[NSAppleScriptErrorNumber]);
  return ScriptError{number, textOf(info[NSAppleScriptErrorMessage]), mac::toString(info.description)};
}

std::optional<std::int32_t> int32Of(NSAppleEventDescriptor* item) {
  NSAppleEventDescriptor* number = [item coerceToDescriptorType:typeSInt32];
  if (!number) return std::nullopt;
  return number.int32Value;
}

ScriptReply replyOf(NSAppleEventDescriptor* result) {
  if (result.descriptorType != typeAEList) return ScriptReply{};
  std::vector<ScriptReplyItem> items;
  for (NSInteger index = 1; index <= result.numberOfItems; ++index) {
    NSAppleEventDescriptor* item = [result descriptorAtIndex:index];
    if (!item) continue;
    items.push_back({textOf(item.stringValue), int32Of(item)});
  }
  return ScriptReply(std::move(items));
}

// Holds its NSAppleScript only on the host's queue: made, used and released there.
class MacCompiledScript final : public CompiledScript {
 public:
  MacCompiledScript(std::shared_ptr<DispatchQueue> queue, NSAppleScript* script)
      : queue_(std::move(queue)), script_(script) {}
  ~MacCompiledScript() override {
    queue_->sync([this] {
      @autoreleasepool {
        script_ = nil;
      }
    });
  }

  std::expected<ScriptReply, ScriptError> execute() override {
    std::expected<ScriptReply, ScriptError> outcome;
    queue_->sync([&] {
      @autoreleasepool {
        NSDictionary<NSString*, id>* error = nil;
        NSAppleEventDescriptor* result = [script_ executeAndReturnError:&error];
        outcome = result ? std::expected<ScriptReply, ScriptError>(replyOf(result)) : std::unexpected(errorOf(error));
      }
    });
    return outcome;
  }

  std::expected<void, ScriptError> compileOnly() override {
    std::expected<void, ScriptError> outcome;
    queue_->sync([&] {
      @autoreleasepool {
        NSDictionary<NSString*, id>* error = nil;
        if (![script_ compileAndReturnError:&error]) outcome = std::unexpected(errorOf(error));
      }
    });
    return outcome;
  }

 private:
  std::shared_ptr<DispatchQueue> queue_;
  NSAppleScript* script_;
};

class MacAppleScriptHost final : public AppleScriptHost {
 public:
  explicit MacAppleScriptHost(Dispatch& dispatch) : queue_(dispatch.makeSerialQueue("Tidyframe.applescript")) {}

  std::unique_ptr<CompiledScript> compile(std::string_view source) override {
    std::unique_ptr<CompiledScript> made;
    queue_->sync([&] {
      @autoreleasepool {
        NSString* text = mac::toExactNSString(source);
        NSAppleScript* script = text ? [[NSAppleScript alloc] initWithSource:text] : nil;
        if (script) made = std::make_unique<MacCompiledScript>(queue_, script);
      }
    });
    return made;
  }

 private:
  std::shared_ptr<DispatchQueue> queue_;
};

}  // namespace

std::unique_ptr<AppleScriptHost> makeMacAppleScriptHost(Dispatch& dispatch) {
  return std::make_unique<MacAppleScriptHost>(dispatch);
}

}  // namespace tidyframe
