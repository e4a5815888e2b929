#include "i18n/string_table.h"

#include <fstream>
#include <optional>
#include <sstream>

namespace tidyframe {

namespace {

void appendUtf8(std::string& out, std::uint32_t scalar) {
  if (scalar < 0x80) {
    out += static_cast<char>(scalar);
  } else if (scalar < 0x800) {
    out += static_cast<char>(0xC0 | (scalar >> 6));
    out += static_cast<char>(0x80 | (scalar & 0x3F));
  } else if (scalar < 0x10000) {
    out += static_cast<char>(0xE0 | (scalar >> 12));
    out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (scalar & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (scalar >> 18));
    out += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (scalar & 0x3F));
  }
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  // Translation tools often start the file with a byte-order mark.
  explicit Parser(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) position_ = 3;
  }

  std::expected<std::map<std::string, std::string, std::less<>>, std::string> run() {
    std::map<std::string, std::string, std::less<>> entries;
    while (skipSpaceAndComments(), position_ < text_.size()) {
      auto key = quoted();
      if (!key) return std::unexpected(*error_);
      if (!expect('=')) return std::unexpected(*error_);
      auto value = quoted();
      if (!value) return std::unexpected(*error_);
      if (!expect(';')) return std::unexpected(*error_);
      entries.insert_or_assign(std::move(*key), std::move(*value));
    }
    if (error_) return std::unexpected(*error_);
    return entries;
  }

 private:
  void skipSpaceAndComments() {
    while (position_ < text_.size()) {
      const char c = text_[position_];
      if (c == '\n' || c == ' ' || c == '\t' || c == '\r') {
        line_ += c == '\n';
        ++position_;
      } else if (text_.substr(position_, 2) == "//") {
        while (position_ < text_.size() && text_[position_] != '\n') ++position_;
      } else if (text_.substr(position_, 2) == "/*") {
        skipBlockComment();
      } else {
        return;
      }
    }
  }

  void skipBlockComment() {
    const auto end = text_.find("*/", position_ + 2);
    if (end == std::string_view::npos) {
      fail("unterminated comment");
      position_ = text_.size();
      return;
    }
    for (auto i = position_; i < end; ++i) line_ += text_[i] == '\n';
    position_ = end + 2;
  }

  bool expect(char wanted) {
    skipSpaceAndComments();
    if (position_ < text_.size() && text_[position_] == wanted) {
      ++position_;
      return true;
    }
    return fail(std::string("expected '") + wanted + "'");
  }

  std::optional<std::string> quoted() {
    skipSpaceAndComments();
    if (position_ >= text_.size() || text_[position_] != '"') {
      fail("expected a quoted text");
      return std::nullopt;
    }
    ++position_;
    std::string value;
    while (position_ < text_.size()) {
      const char c = text_[position_++];
      if (c == '"') return value;
      if (c == '\n') ++line_;
      if (c == '\0') {
        fail("a NUL character is not allowed");
        return std::nullopt;
      }
      if (c != '\\') {
        value += c;
      } else if (!escape(value)) {
        return std::nullopt;
      }
    }
    fail("unterminated quoted text");
    return std::nullopt;
  }

  bool escape(std::string& value) {
    if (position_ >= text_.size()) return fail("unterminated escape");
    const char c = text_[position_++];
    switch (c) {
      case 'n': value += '\n'; return true;
      case 'r': value += '\r'; return true;
      case 't': value += '\t'; return true;
      case '"':
      case '\\':
      case '\'': value += c; return true;
      case 'U':
      case 'u': return unicodeEscape(value);
      default: return fail(std::string("unknown escape \\") + c);
    }
  }

  // A UTF-16 code unit, as the tables' tools write characters outside the basic plane: a high
  // surrogate escape followed by a low one. A lone surrogate has no UTF-8 form, and a NUL would
  // cut the text short wherever it is shown.
  bool unicodeEscape(std::string& value) {
    const auto unit = codeUnit();
    if (!unit) return false;
    if (*unit == 0) return fail("a NUL character is not allowed");
    if (*unit >= 0xDC00 && *unit <= 0xDFFF) return fail("lone low surrogate");
    if (*unit < 0xD800 || *unit > 0xDBFF) {
      appendUtf8(value, *unit);
      return true;
    }
    if (text_.substr(position_, 2) != "\\U" && text_.substr(position_, 2) != "\\u") {
      return fail("high surrogate without a low one");
    }
    position_ += 2;
    const auto low = codeUnit();
    if (!low) return false;
    if (*low < 0xDC00 || *low > 0xDFFF) return fail("high surrogate without a low one");
    appendUtf8(value, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
    return true;
  }

  std::optional<std::uint32_t> codeUnit() {
    if (position_ + 4 > text_.size()) {
      fail("short \\U escape");
      return std::nullopt;
    }
    std::uint32_t unit = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = hexValue(text_[position_++]);
      if (digit < 0) {
        fail("bad \\U escape");
        return std::nullopt;
      }
      unit = unit * 16 + static_cast<std::uint32_t>(digit);
    }
    return unit;
  }

  bool fail(std::string message) {
    if (!error_) error_ = "line " + std::to_string(line_) + ": " + message;
    return false;
  }

  std::string_view text_;
  std::size_t position_ = 0;
  int line_ = 1;
  std::optional<std::string> error_;
};

}  // namespace

std::expected<StringTable, std::string> StringTable::parse(std::string_view text) {
  auto entries = Parser(text).run();
  if (!entries) return std::unexpected(entries.error());
  StringTable table;
  table.entries_ = std::move(*entries);
  return table;
}

std::expected<StringTable, std::string> StringTable::load(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::unexpected("cannot open " + file.string());
  std::ostringstream contents;
  contents << stream.rdbuf();
  auto table = parse(contents.str());
  if (!table) return std::unexpected(file.string() + ": " + table.error());
  return table;
}

const std::string* StringTable::find(std::string_view key) const {
  const auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : &found->second;
}

}  // namespace tidyframe
