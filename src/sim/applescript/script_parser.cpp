#include "sim/applescript/script_parser.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

#include "sim/applescript/script_lexer.h"

namespace tidyframe::applescript {

namespace {

// Where a term is defined: AppleScript itself (or both applications alike), or the dictionary of
// one application, which compiles it only inside a tell block addressed to that application.
enum class Dictionary { core, finder, systemEvents, none };

struct Term {
  enum class Kind { singular, plural, property, constant, command };
  Kind kind;
  std::string canonical;
  Dictionary dictionary;
};

struct TermEntry {
  std::string_view words;
  Term::Kind kind;
  std::string_view canonical;
  Dictionary dictionary = Dictionary::core;
};

using K = Term::Kind;
constexpr Dictionary F = Dictionary::finder;
constexpr Dictionary S = Dictionary::systemEvents;

// The dictionary terms the scripts use, singular and plural class names mapped to the class
// name the modeled applications answer to. Terms only one application defines name it.
constexpr TermEntry termEntries[] = {
    {"application", K::singular, "application"},
    {"applications", K::plural, "application"},
    {"process", K::singular, "application process", S},
    {"processes", K::plural, "application process", S},
    {"application process", K::singular, "application process", S},
    {"application processes", K::plural, "application process", S},
    {"window", K::singular, "window"},
    {"windows", K::plural, "window"},
    {"finder window", K::singular, "Finder window", F},
    {"finder windows", K::plural, "Finder window", F},
    {"sheet", K::singular, "sheet", S},
    {"sheets", K::plural, "sheet", S},
    {"menu bar", K::singular, "menu bar", S},
    {"menu bars", K::plural, "menu bar", S},
    {"menu bar item", K::singular, "menu bar item", S},
    {"menu bar items", K::plural, "menu bar item", S},
    {"menu", K::singular, "menu", S},
    {"menus", K::plural, "menu", S},
    {"menu item", K::singular, "menu item", S},
    {"menu items", K::plural, "menu item", S},
    {"attribute", K::singular, "attribute", S},
    {"attributes", K::plural, "attribute", S},
    {"action", K::singular, "action", S},
    {"actions", K::plural, "action", S},
    {"ui element", K::singular, "UI element", S},
    {"ui elements", K::plural, "UI element", S},
    {"item", K::singular, "item"},
    {"items", K::plural, "item"},
    {"folder", K::singular, "folder"},
    {"folders", K::plural, "folder"},
    {"text field", K::singular, "text field", S},
    {"text fields", K::plural, "text field", S},
    {"button", K::singular, "button", S},
    {"buttons", K::plural, "button", S},
    {"toolbar", K::singular, "toolbar", S},
    {"toolbars", K::plural, "toolbar", S},
    {"splitter group", K::singular, "splitter group", S},
    {"splitter groups", K::plural, "splitter group", S},
    {"scroll area", K::singular, "scroll area", S},
    {"scroll areas", K::plural, "scroll area", S},
    {"name", K::property, "name"},
    {"frontmost", K::property, "frontmost"},
    {"value", K::property, "value", S},
    {"subrole", K::property, "subrole", S},
    {"role", K::property, "role", S},
    {"id", K::property, "id"},
    {"target", K::property, "target", F},
    {"url", K::property, "URL"},
    {"current view", K::property, "current view", F},
    {"contents", K::property, "contents"},
    {"title", K::property, "title", S},
    {"description", K::property, "description"},
    {"enabled", K::property, "enabled", S},
    {"visible", K::property, "visible"},
    {"length", K::property, "length"},
    {"command down", K::constant, "command down", S},
    {"shift down", K::constant, "shift down", S},
    {"option down", K::constant, "option down", S},
    {"control down", K::constant, "control down", S},
    {"icon view", K::constant, "icon view", F},
    {"list view", K::constant, "list view", F},
    {"column view", K::constant, "column view", F},
    {"gallery view", K::constant, "gallery view", F},
    {"flow view", K::constant, "flow view", F},
    {"delay", K::command, "delay"},
    {"click", K::command, "click", S},
    {"perform", K::command, "perform", S},
    {"key code", K::command, "key code", S},
    {"keystroke", K::command, "keystroke", S},
    {"activate", K::command, "activate"},
    {"get", K::command, "get"},
};

// Words that belong to the language itself; none of them can name a variable.
const std::set<std::string, std::less<>> reservedWords = {
    "tell", "to", "end", "if", "then", "else", "repeat", "with", "in", "from", "by", "exit",
    "return", "try", "on", "error", "number", "set", "of", "whose", "where", "first", "last",
    "front", "back", "every", "and", "or", "not", "is", "isn't", "equal", "equals", "contains",
    "contain", "does", "doesn't", "as", "my", "me", "it", "timeout", "second", "seconds", "using",
    "times", "while", "until", "greater", "less", "than", "true", "false", "missing", "count",
    "exists", "text", "string", "integer", "real", "list", "boolean", "considering", "ignoring",
    "global", "local", "property", "script"};

const std::set<std::string, std::less<>> typeNames = {"text", "string", "integer", "real", "number",
                                                   "list", "boolean"};

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  ScriptProgram program() {
    ScriptProgram result;
    skipLineEnds();
    while (!at(Token::Kind::end)) {
      if (isWord("on")) {
        Handler handler = parseHandler();
        std::string key = handler.name;
        if (result.handlers.contains(key)) {
          throw ScriptException(-2752, "The handler “" + key + "” is specified more than once.");
        }
        result.handlers.emplace(key, std::move(handler));
      } else {
        result.body.push_back(parseStatement());
        expectStatementEnd();
      }
      skipLineEnds();
    }
    return result;
  }

 private:
  // ---- token helpers

  const Token& peek(std::size_t ahead = 0) const {
    std::size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[i];
  }
  bool at(Token::Kind kind) const { return peek().kind == kind; }
  bool isWord(std::string_view w, std::size_t ahead = 0) const {
    return peek(ahead).kind == Token::Kind::word && peek(ahead).text == w;
  }
  bool isSymbol(std::string_view s, std::size_t ahead = 0) const {
    return peek(ahead).kind == Token::Kind::symbol && peek(ahead).text == s;
  }
  const Token& next() { return tokens_[std::min(pos_++, tokens_.size() - 1)]; }
  bool acceptWord(std::string_view w) {
    if (!isWord(w)) return false;
    ++pos_;
    return true;
  }
  bool acceptSymbol(std::string_view s) {
    if (!isSymbol(s)) return false;
    ++pos_;
    return true;
  }
  void skipLineEnds() {
    while (at(Token::Kind::lineEnd)) ++pos_;
  }

  [[noreturn]] void expected(std::string_view what) const {
    throw ScriptException(-2741, "Expected " + std::string(what) + " but found " + tokenDescription(peek()) + ".");
  }
  [[noreturn]] void cannotFollow() const {
    std::string previous = pos_ > 0 ? tokenDescription(tokens_[pos_ - 1]) : "beginning of script";
    throw ScriptException(-2740, "A " + tokenDescription(peek()) + " can’t go after this " + previous + ".");
  }

  void expectWord(std::string_view w) {
    if (!acceptWord(w)) expected("“" + std::string(w) + "”");
  }
  void expectSymbol(std::string_view s) {
    if (!acceptSymbol(s)) expected("“" + std::string(s) + "”");
  }
  bool atStatementEnd() const { return at(Token::Kind::lineEnd) || at(Token::Kind::end); }
  void expectStatementEnd() {
    if (!atStatementEnd()) cannotFollow();
  }

  std::optional<std::pair<Term, std::size_t>> termAt(std::size_t ahead = 0) const {
    const auto& terms = termTable();
    std::string phrase;
    std::optional<std::pair<Term, std::size_t>> best;
    for (std::size_t n = 0; n < 3 && peek(ahead + n).kind == Token::Kind::word; ++n) {
      phrase += (n ? " " : "") + peek(ahead + n).text;
      auto found = terms.find(phrase);
      if (found != terms.end() && inScope(found->second)) best = {{found->second, n + 1}};
      if (n == 0 && !terms.contains(phrase) && !startsLongerTerm(phrase)) break;
    }
    return best;
  }

  static const std::map<std::string, Term, std::less<>>& termTable() {
    static const std::map<std::string, Term, std::less<>> table = [] {
      std::map<std::string, Term, std::less<>> built;
      for (const auto& entry : termEntries) {
        built.emplace(std::string(entry.words), Term{entry.kind, std::string(entry.canonical), entry.dictionary});
      }
      return built;
    }();
    return table;
  }

  // Outside the tell blocks of its application a term is no term: its words are identifiers.
  bool inScope(const Term& term) const {
    return term.dictionary == Dictionary::core || (!dictionaries_.empty() && dictionaries_.back() == term.dictionary);
  }

  // The dictionary a tell block compiles its terms with: that of an application named by a
  // literal, none for any other application, the enclosing one for any other target.
  Dictionary dictionaryOf(const Expr& target) const {
    if (target.kind != Expr::Kind::application) return dictionaries_.empty() ? Dictionary::none : dictionaries_.back();
    if (!target.a || target.a->kind != Expr::Kind::literal || !target.a->literal.is<std::string>()) {
      return Dictionary::none;
    }
    const auto& name = target.a->literal.as<std::string>();
    if (name == "Finder") return Dictionary::finder;
    if (name == "System Events") return Dictionary::systemEvents;
    return Dictionary::none;
  }

  static bool startsLongerTerm(const std::string& word) {
    auto it = termTable().lower_bound(word + " ");
    return it != termTable().end() && it->first.starts_with(word + " ");
  }

  std::string variableName() {
    const Token& t = peek();
    if (t.kind != Token::Kind::word || reservedWords.contains(t.text) || termAt()) expected("variable name");
    return next().text;
  }

  // ---- statements

  Handler parseHandler() {
    expectWord("on");
    Handler handler;
    handler.name = variableName();
    expectSymbol("(");
    if (!isSymbol(")")) {
      do {
        handler.parameters.push_back(variableName());
      } while (acceptSymbol(","));
    }
    expectSymbol(")");
    expectStatementEnd();
    handler.body = parseBlock();
    expectEnd(handler.name);
    return handler;
  }

  // Statements up to a line that begins with "end", "else" or "on" (left for the caller).
  std::vector<Stmt> parseBlock() {
    std::vector<Stmt> body;
    skipLineEnds();
    while (!isWord("end") && !isWord("else") && !isWord("on")) {
      if (at(Token::Kind::end)) expected("“end”");
      body.push_back(parseStatement());
      expectStatementEnd();
      skipLineEnds();
    }
    return body;
  }

  void expectEnd(const std::string& block) {
    if (!isWord("end")) expected("“end” or “end " + block + "”");
    if (peek(1).kind == Token::Kind::word && peek(1).text != block) {
      throw ScriptException(-2741, "Expected “end” or “end " + block + "” but found “end " + peek(1).text + "”.");
    }
    ++pos_;
    if (peek().kind == Token::Kind::word) ++pos_;
  }

  Stmt make(Stmt::Kind kind) const {
    Stmt s;
    s.kind = kind;
    s.line = peek().line;
    return s;
  }

  Stmt parseStatement() {
    if (++statementDepth_ > maxNesting) throw ScriptException(-2741, "Expected “end” but found " + tokenDescription(peek()) + ": nested too deeply.");
    Stmt s = parseStatementBody();
    --statementDepth_;
    return s;
  }

  Stmt parseStatementBody() {
    const Token& t = peek();
    if (t.kind == Token::Kind::word) {
      if (t.text == "tell") return parseTell();
      if (t.text == "with") return parseTimeout();
      if (t.text == "if") return parseIf();
      if (t.text == "repeat") return parseRepeat();
      if (t.text == "try") return parseTry();
      if (t.text == "set") return parseSet();
      if (t.text == "return") return parseReturn();
      if (t.text == "error") return parseRaise();
      if (t.text == "exit") {
        Stmt s = make(Stmt::Kind::exitRepeat);
        ++pos_;
        acceptWord("repeat");
        return s;
      }
      if (t.text == "on" || t.text == "end" || t.text == "else") cannotFollow();
    }
    Stmt s = make(Stmt::Kind::expression);
    s.a = parseExpression();
    return s;
  }

  Stmt parseTell() {
    Stmt s = make(Stmt::Kind::tell);
    expectWord("tell");
    s.a = parseExpression();
    dictionaries_.push_back(dictionaryOf(*s.a));
    if (acceptWord("to")) {
      s.body.push_back(parseStatement());
    } else {
      expectStatementEnd();
      s.body = parseBlock();
      expectEnd("tell");
    }
    dictionaries_.pop_back();
    return s;
  }

  Stmt parseTimeout() {
    Stmt s = make(Stmt::Kind::timeout);
    expectWord("with");
    expectWord("timeout");
    acceptWord("of");
    s.a = parseUnary();
    if (!acceptWord("seconds") && !acceptWord("second")) expected("“seconds”");
    expectStatementEnd();
    s.body = parseBlock();
    expectEnd("timeout");
    return s;
  }

  Stmt parseIf() {
    Stmt s = make(Stmt::Kind::conditional);
    expectWord("if");
    s.a = parseExpression();
    expectWord("then");
    if (!atStatementEnd()) {
      s.body.push_back(parseStatement());
      return s;
    }
    parseIfTail(s);
    return s;
  }

  // The block form after "then": the branch, then "else if", "else" or the one "end if".
  void parseIfTail(Stmt& s) {
    s.body = parseBlock();
    if (!acceptWord("else")) {
      expectEnd("if");
      return;
    }
    if (isWord("if")) {
      Stmt nested = make(Stmt::Kind::conditional);
      ++pos_;
      nested.a = parseExpression();
      expectWord("then");
      expectStatementEnd();
      parseIfTail(nested);
      s.otherwise.push_back(std::move(nested));
      return;
    }
    expectStatementEnd();
    s.otherwise = parseBlock();
    expectEnd("if");
  }

  Stmt parseRepeat() {
    std::size_t line = peek().line;
    expectWord("repeat");
    expectWord("with");
    std::string variable = variableName();
    Stmt s;
    s.line = line;
    s.name = variable;
    if (acceptWord("in")) {
      s.kind = Stmt::Kind::repeatIn;
      s.a = parseExpression();
    } else {
      expectWord("from");
      s.kind = Stmt::Kind::repeatRange;
      s.a = parseExpression();
      expectWord("to");
      s.b = parseExpression();
      if (acceptWord("by")) s.c = parseExpression();
    }
    expectStatementEnd();
    s.body = parseBlock();
    expectEnd("repeat");
    return s;
  }

  Stmt parseTry() {
    Stmt s = make(Stmt::Kind::tryBlock);
    expectWord("try");
    expectStatementEnd();
    s.body = parseBlock();
    if (acceptWord("on")) {
      expectWord("error");
      if (!atStatementEnd() && !isWord("number")) s.name = variableName();
      if (acceptWord("number")) s.numberName = variableName();
      expectStatementEnd();
      s.otherwise = parseBlock();
    }
    if (isWord("else")) cannotFollow();
    if (isWord("on")) cannotFollow();
    expectEnd("try");
    return s;
  }

  // `set name to value` binds a variable; `set property of object to value` asks the object's
  // application to change that property.
  Stmt parseSet() {
    Stmt s = make(Stmt::Kind::set);
    expectWord("set");
    if (termAt()) {
      s.b = parseReference();
      if (s.b->kind != Expr::Kind::property) expected("“to”");
    } else {
      s.name = variableName();
    }
    expectWord("to");
    s.a = parseExpression();
    return s;
  }

  Stmt parseReturn() {
    Stmt s = make(Stmt::Kind::returnValue);
    expectWord("return");
    if (!atStatementEnd()) s.a = parseExpression();
    return s;
  }

  Stmt parseRaise() {
    Stmt s = make(Stmt::Kind::raise);
    expectWord("error");
    if (!atStatementEnd() && !isWord("number")) s.a = parseExpression();
    if (acceptWord("number")) s.b = parseExpression();
    return s;
  }

  // ---- expressions, loosest binding first

  ExprPtr makeExpr(Expr::Kind kind) const {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->line = peek().line;
    return e;
  }

  ExprPtr binary(BinaryOp op, ExprPtr a, ExprPtr b, CompareOp cmp = CompareOp::equal) const {
    auto e = makeExpr(Expr::Kind::binary);
    e->op = op;
    e->compareOp = cmp;
    e->a = std::move(a);
    e->b = std::move(b);
    return e;
  }

  // Nesting is bounded so that no text, however deep, can exhaust the stack.
  class Nesting {
   public:
    explicit Nesting(Parser& parser) : parser_(parser) {
      if (++parser_.depth_ > maxNesting) {
        throw ScriptException(-2741, "Expected expression but found " + tokenDescription(parser_.peek()) +
                                         ": nested too deeply.");
      }
    }
    ~Nesting() { --parser_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  ExprPtr parseExpression() {
    Nesting nesting(*this);
    return parseOr();
  }

  ExprPtr parseOr() {
    ExprPtr left = parseAnd();
    while (acceptWord("or")) left = binary(BinaryOp::logicalOr, std::move(left), parseAnd());
    return left;
  }

  ExprPtr parseAnd() {
    ExprPtr left = parseNot();
    while (acceptWord("and")) left = binary(BinaryOp::logicalAnd, std::move(left), parseNot());
    return left;
  }

  ExprPtr parseNot() {
    Nesting nesting(*this);
    if (!acceptWord("not")) return parseComparison();
    auto e = makeExpr(Expr::Kind::logicalNot);
    e->a = parseNot();
    return e;
  }

  std::optional<CompareOp> comparisonOperator() {
    if (acceptSymbol("=")) return CompareOp::equal;
    if (acceptSymbol("≠")) return CompareOp::notEqual;
    if (acceptSymbol("≥")) return CompareOp::greaterEqual;
    if (acceptSymbol("≤")) return CompareOp::lessEqual;
    if (acceptSymbol(">")) return acceptSymbol("=") ? CompareOp::greaterEqual : CompareOp::greater;
    if (acceptSymbol("<")) return acceptSymbol("=") ? CompareOp::lessEqual : CompareOp::less;
    if (acceptWord("equals")) return CompareOp::equal;
    if (acceptWord("contains")) return CompareOp::contains;
    if (acceptWord("isn't")) return negatedIsForm();
    if (isWord("does") && isWord("not", 1)) {
      pos_ += 2;
      return negatedVerbForm();
    }
    if (acceptWord("doesn't")) return negatedVerbForm();
    if (!acceptWord("is")) return std::nullopt;
    if (acceptWord("not")) return negatedIsForm();
    if (acceptWord("in")) return CompareOp::in;
    if (acceptWord("equal")) {
      acceptWord("to");
      return CompareOp::equal;
    }
    if (acceptWord("greater")) return thanForm(CompareOp::greater, CompareOp::greaterEqual);
    if (acceptWord("less")) return thanForm(CompareOp::less, CompareOp::lessEqual);
    return CompareOp::equal;
  }

  CompareOp negatedIsForm() {
    if (acceptWord("in")) return CompareOp::notIn;
    if (acceptWord("equal")) acceptWord("to");
    return CompareOp::notEqual;
  }

  CompareOp negatedVerbForm() {
    if (acceptWord("contain")) return CompareOp::notContains;
    if (acceptWord("equal")) return CompareOp::notEqual;
    expected("“contain”");
  }

  CompareOp thanForm(CompareOp strict, CompareOp orEqual) {
    expectWord("than");
    if (acceptWord("or")) {
      expectWord("equal");
      acceptWord("to");
      return orEqual;
    }
    return strict;
  }

  ExprPtr parseComparison() {
    ExprPtr left = parseCoerce();
    auto op = comparisonOperator();
    if (!op) return left;
    ExprPtr result = binary(BinaryOp::compare, std::move(left), parseCoerce(), *op);
    if (comparisonOperator()) cannotFollow();
    return result;
  }

  ExprPtr parseCoerce() {
    ExprPtr left = parseConcat();
    while (acceptWord("as")) {
      const Token& t = peek();
      if (t.kind != Token::Kind::word || !typeNames.contains(t.text)) expected("class name");
      auto e = makeExpr(Expr::Kind::coerce);
      e->name = next().text;
      e->a = std::move(left);
      left = std::move(e);
    }
    return left;
  }

  ExprPtr parseConcat() {
    ExprPtr left = parseAdditive();
    while (acceptSymbol("&")) left = binary(BinaryOp::concatenate, std::move(left), parseAdditive());
    return left;
  }

  ExprPtr parseAdditive() {
    ExprPtr left = parseMultiplicative();
    while (true) {
      if (acceptSymbol("+")) left = binary(BinaryOp::add, std::move(left), parseMultiplicative());
      else if (acceptSymbol("-")) left = binary(BinaryOp::subtract, std::move(left), parseMultiplicative());
      else return left;
    }
  }

  ExprPtr parseMultiplicative() {
    ExprPtr left = parseUnary();
    while (true) {
      if (acceptSymbol("*")) left = binary(BinaryOp::multiply, std::move(left), parseUnary());
      else if (acceptSymbol("/")) left = binary(BinaryOp::divide, std::move(left), parseUnary());
      else return left;
    }
  }

  ExprPtr parseUnary() {
    Nesting nesting(*this);
    if (acceptSymbol("+")) return parseUnary();
    if (!acceptSymbol("-")) return parseReference();
    auto e = makeExpr(Expr::Kind::negate);
    e->a = parseUnary();
    return e;
  }

  static bool takesContainer(const Expr& e) {
    return e.kind == Expr::Kind::element || e.kind == Expr::Kind::property;
  }

  // A primary, its "of" container chain and an optional "whose" filter on the outermost element.
  ExprPtr parseReference() {
    Nesting nesting(*this);
    ExprPtr primary = parsePrimary();
    if (isWord("of")) {
      if (!takesContainer(*primary) || primary->c) cannotFollow();
      ++pos_;
      primary->c = parseReference();
    }
    if (isWord("whose") || isWord("where")) {
      if (primary->kind != Expr::Kind::element || primary->b) cannotFollow();
      ++pos_;
      primary->b = parseExpression();
    }
    return primary;
  }

  bool startsExpression() const {
    const Token& t = peek();
    if (t.kind == Token::Kind::lineEnd || t.kind == Token::Kind::end) return false;
    if (t.kind == Token::Kind::symbol) return t.text == "(" || t.text == "{" || t.text == "-";
    if (t.kind != Token::Kind::word) return true;
    static const std::set<std::string, std::less<>> stops = {
        "then", "else", "end", "to", "of", "using", "whose", "where", "and", "or", "is", "isn't",
        "as", "from", "by", "in", "contains", "number", "equals", "does", "doesn't"};
    return !stops.contains(t.text);
  }

  ExprPtr parsePrimary() {
    const Token& t = peek();
    switch (t.kind) {
      case Token::Kind::integer: {
        auto e = makeExpr(Expr::Kind::literal);
        e->literal = next().integer;
        return e;
      }
      case Token::Kind::real: {
        auto e = makeExpr(Expr::Kind::literal);
        e->literal = next().real;
        return e;
      }
      case Token::Kind::text: {
        auto e = makeExpr(Expr::Kind::literal);
        e->literal = next().text;
        return e;
      }
      case Token::Kind::symbol:
        if (acceptSymbol("(")) {
          ExprPtr inner = parseExpression();
          expectSymbol(")");
          return inner;
        }
        if (isSymbol("{")) return parseList();
        expected("expression");
      case Token::Kind::word: return parseWord();
      case Token::Kind::lineEnd:
      case Token::Kind::end: expected("expression");
    }
    expected("expression");
  }

  ExprPtr parseList() {
    auto e = makeExpr(Expr::Kind::list);
    expectSymbol("{");
    if (!isSymbol("}")) {
      do {
        e->items.push_back(parseExpression());
      } while (acceptSymbol(","));
    }
    expectSymbol("}");
    return folded(std::move(e));
  }

  // A list of literals is itself a literal, built once here instead of on every evaluation.
  static ExprPtr folded(ExprPtr list) {
    ValueList values;
    for (const auto& item : list->items) {
      if (item->kind != Expr::Kind::literal) return list;
      values.push_back(item->literal);
    }
    list->kind = Expr::Kind::literal;
    list->literal = std::move(values);
    list->items.clear();
    return list;
  }

  ExprPtr literal(Value v) {
    auto e = makeExpr(Expr::Kind::literal);
    e->literal = std::move(v);
    return e;
  }

  ExprPtr parseWord() {
    const std::string w = peek().text;
    if (w == "true" || w == "false") {
      ++pos_;
      return literal(w == "true");
    }
    if (w == "missing" && isWord("value", 1)) {
      pos_ += 2;
      return literal(MissingValue{});
    }
    if (w == "my") {
      ++pos_;
      if (!isSymbol("(", 1)) expected("handler call");
      ExprPtr e = parseCall();
      e->viaMy = true;
      return e;
    }
    if (w == "application" && peek(1).kind == Token::Kind::text) {
      auto e = makeExpr(Expr::Kind::application);
      ++pos_;
      e->a = parsePrimary();
      return e;
    }
    if (w == "count" || w == "exists") {
      auto e = makeExpr(w == "count" ? Expr::Kind::count : Expr::Kind::exists);
      ++pos_;
      if (w == "count") acceptWord("of");
      e->a = parseReference();
      return e;
    }
    if (w == "every") return parseElementAfterOrdinal(SpecStep::Form::every, Value{});
    if (w == "first" || w == "front") return parseElementAfterOrdinal(SpecStep::Form::index, Value{1});
    if (w == "last" || w == "back") return parseElementAfterOrdinal(SpecStep::Form::index, Value{-1});
    if (auto term = termAt()) return parseTerm(term->first, term->second);
    if (isSymbol("(", 1) && !reservedWords.contains(w)) return parseCall();
    if (reservedWords.contains(w)) expected("expression");
    auto e = makeExpr(Expr::Kind::variable);
    e->name = next().text;
    return e;
  }

  ExprPtr parseElementAfterOrdinal(SpecStep::Form form, Value key) {
    ++pos_;
    auto term = termAt();
    if (!term || (term->first.kind != K::singular && term->first.kind != K::plural)) expected("class name");
    pos_ += term->second;
    auto e = makeExpr(Expr::Kind::element);
    e->name = term->first.canonical;
    e->form = form;
    if (form != SpecStep::Form::every) e->a = literal(std::move(key));
    return e;
  }

  ExprPtr parseCall() {
    auto e = makeExpr(Expr::Kind::call);
    e->name = next().text;
    expectSymbol("(");
    if (!isSymbol(")")) {
      do {
        e->items.push_back(parseExpression());
      } while (acceptSymbol(","));
    }
    expectSymbol(")");
    return e;
  }

  ExprPtr parseTerm(const Term& term, std::size_t words) {
    pos_ += words;
    switch (term.kind) {
      case K::constant: return literal(Constant{term.canonical});
      case K::property: {
        auto e = makeExpr(Expr::Kind::property);
        e->name = term.canonical;
        return e;
      }
      case K::command: return parseCommand(term.canonical);
      case K::plural: {
        auto e = makeExpr(Expr::Kind::element);
        e->name = term.canonical;
        e->form = SpecStep::Form::every;
        return e;
      }
      case K::singular: return parseElementKey(term.canonical);
    }
    expected("expression");
  }

  // `window 1`, `process "Finder"`, `item i`, `window id 7`: the form is fixed by a literal key
  // and decided by the key's class at run time otherwise.
  ExprPtr parseElementKey(const std::string& cls) {
    auto e = makeExpr(Expr::Kind::element);
    e->name = cls;
    if (acceptWord("id")) {
      e->form = SpecStep::Form::id;
      e->a = parseUnary();
      return e;
    }
    if (!startsExpression()) expected("expression");
    e->form = peek().kind == Token::Kind::text ? SpecStep::Form::name : SpecStep::Form::index;
    e->a = isSymbol("-") ? parseUnary() : parsePrimary();
    return e;
  }

  ExprPtr parseCommand(const std::string& verb) {
    auto e = makeExpr(Expr::Kind::command);
    e->name = verb;
    if (startsExpression()) e->a = parseExpression();
    if (acceptWord("using")) e->b = parseExpression();
    return e;
  }

  static constexpr int maxNesting = 600;

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  int statementDepth_ = 0;
  // The dictionaries of the tell blocks around the statement being read, innermost last.
  std::vector<Dictionary> dictionaries_;
};

}  // namespace

std::expected<std::shared_ptr<const ScriptProgram>, ScriptError> compileScript(std::string_view source) {
  try {
    Parser parser(tokenize(source));
    return std::make_shared<const ScriptProgram>(parser.program());
  } catch (const ScriptException& e) {
    return std::unexpected(e.error());
  }
}

}  // namespace tidyframe::applescript
