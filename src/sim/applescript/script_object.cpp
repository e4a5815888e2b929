#include "sim/applescript/script_object.h"

namespace tidyframe::applescript {

namespace {

[[noreturn]] void cannotGet(const Specifier& spec, std::size_t steps, bool invalidIndex) {
  std::string text = "Can’t get " + describeSteps(spec.steps, steps) + ".";
  if (invalidIndex) throw ScriptException(-1719, text + " Invalid index.");
  throw ScriptException(-1728, text);
}

bool passes(const ScriptObjectPtr& candidate, const FilterTest& test) {
  switch (test.kind) {
    case FilterTest::Kind::allOf:
      for (const auto& part : test.parts) {
        if (!passes(candidate, part)) return false;
      }
      return true;
    case FilterTest::Kind::anyOf:
      for (const auto& part : test.parts) {
        if (passes(candidate, part)) return true;
      }
      return false;
    case FilterTest::Kind::negate: return !passes(candidate, test.parts.front());
    case FilterTest::Kind::compare: break;
  }
  // An element that lacks the tested property simply does not match.
  try {
    Value actual = replyValue(resolveSpecifier(candidate, Specifier{"", test.path}));
    return scriptCompare(test.op, actual, test.operand.front());
  } catch (const ScriptException&) {
    return false;
  }
}

std::vector<ScriptObjectPtr> candidatesFor(const ScriptObjectPtr& object, const SpecStep& step) {
  auto all = object->elements(step.term);
  if (!step.test) return all;
  std::vector<ScriptObjectPtr> kept;
  for (auto& element : all) {
    if (passes(element, *step.test)) kept.push_back(std::move(element));
  }
  return kept;
}

ScriptObjectPtr byName(const ScriptObjectPtr& object, const SpecStep& step, const std::string& name) {
  if (!step.test) return object->element(step.term, name);
  for (auto& element : candidatesFor(object, step)) {
    auto n = element->property("name");
    if (n && std::holds_alternative<Value>(*n) && std::get<Value>(*n).is<std::string>() &&
        textEquals(std::get<Value>(*n).as<std::string>(), name)) {
      return element;
    }
  }
  return nullptr;
}

ScriptObjectPtr byId(const ScriptObjectPtr& object, const SpecStep& step) {
  for (auto& element : candidatesFor(object, step)) {
    auto id = element->property("id");
    if (id && std::holds_alternative<Value>(*id) && scriptEquals(std::get<Value>(*id), step.key)) {
      return element;
    }
  }
  return nullptr;
}

// The elements one element step picks out of `object`.
std::vector<ScriptObjectPtr> pick(const ScriptObjectPtr& object, const SpecStep& step, const Specifier& spec,
                                  std::size_t depth) {
  bool named = step.form == SpecStep::Form::name || step.key.is<std::string>();
  if (step.form != SpecStep::Form::every && step.form != SpecStep::Form::id && named) {
    auto found = byName(object, step, textValue(step.key));
    if (!found) cannotGet(spec, depth, false);
    return {found};
  }
  if (step.form == SpecStep::Form::id) {
    auto found = byId(object, step);
    if (!found) cannotGet(spec, depth, false);
    return {found};
  }
  auto candidates = candidatesFor(object, step);
  if (step.form == SpecStep::Form::every) return candidates;
  auto index = static_cast<std::int64_t>(numberValue(step.key));
  auto size = static_cast<std::int64_t>(candidates.size());
  if (index == 0 || index > size || -index > size) cannotGet(spec, depth, true);
  return {candidates[static_cast<std::size_t>(index > 0 ? index - 1 : size + index)]};
}

}  // namespace

ScriptObjectPtr ScriptObject::element(std::string_view cls, std::string_view name) const {
  for (auto& candidate : elements(cls)) {
    auto n = candidate->property("name");
    if (n && std::holds_alternative<Value>(*n) && std::get<Value>(*n).is<std::string>() &&
        textEquals(std::get<Value>(*n).as<std::string>(), name)) {
      return candidate;
    }
  }
  return nullptr;
}

Resolution resolveSpecifier(const ScriptObjectPtr& root, const Specifier& spec) {
  Resolution current{{root}, false};
  for (std::size_t k = 0; k < spec.steps.size(); ++k) {
    const SpecStep& step = spec.steps[k];
    Resolution next{{}, current.plural || (step.kind == SpecStep::Kind::element && step.form == SpecStep::Form::every)};
    for (const auto& item : current.items) {
      if (!std::holds_alternative<ScriptObjectPtr>(item)) cannotGet(spec, k + 1, false);
      const auto& object = std::get<ScriptObjectPtr>(item);
      if (step.kind == SpecStep::Kind::property) {
        auto value = object->property(step.term);
        if (!value) cannotGet(spec, k + 1, false);
        next.items.push_back(std::move(*value));
        continue;
      }
      for (auto& element : pick(object, step, spec, k + 1)) next.items.emplace_back(std::move(element));
    }
    current = std::move(next);
  }
  return current;
}

Value replyValue(const Resolution& resolution) {
  auto one = [](const PropertyValue& item) -> Value {
    if (std::holds_alternative<Value>(item)) return std::get<Value>(item);
    const auto& object = std::get<ScriptObjectPtr>(item);
    if (!object) return MissingValue{};
    return std::make_shared<const Specifier>(object->specifier());
  };
  if (!resolution.plural) return resolution.items.empty() ? Value{MissingValue{}} : one(resolution.items.front());
  ValueList list;
  for (const auto& item : resolution.items) list.push_back(one(item));
  return list;
}

std::optional<Value> answerObjectEvent(const ScriptObjectPtr& root, const AppleEvent& event) {
  if (event.verb == "get") return replyValue(resolveSpecifier(root, event.target));
  if (event.verb == "exists") {
    try {
      auto resolution = resolveSpecifier(root, event.target);
      return !resolution.plural || !resolution.items.empty();
    } catch (const ScriptException& e) {
      if (e.error().number == -1728 || e.error().number == -1719) return false;
      throw;
    }
  }
  if (event.verb != "count") return std::nullopt;
  auto resolution = resolveSpecifier(root, event.target);
  if (resolution.plural) return static_cast<std::int64_t>(resolution.items.size());
  Value single = replyValue(resolution);
  if (single.is<ValueList>()) return static_cast<std::int64_t>(single.as<ValueList>().size());
  return std::int64_t{1};
}

}  // namespace tidyframe::applescript
