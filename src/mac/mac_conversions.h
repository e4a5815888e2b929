// Objective-C++ only: conversions between the system's values and ours, and ownership of Core
// Foundation objects, shared by the adapters.
#pragma once

#import <Foundation/Foundation.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/unicode.h"

namespace tidyframe::mac {

// Owns one Core Foundation object from a Create or Copy call; null holds nothing.
struct CFReleaser {
  void operator()(CFTypeRef object) const { CFRelease(object); }
};
template <class Ref>
using CFOwned = std::unique_ptr<std::remove_pointer_t<Ref>, CFReleaser>;

// Text shown to people or a fixed name: ill-formed bytes become U+FFFD, so the answer is never
// nil and no call that requires a string can throw on it.
inline NSString* toNSString(std::string_view text) {
  const std::string repaired = unicode::repairedUtf8(text);
  return [[NSString alloc] initWithBytes:repaired.data() length:repaired.size() encoding:NSUTF8StringEncoding];
}

// Text that must reach the system exactly as given (a script's source): nil when it is not
// well-formed UTF-8, so the caller answers "no value" instead of acting on another text.
inline NSString* toExactNSString(std::string_view text) {
  if (!unicode::isValidUtf8(text)) return nil;
  return [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
}

// nil for a path +fileURLWithPath: would throw on (empty) or read as another file (ill-formed
// UTF-8, or a NUL that cuts it short on its way to the file system).
inline NSURL* fileURLOf(std::string_view path, bool isDirectory) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return nil;
  NSString* text = toExactNSString(path);
  if (!text) return nil;
  return [NSURL fileURLWithPath:text isDirectory:isDirectory ? YES : NO];
}

inline std::string toString(NSString* text) {
  const char* bytes = text.UTF8String;
  return bytes ? std::string(bytes) : std::string();
}

// The text of `value` when it is a string.
inline std::optional<std::string> textOf(id value) {
  if (![value isKindOfClass:[NSString class]]) return std::nullopt;
  NSString* text = value;
  return toString(text);
}

inline NSNumber* numberOf(id value) {
  return [value isKindOfClass:[NSNumber class]] ? value : nil;
}

inline std::optional<bool> flagOf(id value) {
  NSNumber* number = numberOf(value);
  if (!number) return std::nullopt;
  return number.boolValue == YES;
}

inline std::optional<std::int64_t> int64Of(id value) {
  NSNumber* number = numberOf(value);
  if (!number) return std::nullopt;
  return number.longLongValue;
}

inline std::vector<std::string> stringsOf(NSArray<NSString*>* texts) {
  std::vector<std::string> result;
  for (NSString* text in texts) result.push_back(toString(text));
  return result;
}

}  // namespace tidyframe::mac
