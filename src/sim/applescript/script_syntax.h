#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/applescript/script_value.h"

namespace tidyframe::applescript {

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

enum class BinaryOp { logicalAnd, logicalOr, compare, add, subtract, multiply, divide, concatenate };

struct Expr {
  enum class Kind {
    literal,      // literal
    variable,     // name
    list,         // items
    negate,       // a
    logicalNot,   // a
    binary,       // a op b (compareOp when op is compare)
    coerce,       // a as name
    element,      // class name, form, key a (absent for every), whose test b, container c
    property,     // property name, container c
    application,  // application a
    count,        // count of a
    exists,       // exists a
    call,         // handler name (items are the arguments)
    command,      // verb name, direct parameter a, `using` parameter b
  };
  Kind kind = Kind::literal;
  Value literal;
  std::string name;
  SpecStep::Form form = SpecStep::Form::every;
  BinaryOp op = BinaryOp::compare;
  CompareOp compareOp = CompareOp::equal;
  ExprPtr a, b, c;
  std::vector<ExprPtr> items;
  bool viaMy = false;  // a handler call written `my name(...)`
  std::size_t line = 0;
};

struct Stmt {
  enum class Kind {
    expression,   // a
    set,          // name (or the property b of an application's object) to a
    tell,         // target a, body
    timeout,      // seconds a, body
    conditional,  // if a then body else otherwise
    repeatIn,     // name in a, body
    repeatRange,  // name from a to b by c, body
    exitRepeat,
    returnValue,  // a (may be absent)
    tryBlock,     // body; on error: otherwise with message variable name and number variable
    raise,        // error a number b
  };
  Kind kind = Kind::expression;
  std::string name;
  std::string numberName;
  ExprPtr a, b, c;
  std::vector<Stmt> body;
  std::vector<Stmt> otherwise;
  std::size_t line = 0;
};

struct Handler {
  std::string name;
  std::vector<std::string> parameters;
  std::vector<Stmt> body;
};

// A compiled script: the implicit run handler's statements and the named handlers (keys are
// lower case: AppleScript identifiers ignore case).
struct ScriptProgram {
  std::vector<Stmt> body;
  std::map<std::string, Handler> handlers;
};

}  // namespace tidyframe::applescript
