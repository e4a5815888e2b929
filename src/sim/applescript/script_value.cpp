#include "sim/applescript/script_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fast_float/fast_float.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace tidyframe::applescript {

namespace {

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-folded and composed, so that a decomposed accent equals its composed twin.
icu::UnicodeString folded(std::string_view text) {
  auto s = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  s.foldCase();
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return s;
  icu::UnicodeString composed = nfc->normalize(s, status);
  return U_SUCCESS(status) ? composed : s;
}

std::string quotedText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

[[noreturn]] void cannotMake(const Value& value, std::string_view type) {
  throw ScriptException(-1700, "Can’t make " + describe(value) + " into type " + std::string(type) + ".");
}

const char* opText(CompareOp op) {
  switch (op) {
    case CompareOp::equal: return "=";
    case CompareOp::notEqual: return "≠";
    case CompareOp::greater: return ">";
    case CompareOp::less: return "<";
    case CompareOp::greaterEqual: return "≥";
    case CompareOp::lessEqual: return "≤";
    case CompareOp::in: return "is in";
    case CompareOp::notIn: return "is not in";
    case CompareOp::contains: return "contains";
    case CompareOp::notContains: return "does not contain";
  }
  return "=";
}

std::string describeTest(const FilterTest& test) {
  switch (test.kind) {
    case FilterTest::Kind::compare:
      return describeSteps(test.path, test.path.size()) + " " + opText(test.op) + " " +
             describe(test.operand.front());
    case FilterTest::Kind::negate:
      return "not (" + describeTest(test.parts.front()) + ")";
    case FilterTest::Kind::allOf:
    case FilterTest::Kind::anyOf: {
      std::string joiner = test.kind == FilterTest::Kind::allOf ? " and " : " or ";
      std::string out;
      for (const auto& part : test.parts) out += (out.empty() ? "" : joiner) + describeTest(part);
      return out;
    }
  }
  return {};
}

std::string describeStep(const SpecStep& step) {
  if (step.kind == SpecStep::Kind::property) return step.term;
  std::string out;
  switch (step.form) {
    case SpecStep::Form::index: out = step.term + " " + describe(step.key); break;
    case SpecStep::Form::name: out = step.term + " " + describe(step.key); break;
    case SpecStep::Form::id: out = step.term + " id " + describe(step.key); break;
    case SpecStep::Form::every: out = "every " + step.term; break;
  }
  if (step.test) out += " whose " + describeTest(*step.test);
  return out;
}

bool sublistAt(const ValueList& list, const ValueList& part, std::size_t start) {
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (!scriptEquals(list[start + i], part[i])) return false;
  }
  return true;
}

}  // namespace

SpecStep SpecStep::property(std::string name) {
  SpecStep step;
  step.kind = Kind::property;
  step.term = std::move(name);
  return step;
}

SpecStep SpecStep::element(std::string cls, Form form, Value key) {
  SpecStep step;
  step.term = std::move(cls);
  step.form = form;
  step.key = std::move(key);
  return step;
}

SpecifierPtr Specifier::with(SpecStep step) const {
  auto copy = std::make_shared<Specifier>(*this);
  copy->steps.push_back(std::move(step));
  return copy;
}

SpecifierPtr makeSpecifier(std::string application, std::vector<SpecStep> steps) {
  return std::make_shared<const Specifier>(Specifier{std::move(application), std::move(steps)});
}

bool textEquals(std::string_view a, std::string_view b) {
  bool asciiA = isAscii(a);
  bool asciiB = isAscii(b);
  if (asciiA && asciiB) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
  }
  // Only the Kelvin sign and the long s fold into ASCII letters, so any other non-ASCII text
  // differs from every ASCII text without asking ICU.
  if (asciiA != asciiB) {
    std::string_view other = asciiA ? b : a;
    if (other.find("\u212A") == std::string_view::npos && other.find("\u017F") == std::string_view::npos) return false;
  }
  return folded(a) == folded(b);
}

int textCompare(std::string_view a, std::string_view b) {
  if (isAscii(a) && isAscii(b)) {
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
      char x = lowerAscii(a[i]);
      char y = lowerAscii(b[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  int8_t order = folded(a).compare(folded(b));
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool scriptEquals(const Value& a, const Value& b) {
  if (a.isNumber() && b.isNumber()) return numberValue(a) == numberValue(b);
  if (a.data.index() != b.data.index()) return false;
  if (a.is<std::string>()) return textEquals(a.as<std::string>(), b.as<std::string>());
  if (a.is<ValueList>()) {
    const auto& x = a.as<ValueList>();
    const auto& y = b.as<ValueList>();
    return x.size() == y.size() && sublistAt(x, y, 0);
  }
  if (a.is<SpecifierPtr>()) return describe(a) == describe(b);
  if (a.is<ListItemRef>()) {
    return a.as<ListItemRef>().list == b.as<ListItemRef>().list &&
           a.as<ListItemRef>().index == b.as<ListItemRef>().index;
  }
  if (a.is<bool>()) return a.as<bool>() == b.as<bool>();
  if (a.is<Constant>()) return a.as<Constant>() == b.as<Constant>();
  return true;  // missing value
}

bool scriptContains(const Value& container, const Value& item) {
  if (container.is<std::string>()) {
    if (!item.is<std::string>()) return false;
    const auto& text = container.as<std::string>();
    const auto& part = item.as<std::string>();
    if (part.empty()) return true;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
      if (textEquals(std::string_view(text).substr(i, part.size()), part)) return true;
    }
    return false;
  }
  if (!container.is<ValueList>()) return scriptEquals(container, item);
  const auto& list = container.as<ValueList>();
  ValueList part = item.is<ValueList>() ? item.as<ValueList>() : ValueList{item};
  if (part.empty()) return true;
  for (std::size_t start = 0; start + part.size() <= list.size(); ++start) {
    if (sublistAt(list, part, start)) return true;
  }
  return false;
}

int scriptOrder(const Value& a, const Value& b) {
  if (a.isNumber() && b.isNumber()) {
    double x = numberValue(a);
    double y = numberValue(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (a.is<std::string>() && b.is<std::string>()) {
    return textCompare(a.as<std::string>(), b.as<std::string>());
  }
  throw ScriptException(-1703, "Can’t compare " + describe(a) + " with " + describe(b) + ".");
}

bool scriptCompare(CompareOp op, const Value& a, const Value& b) {
  switch (op) {
    case CompareOp::equal: return scriptEquals(a, b);
    case CompareOp::notEqual: return !scriptEquals(a, b);
    case CompareOp::greater: return scriptOrder(a, b) > 0;
    case CompareOp::less: return scriptOrder(a, b) < 0;
    case CompareOp::greaterEqual: return scriptOrder(a, b) >= 0;
    case CompareOp::lessEqual: return scriptOrder(a, b) <= 0;
    case CompareOp::in: return scriptContains(b, a);
    case CompareOp::notIn: return !scriptContains(b, a);
    case CompareOp::contains: return scriptContains(a, b);
    case CompareOp::notContains: return !scriptContains(a, b);
  }
  return false;
}

bool truthValue(const Value& value) {
  if (value.is<bool>()) return value.as<bool>();
  if (value.is<std::string>()) {
    if (textEquals(value.as<std::string>(), "true")) return true;
    if (textEquals(value.as<std::string>(), "false")) return false;
  }
  cannotMake(value, "boolean");
}

double numberValue(const Value& value) {
  if (value.is<std::int64_t>()) return static_cast<double>(value.as<std::int64_t>());
  if (value.is<double>()) return value.as<double>();
  if (value.is<std::string>()) {
    if (auto number = readReal(value.as<std::string>())) return *number;
  }
  cannotMake(value, "number");
}

std::string formatReal(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, ec == std::errc() ? end : buffer);
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return text;
}

// fast_float rather than std::from_chars, which Apple's libc++ lacks for floating point. Some of
// its versions answer a number beyond a double with infinity instead of an error.
std::optional<double> readReal(std::string_view text) {
  double value = 0;
  const auto [end, ec] = fast_float::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string textValue(const Value& value) {
  if (value.is<std::string>()) return value.as<std::string>();
  if (value.is<std::int64_t>()) return std::to_string(value.as<std::int64_t>());
  if (value.is<double>()) return formatReal(value.as<double>());
  if (value.is<bool>()) return value.as<bool>() ? "true" : "false";
  if (value.is<Constant>()) return value.as<Constant>().name;
  if (value.isMissing()) return "missing value";
  if (value.is<ValueList>()) {
    std::string out;
    for (const auto& item : value.as<ValueList>()) out += textValue(item);
    return out;
  }
  cannotMake(value, "text");
}

std::string describeSteps(const std::vector<SpecStep>& steps, std::size_t count) {
  std::string out;
  for (std::size_t i = count; i-- > 0;) {
    out += (out.empty() ? "" : " of ") + describeStep(steps[i]);
  }
  return out;
}

std::string describe(const Specifier& specifier) {
  if (specifier.steps.empty()) return "application " + quotedText(specifier.application);
  return describeSteps(specifier.steps, specifier.steps.size());
}

std::string describe(const Value& value) {
  if (value.is<std::string>()) return quotedText(value.as<std::string>());
  if (value.is<SpecifierPtr>()) return describe(*value.as<SpecifierPtr>());
  if (value.is<ListItemRef>()) {
    const auto& ref = value.as<ListItemRef>();
    return "item " + std::to_string(ref.index + 1) + " of " + describe(Value(*ref.list));
  }
  if (value.is<ValueList>()) {
    std::string out;
    for (const auto& item : value.as<ValueList>()) out += (out.empty() ? "" : ", ") + describe(item);
    return "{" + out + "}";
  }
  return textValue(value);
}

}  // namespace tidyframe::applescript
