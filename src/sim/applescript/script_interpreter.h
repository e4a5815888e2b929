#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/dispatch.h"
#include "sim/applescript/apple_event.h"
#include "sim/applescript/script_syntax.h"
#include "sim/applescript/script_value.h"

namespace tidyframe::applescript {

// The outcome of a run: the script's result (the value of its `return`, or of its last
// statement; nothing for a bare `return`) or the error that no `try` trapped.
using RunResult = std::expected<std::optional<Value>, ScriptError>;

// Where AppleScript's behaviour is undocumented this interpreter chooses, and the choices hold
// everywhere: texts compare case-folded and composed (NFC), so decomposed accents are equal;
// `missing value is in {...}` is false; a `repeat with x in aList` variable is a reference that
// equality and containment never dereference (`contents of x` does); over an application's
// elements the loop counts them once and each use of the variable asks again, so an element that
// vanished meanwhile raises -1719; assigning an element reference sends "get" and stores the
// application's answer; a handler's errors reach the caller with number and message unchanged;
// `delay` spends no event's time-out; application errors read "<application> got an error: ...".
// Runs compiled scripts. Application commands go to the borrowed AppleEventTarget, bounded by the
// innermost `with timeout` in force (120 seconds otherwise, and handlers called inside a block
// inherit it); `delay` waits on the borrowed Dispatch, so in virtual time it costs nothing. One
// run at a time: call it from the queue that owns the scripts.
class ScriptInterpreter {
 public:
  ScriptInterpreter(AppleEventTarget& events, Dispatch& dispatch);

  RunResult run(const ScriptProgram& program);

  static constexpr double defaultTimeout = 120;

 private:
  struct Frame;
  enum class Flow { next, exitRepeat, returned };

  Flow execute(const std::vector<Stmt>& body, Frame& frame);
  Flow execute(const Stmt& stmt, Frame& frame);
  Flow executeTell(const Stmt& stmt, Frame& frame);
  Flow executeTimeout(const Stmt& stmt, Frame& frame);
  Flow executeRepeatIn(const Stmt& stmt, Frame& frame);
  Flow executeRepeatRange(const Stmt& stmt, Frame& frame);
  Flow executeTry(const Stmt& stmt, Frame& frame);
  [[noreturn]] void raise(const Stmt& stmt, Frame& frame);

  // A reference expression's value without sending "get"; value() sends it.
  Value reference(const Expr& expr, Frame& frame);
  Value value(const Expr& expr, Frame& frame);
  Value plainValue(const Expr& expr, Frame& frame);
  const Value& operand(const Expr& expr, Frame& frame, Value& scratch);
  Value container(const Expr& expr, Frame& frame);
  Value element(const Expr& expr, Frame& frame);
  Value property(const Expr& expr, Frame& frame);
  Value binary(const Expr& expr, Frame& frame);
  Value arithmetic(BinaryOp op, const Value& a, const Value& b);
  Value coerce(const Expr& expr, Frame& frame);
  Value count(const Expr& expr, Frame& frame);
  Value exists(const Expr& expr, Frame& frame);
  Value call(const Expr& expr, Frame& frame);
  Value command(const Expr& expr, Frame& frame);
  FilterTest filter(const Expr& expr, Frame& frame);
  void setProperty(const Expr& target, Value v, Frame& frame);
  Value send(AppleEvent event);
  const SpecifierPtr& tellTarget(const Frame& frame, const std::string& what) const;

  AppleEventTarget& events_;
  Dispatch& dispatch_;
  const ScriptProgram* program_ = nullptr;
  std::vector<double> timeouts_;
};

}  // namespace tidyframe::applescript
