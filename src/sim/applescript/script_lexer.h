#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidyframe::applescript {

struct Token {
  enum class Kind { word, integer, real, text, symbol, lineEnd, end };
  Kind kind = Kind::end;
  std::string text;  // words lower-cased; texts unescaped; symbols as written
  std::int64_t integer = 0;
  double real = 0;
  std::size_t line = 1;
};

// Splits a script into tokens. Comments ("--" and "#" to the end of the line, nested "(* *)")
// are dropped, "¬" joins a line to the next, and every run of line breaks becomes one lineEnd.
// A text the lexer cannot read throws ScriptException -2741 (unterminated literal or comment)
// or -2740 (a character no token begins with).
std::vector<Token> tokenize(std::string_view source);

// How a compile error names a token: “then”, identifier, end of script, ...
std::string tokenDescription(const Token& token);

}  // namespace tidyframe::applescript
