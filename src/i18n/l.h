#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/locid.h>

#include "i18n/string_table.h"
#include "platform/preferred_languages.h"

namespace tidyframe {

enum class LayoutDirection { leftToRight, rightToLeft };

// The lookup of every user-visible text by its Simplified-Chinese source, in the interface
// language the user chose or the system prefers. The application creates one and hands it to
// whoever shows text; tests make their own. Safe from any thread: the chosen language and the
// table cache sit behind one lock, and tables never change once loaded.
class L {
 public:
  // `tableRoots`: folders holding "<code>.lproj/Localizable.strings", searched in order.
  L(std::vector<std::filesystem::path> tableRoots, std::shared_ptr<const PreferredLanguages> system);
  L(const L&) = delete;
  L& operator=(const L&) = delete;

  // The chosen language code, "system" at first.
  std::string language() const;
  void setLanguage(std::string code);

  // The language in force: the chosen one when it is a known code, else the first of the
  // system's preferred languages that has a table, else "en". Never "system".
  std::string resolved() const;

  // The table of `code`, loaded once; nothing when it does not exist or cannot be read. A
  // table that exists but fails to parse is remembered as failed; a missing one is looked for
  // again next time.
  std::shared_ptr<const StringTable> bundle(const std::string& code) const;

  // The text in the resolved language; a text that language lacks is shown in English, one
  // English lacks in Chinese. An entry that equals its source still counts as translated.
  std::string t(std::string_view source) const;

  // Translates `format`, then fills "%@" (and "%d", "%ld") in order, "%1$@" by position,
  // "%%" as "%". Missing arguments leave the placeholder empty.
  template <class... Texts>
  std::string f(std::string_view format, const Texts&... arguments) const {
    return fill(t(format), {std::string_view(arguments)...});
  }

  // A whole number with the resolved locale's digits and grouping ("12.345" in German).
  std::string number(std::int64_t value) const;
  // How long ago something happened, `seconds` before now, in the resolved locale's words and
  // digits ("2 min. ago", "vor 3 Std."): whole minutes, hours or days, "now" under a minute and
  // for a time ahead of the clock.
  std::string relativeTime(double seconds) const;
  icu::Locale locale() const;
  LayoutDirection direction() const;

  static std::string fill(std::string_view format, std::initializer_list<std::string_view> arguments);

 private:
  std::vector<std::filesystem::path> tableRoots_;
  std::shared_ptr<const PreferredLanguages> system_;
  mutable std::mutex lock_;
  std::string language_ = "system";
  mutable std::map<std::string, std::shared_ptr<const StringTable>, std::less<>> bundles_;
};

// The language code a list of preferred language tags resolves to ("en" when none fits).
std::string resolveLanguage(const std::vector<std::string>& preferred);

}  // namespace tidyframe
