#pragma once

#include <expected>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace tidyframe {

// One language's table of translations keyed by Chinese source text, read from a
// Localizable.strings file: UTF-8 lines `"key" = "value";`, with /* */ and // comments and
// the escapes \" \\ \n \r \t and \Uxxxx (UTF-16 units: a surrogate pair is one character;
// a lone surrogate is an error). A NUL, escaped or not, is an error too: it would cut a text
// short wherever it is shown. A leading byte-order mark is skipped.
class StringTable {
 public:
  static std::expected<StringTable, std::string> parse(std::string_view text);
  static std::expected<StringTable, std::string> load(const std::filesystem::path& file);

  // The entry for `key`, or nullptr when the table has none.
  const std::string* find(std::string_view key) const;
  const std::map<std::string, std::string, std::less<>>& entries() const { return entries_; }

 private:
  std::map<std::string, std::string, std::less<>> entries_;
};

}  // namespace tidyframe
