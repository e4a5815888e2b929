#include "base/json_reader.h"

#include <cmath>

namespace tidyframe {

namespace {
using Adapter = nlohmann::detail::contiguous_bytes_input_adapter;
using Lexer = nlohmann::detail::lexer<Json, Adapter>;
using Token = Lexer::token_type;
}  // namespace

// The lexer with one token of look-ahead.
class JsonReader::Tokens {
 public:
  explicit Tokens(std::string_view text)
      : lexer_(nlohmann::detail::input_adapter(text.data(), text.data() + text.size())), size_(text.size()) {}

  Token peek() {
    if (!next_) next_ = lexer_.scan();
    return *next_;
  }
  void consume() { next_.reset(); }
  Lexer& lexer() { return lexer_; }
  // The lexer reads a NUL as the end of the input; only the real end is one here.
  bool atEnd() { return peek() == Token::end_of_input && lexer_.get_position().chars_read_total > size_; }

 private:
  Lexer lexer_;
  std::size_t size_;
  std::optional<Token> next_;
};

JsonReader::JsonReader(std::string_view text) : tokens_(std::make_unique<Tokens>(text)) {}

JsonReader::~JsonReader() = default;

bool JsonReader::fail(std::string why) {
  if (!failed_) error_ = std::move(why);
  failed_ = true;
  return false;
}

std::optional<JsonReader::Kind> JsonReader::peek() {
  if (failed_) return std::nullopt;
  switch (tokens_->peek()) {
    case Token::literal_null: return Kind::null;
    case Token::literal_true:
    case Token::literal_false: return Kind::boolean;
    case Token::value_integer:
    case Token::value_unsigned:
    case Token::value_float: return Kind::number;
    case Token::value_string: return Kind::string;
    case Token::begin_array: return Kind::array;
    case Token::begin_object: return Kind::object;
    default: fail("the document is not valid JSON"); return std::nullopt;
  }
}

std::optional<std::string> JsonReader::string() {
  if (peek() != Kind::string) {
    fail();
    return std::nullopt;
  }
  std::string text = std::move(tokens_->lexer().get_string());
  tokens_->consume();
  return text;
}

std::optional<bool> JsonReader::boolean() {
  if (peek() != Kind::boolean) {
    fail();
    return std::nullopt;
  }
  const bool value = tokens_->peek() == Token::literal_true;
  tokens_->consume();
  return value;
}

std::optional<Json> JsonReader::number() {
  if (peek() != Kind::number) {
    fail();
    return std::nullopt;
  }
  auto& lexer = tokens_->lexer();
  Json value;
  switch (tokens_->peek()) {
    case Token::value_integer: value = lexer.get_number_integer(); break;
    case Token::value_unsigned: value = lexer.get_number_unsigned(); break;
    default:
      if (!std::isfinite(lexer.get_number_float())) {
        fail("a number is too large");
        return std::nullopt;
      }
      value = lexer.get_number_float();
  }
  tokens_->consume();
  return value;
}

bool JsonReader::skip() {
  const auto kind = peek();
  if (!kind) return false;
  switch (*kind) {
    case Kind::object: return object([this](std::string) { return skip(); });
    case Kind::array: return array([this] { return skip(); });
    case Kind::number: return number().has_value();
    case Kind::string: return string().has_value();
    case Kind::boolean:
    case Kind::null: tokens_->consume(); return true;
  }
  return false;
}

std::optional<Json> JsonReader::value() {
  const auto kind = peek();
  if (!kind) return std::nullopt;
  switch (*kind) {
    case Kind::object: {
      Json result = Json::object();
      // A repeated key keeps its last value, as nlohmann's parser does.
      const bool read = object([&](std::string key) {
        auto member = value();
        if (member) result[std::move(key)] = std::move(*member);
        return member.has_value();
      });
      return read ? std::optional(std::move(result)) : std::nullopt;
    }
    case Kind::array: {
      Json result = Json::array();
      const bool read = array([&] {
        auto element = value();
        if (element) result.push_back(std::move(*element));
        return element.has_value();
      });
      return read ? std::optional(std::move(result)) : std::nullopt;
    }
    case Kind::number: return number();
    case Kind::string: return string();
    case Kind::boolean: return boolean();
    case Kind::null: tokens_->consume(); return Json(nullptr);
  }
  return std::nullopt;
}

bool JsonReader::finished() {
  if (failed_) return false;
  return tokens_->atEnd() || fail("the document is not valid JSON");
}

bool JsonReader::enter() {
  if (openFirst_.size() >= static_cast<std::size_t>(maximumJsonDepth)) return fail("the document nests too deeply");
  tokens_->consume();
  openFirst_.push_back(true);
  return true;
}

bool JsonReader::beginObject() { return peek() == Kind::object ? enter() : fail(); }

bool JsonReader::beginArray() { return peek() == Kind::array ? enter() : fail(); }

// At the closing bracket: leaves the container and answers true. Before any other token:
// consumes the separator a member or element needs (none before the first) and answers false.
bool JsonReader::closes(bool object) {
  if (failed_) return true;
  const bool first = openFirst_.back();
  if (tokens_->peek() == (object ? Token::end_object : Token::end_array)) {
    tokens_->consume();
    openFirst_.pop_back();
    return true;
  }
  if (first) {
    openFirst_.back() = false;
    return false;
  }
  if (tokens_->peek() != Token::value_separator) return !fail("the document is not valid JSON");
  tokens_->consume();
  return false;
}

std::optional<std::string> JsonReader::nextKey() {
  if (closes(true)) return std::nullopt;
  auto key = string();
  if (!key || tokens_->peek() != Token::name_separator) {
    fail("the document is not valid JSON");
    return std::nullopt;
  }
  tokens_->consume();
  return key;
}

bool JsonReader::nextElement() {
  if (closes(false)) return false;
  // "[1,]": the separator promised an element.
  if (tokens_->peek() == Token::end_array) return fail("the document is not valid JSON");
  return true;
}

}  // namespace tidyframe
