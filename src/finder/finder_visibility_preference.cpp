#include "finder/finder_visibility_preference.h"

#include <string>
#include <string_view>

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace tidyframe {

namespace {

constexpr std::string_view finderDomain = "com.apple.finder";
constexpr std::string_view showAllFilesKey = "AppleShowAllFiles";

struct FlagOf {
  bool operator()(double number) const { return number != 0; }
  bool operator()(const std::string& text) const {
    std::string lower;
    icu::UnicodeString::fromUTF8(text).toLower(icu::Locale::getRoot()).toUTF8String(lower);
    return lower == "1" || lower == "true" || lower == "yes";
  }
  bool operator()(OtherPreferenceValue) const { return false; }
};

}  // namespace

bool FinderVisibilityPreference::showsHiddenFiles() const {
  store_.synchronize(finderDomain);
  return boolValue(store_.copyValue(showAllFilesKey, finderDomain));
}

bool FinderVisibilityPreference::boolValue(const std::optional<PreferenceValue>& value) {
  return value && std::visit(FlagOf{}, *value);
}

}  // namespace tidyframe
