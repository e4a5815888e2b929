#include "base/json.h"

#include <charconv>
#include <cmath>
#include <map>

#include "base/json_reader.h"
#include "base/unicode.h"

namespace tidyframe {

namespace {

class Writer {
 public:
  bool write(const Json& value, int depth) {
    switch (value.type()) {
      case Json::value_t::object:
        return writeObject(value, depth);
      case Json::value_t::array:
        return writeArray(value, depth);
      case Json::value_t::string:
        writeString(value.get_ref<const std::string&>());
        return true;
      case Json::value_t::number_float:
        return writeDouble(value.get<double>());
      case Json::value_t::number_integer:
        out_ += std::to_string(value.get<std::int64_t>());
        return true;
      case Json::value_t::number_unsigned:
        out_ += std::to_string(value.get<std::uint64_t>());
        return true;
      case Json::value_t::boolean:
        out_ += value.get<bool>() ? "true" : "false";
        return true;
      case Json::value_t::binary:
        error_ = "binary values have no JSON form";
        return false;
      case Json::value_t::null:
      case Json::value_t::discarded:
        out_ += "null";
        return true;
    }
    return true;
  }

  std::string& output() { return out_; }
  const std::string& error() const { return error_; }

 private:
  void indent(int depth) { out_.append(static_cast<std::size_t>(depth) * 2, ' '); }

  // An empty container keeps an empty line inside it, as Foundation writes it.
  void writeEmpty(char open, char close, int depth) {
    out_ += open;
    out_ += "\n\n";
    indent(depth);
    out_ += close;
  }

  bool writeObject(const Json& value, int depth) {
    if (value.empty()) {
      writeEmpty('{', '}', depth);
      return true;
    }
    out_ += "{\n";
    bool first = true;
    for (const auto& [key, member] : membersInWrittenOrder(value)) {
      if (!first) out_ += ",\n";
      first = false;
      indent(depth + 1);
      writeString(key);
      out_ += " : ";
      if (!write(*member, depth + 1)) return false;
    }
    out_ += '\n';
    indent(depth);
    out_ += '}';
    return true;
  }

  // Members sorted by their written keys. A key with bad UTF-8 is written repaired, which can
  // move it or make it collide with another key; the member listed last then wins, as it
  // would when the document is read.
  static std::map<std::string, const Json*> membersInWrittenOrder(const Json& object) {
    std::map<std::string, const Json*> members;
    for (const auto& [key, member] : object.items()) members.insert_or_assign(unicode::repairedUtf8(key), &member);
    return members;
  }

  bool writeArray(const Json& value, int depth) {
    if (value.empty()) {
      writeEmpty('[', ']', depth);
      return true;
    }
    out_ += "[\n";
    bool first = true;
    for (const auto& element : value) {
      if (!first) out_ += ",\n";
      first = false;
      indent(depth + 1);
      if (!write(element, depth + 1)) return false;
    }
    out_ += '\n';
    indent(depth);
    out_ += ']';
    return true;
  }

  bool writeDouble(double number) {
    if (!std::isfinite(number)) {
      error_ = "the number " + std::to_string(number) + " has no JSON form";
      return false;
    }
    // "-0" would read back as the integer 0 and lose its sign.
    if (number == 0 && std::signbit(number)) {
      out_ += "-0.0";
      return true;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.append(buffer, result.ptr);
    return true;
  }

  void writeString(std::string_view raw) { appendJsonString(out_, raw); }

  std::string out_;
  std::string error_;
};

void appendCharacter(std::string& out, char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '/': out += "\\/"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    static constexpr char hex[] = "0123456789abcdef";
    out += "\\u00";
    out += hex[(c >> 4) & 0x0F];
    out += hex[c & 0x0F];
    return;
  }
  out += c;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view raw) {
  if (!unicode::isValidUtf8(raw)) {
    appendJsonString(out, unicode::repairedUtf8(raw));
    return;
  }
  out += '"';
  for (char c : raw) appendCharacter(out, c);
  out += '"';
}

std::expected<std::string, std::string> writeJson(const Json& value) {
  Writer writer;
  if (!writer.write(value, 0)) return std::unexpected(writer.error());
  return std::move(writer.output());
}

std::expected<Json, std::string> parseJson(std::string_view text) {
  JsonReader reader(text);
  auto value = reader.value();
  if (!value || !reader.finished()) return std::unexpected(reader.error());
  return std::move(*value);
}

}  // namespace tidyframe
