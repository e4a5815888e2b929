#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tidyframe::applescript {

// An error as a script sees it: the number a `try` block can trap and the message it reads.
struct ScriptError {
  int number = -2700;
  std::string message;

  friend bool operator==(const ScriptError&, const ScriptError&) = default;
};

// Carries a ScriptError through the interpreter and the modeled applications.
class ScriptException : public std::exception {
 public:
  explicit ScriptException(ScriptError error) : error_(std::move(error)) {}
  ScriptException(int number, std::string message) : error_{number, std::move(message)} {}

  const ScriptError& error() const { return error_; }
  const char* what() const noexcept override { return error_.message.c_str(); }

 private:
  ScriptError error_;
};

struct Specifier;
struct Value;
using ValueList = std::vector<Value>;

struct MissingValue {
  friend bool operator==(MissingValue, MissingValue) = default;
};

// An enumerated constant such as `icon view` or `command down`; coerced to text it is its name.
struct Constant {
  std::string name;
  friend bool operator==(const Constant&, const Constant&) = default;
};

// What `repeat with x in aList` binds to x: a reference to one item of a local list, not the item.
// Comparing it with a value fails, as it does in AppleScript; `contents of x` gives the item.
struct ListItemRef {
  std::shared_ptr<const ValueList> list;
  std::size_t index = 0;  // zero-based
};

using SpecifierPtr = std::shared_ptr<const Specifier>;

// A script value. Construction is implicit on purpose, so that replies and test tables read as
// the literals a script would write.
struct Value {
  std::variant<MissingValue, bool, std::int64_t, double, std::string, ValueList, Constant,
               SpecifierPtr, ListItemRef>
      data;

  Value() = default;
  Value(MissingValue v) : data(v) {}
  Value(bool v) : data(v) {}
  Value(int v) : data(std::int64_t{v}) {}
  Value(std::int64_t v) : data(v) {}
  Value(double v) : data(v) {}
  Value(std::string v) : data(std::move(v)) {}
  Value(const char* v) : data(std::string(v)) {}
  Value(ValueList v) : data(std::move(v)) {}
  Value(Constant v) : data(std::move(v)) {}
  Value(SpecifierPtr v) : data(std::move(v)) {}
  Value(ListItemRef v) : data(std::move(v)) {}

  template <typename T>
  bool is() const {
    return std::holds_alternative<T>(data);
  }
  template <typename T>
  const T& as() const {
    return std::get<T>(data);
  }
  bool isMissing() const { return is<MissingValue>(); }
  bool isNumber() const { return is<std::int64_t>() || is<double>(); }
};

// How a `whose` clause compares an element's property with a value.
enum class CompareOp { equal, notEqual, greater, less, greaterEqual, lessEqual, in, notIn, contains,
                       notContains };

struct SpecStep;

// A `whose` test, evaluated by the application that owns the elements.
struct FilterTest {
  enum class Kind { compare, allOf, anyOf, negate };
  Kind kind = Kind::compare;
  // compare: the element's property path (steps relative to the element), op and operand.
  std::vector<SpecStep> path;
  CompareOp op = CompareOp::equal;
  std::vector<Value> operand;  // exactly one value for compare
  std::vector<FilterTest> parts;
};

// One step of an object specifier: an element (by index, name, id or all of them, optionally
// filtered) or a property.
struct SpecStep {
  enum class Kind { element, property };
  enum class Form { index, name, id, every };
  Kind kind = Kind::element;
  std::string term;  // singular class name or property name
  Form form = Form::every;
  Value key;  // index (integer, 1-based, negative from the end), name (text) or id
  std::shared_ptr<const FilterTest> test;

  static SpecStep property(std::string name);
  static SpecStep element(std::string cls, Form form, Value key = {});
};

// An object specifier: the path from an application to an object or property of it. An empty
// application name marks a path relative to the element a `whose` test examines.
struct Specifier {
  std::string application;
  std::vector<SpecStep> steps;

  SpecifierPtr with(SpecStep step) const;
};

SpecifierPtr makeSpecifier(std::string application, std::vector<SpecStep> steps = {});

// AppleScript's default text comparison: case ignored (Unicode case folding), diacritics,
// punctuation and white space considered, so "’" and "'" differ.
bool textEquals(std::string_view a, std::string_view b);
int textCompare(std::string_view a, std::string_view b);

// `=`: values of different classes are unequal, except that integers and reals compare by value.
bool scriptEquals(const Value& a, const Value& b);
// `a is in b` (`b contains a`): b a list (a coerced to a list, contiguous sublist match) or a text.
bool scriptContains(const Value& container, const Value& item);
// `>` and friends on two numbers or two texts; anything else cannot be compared (-1703).
int scriptOrder(const Value& a, const Value& b);
bool scriptCompare(CompareOp op, const Value& a, const Value& b);

bool truthValue(const Value& value);  // `if` and `not`: only booleans (-1700 otherwise)
double numberValue(const Value& value);  // numbers and numeric texts (-1700 otherwise)
std::string textValue(const Value& value);  // `as text`

// The value as AppleScript would write it in source: "a", {1, 2}, menu 1 of ..., missing value.
std::string describe(const Value& value);
std::string describe(const Specifier& specifier);
std::string describeSteps(const std::vector<SpecStep>& steps, std::size_t count);
std::string formatReal(double value);
// The finite number the whole of `text` spells in decimal, whatever the locale.
std::optional<double> readReal(std::string_view text);

}  // namespace tidyframe::applescript
