#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/applescript/apple_event.h"
#include "sim/applescript/script_value.h"

namespace tidyframe::applescript {

class ScriptObject;
using ScriptObjectPtr = std::shared_ptr<const ScriptObject>;
// A property holds a plain value or another object (a window's target folder, a process's
// focused element).
using PropertyValue = std::variant<Value, ScriptObjectPtr>;

// An object of a modeled application's object model: its elements by class, its properties and
// the specifier by which the application names it in replies.
class ScriptObject {
 public:
  virtual ~ScriptObject() = default;

  virtual Specifier specifier() const = 0;
  // Elements of one class, in order; empty when there are none or the class is unknown here.
  virtual std::vector<ScriptObjectPtr> elements(std::string_view cls) const = 0;
  // nullopt when the object has no such property.
  virtual std::optional<PropertyValue> property(std::string_view name) const = 0;
  // The element of `cls` whose name is `name` (text comparison as in scripts), or null.
  virtual ScriptObjectPtr element(std::string_view cls, std::string_view name) const;
};

// What a specifier designates: one object or value, or the list that an `every` step gives.
struct Resolution {
  std::vector<PropertyValue> items;
  bool plural = false;
};

// Follows `spec`'s steps from `root` (the application object). An element asked for by a name or
// id that does not exist throws -1728; an index past the end, or a filter that matches nothing
// where one element is asked for, throws -1719.
Resolution resolveSpecifier(const ScriptObjectPtr& root, const Specifier& spec);

// The reply to "get": values as they are, objects as their specifiers, a list when plural.
Value replyValue(const Resolution& resolution);

// The object-model part of every application: "get", "count" and "exists". Answers nullopt for
// any other verb.
std::optional<Value> answerObjectEvent(const ScriptObjectPtr& root, const AppleEvent& event);

}  // namespace tidyframe::applescript
