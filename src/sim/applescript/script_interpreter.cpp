#include "sim/applescript/script_interpreter.h"

#include <cmath>
#include <limits>

namespace tidyframe::applescript {

namespace {

constexpr int maxHandlerDepth = 200;

Value deref(Value v) {
  while (v.is<ListItemRef>()) {
    const auto& ref = v.as<ListItemRef>();
    Value item = (*ref.list)[ref.index];
    v = std::move(item);
  }
  return v;
}

bool isObjectReference(const Value& v) {
  return v.is<SpecifierPtr>() && !v.as<SpecifierPtr>()->steps.empty();
}

// `item i of every window` becomes `window i`; other containers get a generic item element.
SpecifierPtr itemOf(const Specifier& spec, Value key, SpecStep::Form form) {
  if (!spec.steps.empty()) {
    const SpecStep& last = spec.steps.back();
    if (last.kind == SpecStep::Kind::element && last.form == SpecStep::Form::every) {
      auto copy = std::make_shared<Specifier>(spec);
      copy->steps.back().form = form;
      copy->steps.back().key = std::move(key);
      return copy;
    }
  }
  return spec.with(SpecStep::element("item", form, std::move(key)));
}

CompareOp mirrored(CompareOp op) {
  switch (op) {
    case CompareOp::greater: return CompareOp::less;
    case CompareOp::less: return CompareOp::greater;
    case CompareOp::greaterEqual: return CompareOp::lessEqual;
    case CompareOp::lessEqual: return CompareOp::greaterEqual;
    case CompareOp::in: return CompareOp::contains;
    case CompareOp::notIn: return CompareOp::notContains;
    case CompareOp::contains: return CompareOp::in;
    case CompareOp::notContains: return CompareOp::notIn;
    default: return op;
  }
}

// Pushes onto a stack for the length of a scope, popping on every exit, errors included.
template <typename T>
class ScopedPush {
 public:
  ScopedPush(std::vector<T>& stack, T value) : stack_(stack) { stack_.push_back(std::move(value)); }
  ~ScopedPush() { stack_.pop_back(); }
  ScopedPush(const ScopedPush&) = delete;
  ScopedPush& operator=(const ScopedPush&) = delete;

 private:
  std::vector<T>& stack_;
};

std::int64_t integerValue(const Value& v) {
  double n = numberValue(v);
  if (!std::isfinite(n) || std::fabs(n) > 9.0e15) {
    throw ScriptException(-1700, "Can’t make " + describe(v) + " into type integer.");
  }
  return static_cast<std::int64_t>(std::llround(n));
}

// A number, or a numeric text as the integer or real it spells.
Value numeric(const Value& v) {
  if (v.isNumber()) return v;
  double n = numberValue(v);
  if (std::floor(n) == n && std::fabs(n) < 9.0e15) return static_cast<std::int64_t>(n);
  return n;
}

std::int64_t scalarCount(const std::string& text) {
  std::int64_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

struct ScriptInterpreter::Frame {
  std::unordered_map<std::string, Value> variables;
  std::vector<SpecifierPtr> tells;
  std::optional<Value> result;
  std::optional<Value> last;
  int depth = 0;
};

ScriptInterpreter::ScriptInterpreter(AppleEventTarget& events, Dispatch& dispatch)
    : events_(events), dispatch_(dispatch) {}

RunResult ScriptInterpreter::run(const ScriptProgram& program) {
  program_ = &program;
  timeouts_.clear();
  Frame frame;
  try {
    Flow flow = execute(program.body, frame);
    if (flow == Flow::returned) return frame.result;
    return frame.last;
  } catch (const ScriptException& e) {
    return std::unexpected(e.error());
  }
}

ScriptInterpreter::Flow ScriptInterpreter::execute(const std::vector<Stmt>& body, Frame& frame) {
  for (const auto& stmt : body) {
    Flow flow = execute(stmt, frame);
    if (flow != Flow::next) return flow;
  }
  return Flow::next;
}

ScriptInterpreter::Flow ScriptInterpreter::execute(const Stmt& stmt, Frame& frame) {
  switch (stmt.kind) {
    case Stmt::Kind::expression: frame.last = value(*stmt.a, frame); return Flow::next;
    case Stmt::Kind::set: {
      Value v = value(*stmt.a, frame);
      if (stmt.b) {
        setProperty(*stmt.b, deref(v), frame);
      } else {
        frame.variables[stmt.name] = v;
      }
      frame.last = std::move(v);
      return Flow::next;
    }
    case Stmt::Kind::tell: return executeTell(stmt, frame);
    case Stmt::Kind::timeout: return executeTimeout(stmt, frame);
    case Stmt::Kind::conditional:
      if (truthValue(plainValue(*stmt.a, frame))) return execute(stmt.body, frame);
      return execute(stmt.otherwise, frame);
    case Stmt::Kind::repeatIn: return executeRepeatIn(stmt, frame);
    case Stmt::Kind::repeatRange: return executeRepeatRange(stmt, frame);
    case Stmt::Kind::exitRepeat: return Flow::exitRepeat;
    case Stmt::Kind::returnValue:
      frame.result = stmt.a ? std::optional<Value>(plainValue(*stmt.a, frame)) : std::nullopt;
      return Flow::returned;
    case Stmt::Kind::tryBlock: return executeTry(stmt, frame);
    case Stmt::Kind::raise: raise(stmt, frame);
  }
  return Flow::next;
}

ScriptInterpreter::Flow ScriptInterpreter::executeTell(const Stmt& stmt, Frame& frame) {
  Value target = deref(reference(*stmt.a, frame));
  if (!target.is<SpecifierPtr>()) {
    throw ScriptException(-1708, describe(target) + " doesn’t understand the “tell” message.");
  }
  ScopedPush<SpecifierPtr> scope(frame.tells, target.as<SpecifierPtr>());
  return execute(stmt.body, frame);
}

ScriptInterpreter::Flow ScriptInterpreter::executeTimeout(const Stmt& stmt, Frame& frame) {
  double seconds = numberValue(plainValue(*stmt.a, frame));
  ScopedPush<double> scope(timeouts_, seconds);
  return execute(stmt.body, frame);
}

// Over an application's elements the loop counts them once and binds `item i of` the same
// specifier, so every use of the variable asks the application again.
ScriptInterpreter::Flow ScriptInterpreter::executeRepeatIn(const Stmt& stmt, Frame& frame) {
  Value source = deref(reference(*stmt.a, frame));
  if (isObjectReference(source)) {
    const Specifier& spec = *source.as<SpecifierPtr>();
    auto n = integerValue(send(AppleEvent{"count", spec, {}, {}}));
    for (std::int64_t i = 1; i <= n; ++i) {
      frame.variables[stmt.name] = itemOf(spec, i, SpecStep::Form::index);
      Flow flow = execute(stmt.body, frame);
      if (flow == Flow::exitRepeat) break;
      if (flow == Flow::returned) return flow;
    }
    return Flow::next;
  }
  auto list = std::make_shared<const ValueList>(source.is<ValueList>() ? source.as<ValueList>() : ValueList{source});
  for (std::size_t i = 0; i < list->size(); ++i) {
    frame.variables[stmt.name] = ListItemRef{list, i};
    Flow flow = execute(stmt.body, frame);
    if (flow == Flow::exitRepeat) break;
    if (flow == Flow::returned) return flow;
  }
  return Flow::next;
}

ScriptInterpreter::Flow ScriptInterpreter::executeRepeatRange(const Stmt& stmt, Frame& frame) {
  std::int64_t from = integerValue(plainValue(*stmt.a, frame));
  std::int64_t to = integerValue(plainValue(*stmt.b, frame));
  std::int64_t by = stmt.c ? integerValue(plainValue(*stmt.c, frame)) : 1;
  if (by == 0) throw ScriptException(-1700, "Can’t repeat by 0.");
  for (std::int64_t i = from; by > 0 ? i <= to : i >= to; i += by) {
    frame.variables[stmt.name] = i;
    Flow flow = execute(stmt.body, frame);
    if (flow == Flow::exitRepeat) break;
    if (flow == Flow::returned) return flow;
  }
  return Flow::next;
}

ScriptInterpreter::Flow ScriptInterpreter::executeTry(const Stmt& stmt, Frame& frame) {
  try {
    return execute(stmt.body, frame);
  } catch (const ScriptException& e) {
    if (!stmt.name.empty()) frame.variables[stmt.name] = e.error().message;
    if (!stmt.numberName.empty()) frame.variables[stmt.numberName] = e.error().number;
    return execute(stmt.otherwise, frame);
  }
}

void ScriptInterpreter::raise(const Stmt& stmt, Frame& frame) {
  int number = stmt.b ? static_cast<int>(integerValue(plainValue(*stmt.b, frame))) : -2700;
  std::string message = stmt.a ? textValue(plainValue(*stmt.a, frame))
                               : "An error of type " + std::to_string(number) + " has occurred.";
  throw ScriptException(number, std::move(message));
}

const SpecifierPtr& ScriptInterpreter::tellTarget(const Frame& frame, const std::string& what) const {
  if (frame.tells.empty()) throw ScriptException(-1728, "Can’t get " + what + ".");
  return frame.tells.back();
}

Value ScriptInterpreter::value(const Expr& expr, Frame& frame) {
  Value v = reference(expr, frame);
  bool fetches = expr.kind == Expr::Kind::element || (expr.kind == Expr::Kind::property && expr.name != "contents");
  if (fetches && isObjectReference(v)) return send(AppleEvent{"get", *v.as<SpecifierPtr>(), {}, {}});
  return v;
}

Value ScriptInterpreter::plainValue(const Expr& expr, Frame& frame) { return deref(value(expr, frame)); }

// A literal or a variable read in place: the title lists the scripts test against are long, and
// comparisons are their hottest use.
const Value& ScriptInterpreter::operand(const Expr& expr, Frame& frame, Value& scratch) {
  if (expr.kind == Expr::Kind::literal) return expr.literal;
  if (expr.kind == Expr::Kind::variable) {
    auto it = frame.variables.find(expr.name);
    if (it != frame.variables.end()) return it->second;
  }
  scratch = value(expr, frame);
  return scratch;
}

Value ScriptInterpreter::reference(const Expr& expr, Frame& frame) {
  switch (expr.kind) {
    case Expr::Kind::literal: return expr.literal;
    case Expr::Kind::variable: {
      auto it = frame.variables.find(expr.name);
      if (it == frame.variables.end()) {
        throw ScriptException(-2753, "The variable " + expr.name + " is not defined.");
      }
      return it->second;
    }
    case Expr::Kind::list: {
      ValueList items;
      for (const auto& item : expr.items) items.push_back(value(*item, frame));
      return items;
    }
    case Expr::Kind::negate: {
      Value v = plainValue(*expr.a, frame);
      if (v.is<std::int64_t>()) return -v.as<std::int64_t>();
      return -numberValue(v);
    }
    case Expr::Kind::logicalNot: return !truthValue(plainValue(*expr.a, frame));
    case Expr::Kind::binary: return binary(expr, frame);
    case Expr::Kind::coerce: return coerce(expr, frame);
    case Expr::Kind::element: return element(expr, frame);
    case Expr::Kind::property: return property(expr, frame);
    case Expr::Kind::application: return makeSpecifier(textValue(plainValue(*expr.a, frame)));
    case Expr::Kind::count: return count(expr, frame);
    case Expr::Kind::exists: return exists(expr, frame);
    case Expr::Kind::call: return call(expr, frame);
    case Expr::Kind::command: return command(expr, frame);
  }
  return MissingValue{};
}

// The object an element or property expression is taken from: its `of` part, else the target
// of the innermost tell (or the element a `whose` test examines).
Value ScriptInterpreter::container(const Expr& expr, Frame& frame) {
  if (expr.c) return deref(reference(*expr.c, frame));
  return tellTarget(frame, expr.kind == Expr::Kind::property ? expr.name : expr.name + " 1");
}

Value ScriptInterpreter::element(const Expr& expr, Frame& frame) {
  Value key = expr.a ? plainValue(*expr.a, frame) : Value{};
  SpecStep::Form form = expr.form;
  if (form == SpecStep::Form::index && key.is<std::string>()) form = SpecStep::Form::name;
  if (form == SpecStep::Form::index && !key.isNumber()) {
    throw ScriptException(-1700, "Can’t make " + describe(key) + " into type integer.");
  }
  Value from = container(expr, frame);
  if (from.is<ValueList>() && expr.name == "item") {
    const auto& list = from.as<ValueList>();
    if (form == SpecStep::Form::every) return list;
    auto index = form == SpecStep::Form::index ? integerValue(key) : 0;
    auto size = static_cast<std::int64_t>(list.size());
    if (index == 0 || index > size || -index > size) {
      throw ScriptException(-1728, "Can’t get item " + describe(key) + " of " + describe(from) + ".");
    }
    return list[static_cast<std::size_t>(index > 0 ? index - 1 : size + index)];
  }
  if (!from.is<SpecifierPtr>()) {
    throw ScriptException(-1728, "Can’t get " + expr.name + " " + describe(key) + " of " + describe(from) + ".");
  }
  SpecStep step = SpecStep::element(expr.name, form, key);
  if (expr.b) step.test = std::make_shared<const FilterTest>(filter(*expr.b, frame));
  if (expr.name == "item" && !step.test) return itemOf(*from.as<SpecifierPtr>(), key, form);
  return from.as<SpecifierPtr>()->with(std::move(step));
}

Value ScriptInterpreter::property(const Expr& expr, Frame& frame) {
  Value from = expr.c ? reference(*expr.c, frame) : Value{tellTarget(frame, expr.name)};
  if (expr.name == "contents") {
    from = deref(std::move(from));
    if (isObjectReference(from)) return send(AppleEvent{"get", *from.as<SpecifierPtr>(), {}, {}});
    return from;
  }
  from = deref(std::move(from));
  if (from.is<SpecifierPtr>()) return from.as<SpecifierPtr>()->with(SpecStep::property(expr.name));
  if (expr.name == "length" && from.is<ValueList>()) return static_cast<std::int64_t>(from.as<ValueList>().size());
  if (expr.name == "length" && from.is<std::string>()) return scalarCount(from.as<std::string>());
  throw ScriptException(-1728, "Can’t get " + expr.name + " of " + describe(from) + ".");
}

// A `whose` clause becomes a test the application runs on each element: its bare terms name the
// element's properties, everything else is evaluated here, once.
FilterTest ScriptInterpreter::filter(const Expr& expr, Frame& frame) {
  FilterTest test;
  if (expr.kind == Expr::Kind::logicalNot) {
    test.kind = FilterTest::Kind::negate;
    test.parts.push_back(filter(*expr.a, frame));
    return test;
  }
  if (expr.kind == Expr::Kind::binary && (expr.op == BinaryOp::logicalAnd || expr.op == BinaryOp::logicalOr)) {
    test.kind = expr.op == BinaryOp::logicalAnd ? FilterTest::Kind::allOf : FilterTest::Kind::anyOf;
    test.parts.push_back(filter(*expr.a, frame));
    test.parts.push_back(filter(*expr.b, frame));
    return test;
  }
  auto relative = [&](const Expr& side) -> std::optional<std::vector<SpecStep>> {
    if (side.kind != Expr::Kind::element && side.kind != Expr::Kind::property) return std::nullopt;
    ScopedPush<SpecifierPtr> scope(frame.tells, makeSpecifier(""));
    Value v = reference(side, frame);
    if (!v.is<SpecifierPtr>() || !v.as<SpecifierPtr>()->application.empty()) return std::nullopt;
    return v.as<SpecifierPtr>()->steps;
  };
  bool isCompare = expr.kind == Expr::Kind::binary && expr.op == BinaryOp::compare;
  if (!isCompare) {
    auto path = relative(expr);
    if (!path) throw ScriptException(-1700, "Can’t make the whose test into a comparison.");
    test.path = std::move(*path);
    test.operand.push_back(true);
    return test;
  }
  test.op = expr.compareOp;
  if (auto path = relative(*expr.a)) {
    test.path = std::move(*path);
    test.operand.push_back(plainValue(*expr.b, frame));
  } else if (auto swapped = relative(*expr.b)) {
    test.path = std::move(*swapped);
    test.op = mirrored(expr.compareOp);
    test.operand.push_back(plainValue(*expr.a, frame));
  } else {
    throw ScriptException(-1700, "Can’t make the whose test into a comparison.");
  }
  return test;
}

Value ScriptInterpreter::binary(const Expr& expr, Frame& frame) {
  if (expr.op == BinaryOp::logicalAnd) {
    return truthValue(plainValue(*expr.a, frame)) && truthValue(plainValue(*expr.b, frame));
  }
  if (expr.op == BinaryOp::logicalOr) {
    return truthValue(plainValue(*expr.a, frame)) || truthValue(plainValue(*expr.b, frame));
  }
  if (expr.op != BinaryOp::compare) return arithmetic(expr.op, plainValue(*expr.a, frame), plainValue(*expr.b, frame));
  // Equality and containment see a loop variable as the reference it is (never equal to a text);
  // ordering dereferences it, as AppleScript coerces both operands to numbers or texts.
  bool orders = expr.compareOp == CompareOp::greater || expr.compareOp == CompareOp::less ||
                expr.compareOp == CompareOp::greaterEqual || expr.compareOp == CompareOp::lessEqual;
  if (orders) return scriptCompare(expr.compareOp, plainValue(*expr.a, frame), plainValue(*expr.b, frame));
  Value scratchA;
  Value scratchB;
  const Value& a = operand(*expr.a, frame, scratchA);
  const Value& b = operand(*expr.b, frame, scratchB);
  return scriptCompare(expr.compareOp, a, b);
}

Value ScriptInterpreter::arithmetic(BinaryOp op, const Value& a, const Value& b) {
  if (op == BinaryOp::concatenate) {
    if (a.is<ValueList>() || b.is<ValueList>()) {
      ValueList joined = a.is<ValueList>() ? a.as<ValueList>() : ValueList{a};
      for (const auto& item : b.is<ValueList>() ? b.as<ValueList>() : ValueList{b}) joined.push_back(item);
      return joined;
    }
    return textValue(a) + textValue(b);
  }
  bool integers = a.is<std::int64_t>() && b.is<std::int64_t>();
  if (integers && op != BinaryOp::divide) {
    std::int64_t x = a.as<std::int64_t>();
    std::int64_t y = b.as<std::int64_t>();
    std::int64_t r = 0;
    bool overflow = op == BinaryOp::add        ? __builtin_add_overflow(x, y, &r)
                    : op == BinaryOp::subtract ? __builtin_sub_overflow(x, y, &r)
                                               : __builtin_mul_overflow(x, y, &r);
    if (!overflow) return r;
  }
  Value na = numeric(a);
  Value nb = numeric(b);
  if (na.is<std::int64_t>() && nb.is<std::int64_t>() && !integers) return arithmetic(op, na, nb);
  double x = numberValue(a);
  double y = numberValue(b);
  switch (op) {
    case BinaryOp::add: return x + y;
    case BinaryOp::subtract: return x - y;
    case BinaryOp::multiply: return x * y;
    default:
      if (y == 0) throw ScriptException(-2701, "Can’t divide " + describe(a) + " by zero.");
      return x / y;
  }
}

Value ScriptInterpreter::coerce(const Expr& expr, Frame& frame) {
  Value v = plainValue(*expr.a, frame);
  if (expr.name == "text" || expr.name == "string") return textValue(v);
  if (expr.name == "integer") return integerValue(v);
  if (expr.name == "real" || expr.name == "number") return numberValue(v);
  if (expr.name == "boolean") return truthValue(v);
  if (v.is<ValueList>()) return v;
  return ValueList{v};
}

Value ScriptInterpreter::count(const Expr& expr, Frame& frame) {
  Value v = deref(reference(*expr.a, frame));
  if (isObjectReference(v)) return send(AppleEvent{"count", *v.as<SpecifierPtr>(), {}, {}});
  if (v.is<ValueList>()) return static_cast<std::int64_t>(v.as<ValueList>().size());
  if (v.is<std::string>()) return scalarCount(v.as<std::string>());
  throw ScriptException(-1708, describe(v) + " doesn’t understand the “count” message.");
}

Value ScriptInterpreter::exists(const Expr& expr, Frame& frame) {
  Value v = deref(reference(*expr.a, frame));
  if (isObjectReference(v)) return send(AppleEvent{"exists", *v.as<SpecifierPtr>(), {}, {}});
  return !v.isMissing();
}

// Handlers run in a frame of their own: no caller's variables and no caller's tell target (which
// is why the scripts call them with `my`), but the caller's time-out stays in force.
Value ScriptInterpreter::call(const Expr& expr, Frame& frame) {
  auto it = program_->handlers.find(expr.name);
  if (it == program_->handlers.end() || (!expr.viaMy && !frame.tells.empty())) {
    if (!frame.tells.empty()) {
      throw ScriptException(-1708, describe(*frame.tells.back()) + " doesn’t understand the “" + expr.name + "” message.");
    }
    throw ScriptException(-1708, "«script» doesn’t understand the “" + expr.name + "” message.");
  }
  const Handler& handler = it->second;
  if (handler.parameters.size() != expr.items.size()) {
    throw ScriptException(-1721, "{" + std::to_string(expr.items.size()) + " parameters} doesn’t match the parameters of " + handler.name + ".");
  }
  if (frame.depth >= maxHandlerDepth) throw ScriptException(-2706, "Stack overflow.");
  Frame inner;
  inner.depth = frame.depth + 1;
  for (std::size_t i = 0; i < expr.items.size(); ++i) {
    inner.variables[handler.parameters[i]] = plainValue(*expr.items[i], frame);
  }
  Flow flow = execute(handler.body, inner);
  if (flow == Flow::returned) return inner.result.value_or(MissingValue{});
  return inner.last.value_or(MissingValue{});
}

Value ScriptInterpreter::command(const Expr& expr, Frame& frame) {
  const std::string& verb = expr.name;
  if (verb == "delay") {
    double seconds = expr.a ? numberValue(plainValue(*expr.a, frame)) : 0;
    if (seconds > 0) dispatch_.wait(seconds);
    return MissingValue{};
  }
  if (verb == "get") {
    if (!expr.a) throw ScriptException(-1708, "get needs an object.");
    return value(*expr.a, frame);
  }
  AppleEvent event;
  event.verb = verb;
  bool keyboard = verb == "key code" || verb == "keystroke";
  Value direct = expr.a && !keyboard ? deref(reference(*expr.a, frame)) : Value{};
  if (keyboard) {
    event.parameter = expr.a ? plainValue(*expr.a, frame) : Value{};
    event.modifiers = expr.b ? plainValue(*expr.b, frame) : Value{ValueList{}};
  }
  if (direct.is<SpecifierPtr>()) {
    event.target = *direct.as<SpecifierPtr>();
  } else if (expr.a && !keyboard) {
    throw ScriptException(-1708, describe(direct) + " doesn’t understand the “" + verb + "” message.");
  } else {
    event.target = *tellTarget(frame, "the target of “" + verb + "”");
  }
  return send(std::move(event));
}

// Only an application's object has properties a script can change.
void ScriptInterpreter::setProperty(const Expr& target, Value v, Frame& frame) {
  Value where = deref(reference(target, frame));
  if (!isObjectReference(where)) throw ScriptException(-10006, "Can’t set " + describe(where) + " to " + describe(v) + ".");
  send(AppleEvent{"set", *where.as<SpecifierPtr>(), std::move(v), {}});
}

Value ScriptInterpreter::send(AppleEvent event) {
  double timeout = timeouts_.empty() ? defaultTimeout : timeouts_.back();
  return events_.send(event, timeout);
}

}  // namespace tidyframe::applescript
