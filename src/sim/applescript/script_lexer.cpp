#include "sim/applescript/script_lexer.h"

#include <array>
#include <charconv>

#include "sim/applescript/script_value.h"

namespace tidyframe::applescript {

namespace {

// Multi-byte symbols first so that the longest spelling wins.
constexpr std::array<std::string_view, 17> symbolSpellings = {"≠", "≤", "≥", "¬", "(", ")", "{", "}", ",",
                                                       "&", "+", "-", "*", "/", "=", "<", ">"};

bool isWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordChar(char c) { return isWordStart(c) || isDigit(c); }

class Lexer {
 public:
  explicit Lexer(std::string_view source) : src_(source) {}

  std::vector<Token> run() {
    tokens_.reserve(src_.size() / 4);
    while (pos_ < src_.size()) step();
    endLine();
    tokens_.push_back(Token{Token::Kind::end, "", 0, 0, line_});
    return std::move(tokens_);
  }

 private:
  void step() {
    char c = src_[pos_];
    if (c == '\n' || c == '\r') return newline();
    if (c == ' ' || c == '\t') return void(++pos_);
    if ((c == '-' && startsWith("--")) || c == '#') return skipLineComment();
    if (c == '(' && startsWith("(*")) return skipBlockComment();
    if (c == '\xC2' && startsWith("¬")) return continuation();
    if (c == '"') return text();
    if (isDigit(c) || (c == '.' && pos_ + 1 < src_.size() && isDigit(src_[pos_ + 1]))) return number();
    if (isWordStart(c)) return word();
    if (c == '|') return barredWord();
    if (c == '\'') return apostropheWord();
    symbol();
  }

  bool startsWith(std::string_view s) const { return src_.substr(pos_, s.size()) == s; }

  void push(Token::Kind kind, std::string text) {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.line = line_;
    tokens_.push_back(std::move(t));
  }

  void endLine() {
    if (!tokens_.empty() && tokens_.back().kind != Token::Kind::lineEnd) push(Token::Kind::lineEnd, "");
  }

  void newline() {
    if (src_[pos_] == '\r' && startsWith("\r\n")) ++pos_;
    ++pos_;
    endLine();
    ++line_;
  }

  void skipLineComment() {
    while (pos_ < src_.size() && src_[pos_] != '\n' && src_[pos_] != '\r') ++pos_;
  }

  void skipBlockComment() {
    int depth = 0;
    while (pos_ < src_.size()) {
      if (startsWith("(*")) {
        ++depth;
        pos_ += 2;
      } else if (startsWith("*)")) {
        pos_ += 2;
        if (--depth == 0) return;
      } else {
        if (src_[pos_] == '\n') ++line_;
        ++pos_;
      }
    }
    throw ScriptException(-2741, "Expected “*)” but found end of script.");
  }

  void continuation() {
    pos_ += std::string_view("¬").size();
    while (pos_ < src_.size() && (src_[pos_] == ' ' || src_[pos_] == '\t')) ++pos_;
    if (startsWith("\r\n")) ++pos_;
    if (pos_ < src_.size() && (src_[pos_] == '\n' || src_[pos_] == '\r')) {
      ++pos_;
      ++line_;
    }
  }

  void text() {
    std::string out;
    ++pos_;
    while (pos_ < src_.size() && src_[pos_] != '"') {
      char c = src_[pos_++];
      if (c == '\n') ++line_;
      if (c != '\\' || pos_ >= src_.size()) {
        out += c;
        continue;
      }
      char e = src_[pos_++];
      out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
    }
    if (pos_ >= src_.size()) throw ScriptException(-2741, "Expected “\"” but found end of script.");
    ++pos_;
    push(Token::Kind::text, std::move(out));
  }

  void number() {
    std::size_t start = pos_;
    while (pos_ < src_.size() && isDigit(src_[pos_])) ++pos_;
    bool real = false;
    if (pos_ + 1 < src_.size() && src_[pos_] == '.' && isDigit(src_[pos_ + 1])) {
      real = true;
      ++pos_;
      while (pos_ < src_.size() && isDigit(src_[pos_])) ++pos_;
    }
    std::string_view digits = src_.substr(start, pos_ - start);
    Token t;
    t.line = line_;
    t.text = std::string(digits);
    if (real) {
      t.kind = Token::Kind::real;
      t.real = readReal(digits).value_or(0);
    } else {
      t.kind = Token::Kind::integer;
      auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), t.integer);
      if (ec != std::errc()) {
        t.kind = Token::Kind::real;
        t.real = readReal(digits).value_or(0);
      }
    }
    tokens_.push_back(std::move(t));
  }

  void word() {
    std::size_t start = pos_;
    while (pos_ < src_.size() && isWordChar(src_[pos_])) ++pos_;
    std::string w(src_.substr(start, pos_ - start));
    for (char& ch : w) {
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    push(Token::Kind::word, std::move(w));
  }

  void barredWord() {
    std::size_t end = src_.find('|', pos_ + 1);
    if (end == std::string_view::npos) throw ScriptException(-2741, "Expected “|” but found end of script.");
    std::string w(src_.substr(pos_ + 1, end - pos_ - 1));
    for (char& ch : w) {
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    pos_ = end + 1;
    push(Token::Kind::word, std::move(w));
  }

  // "isn't" and "doesn't" arrive as word, "'", word; only the contraction "n't" is accepted.
  void apostropheWord() {
    if (!tokens_.empty() && tokens_.back().kind == Token::Kind::word && startsWith("'t") &&
        tokens_.back().text.ends_with("n") && !(pos_ + 2 < src_.size() && isWordChar(src_[pos_ + 2]))) {
      tokens_.back().text += "'t";
      pos_ += 2;
      return;
    }
    throw ScriptException(-2740, "A “'” can’t go here.");
  }

  void symbol() {
    for (auto s : symbolSpellings) {
      if (startsWith(s)) {
        pos_ += s.size();
        push(Token::Kind::symbol, std::string(s));
        return;
      }
    }
    std::size_t length = 1;
    unsigned char lead = static_cast<unsigned char>(src_[pos_]);
    if (lead >= 0xF0) length = 4;
    else if (lead >= 0xE0) length = 3;
    else if (lead >= 0xC0) length = 2;
    throw ScriptException(-2740, "A “" + std::string(src_.substr(pos_, length)) + "” can’t go here.");
  }

  std::string_view src_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<Token> tokenize(std::string_view source) { return Lexer(source).run(); }

std::string tokenDescription(const Token& token) {
  switch (token.kind) {
    case Token::Kind::end: return "end of script";
    case Token::Kind::lineEnd: return "end of line";
    case Token::Kind::integer:
    case Token::Kind::real: return "number";
    case Token::Kind::text: return "“\"”";
    case Token::Kind::word:
    case Token::Kind::symbol: return "“" + token.text + "”";
  }
  return "token";
}

}  // namespace tidyframe::applescript
