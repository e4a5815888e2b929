#pragma once

#include <string>

#include "sim/applescript/script_value.h"

namespace tidyframe::applescript {

// One Apple event as the interpreter sends it: a verb ("get", "count", "exists", "click",
// "perform", "key code", "keystroke", "activate", "set") addressed to `target.application`, with the
// target as its direct object and the command's parameters.
struct AppleEvent {
  std::string verb;
  Specifier target;
  Value parameter;  // the key code, keystroke text or value to set
  Value modifiers;  // the `using` list
};

// Where the interpreter's Apple events go. The owner decides how long an application takes to
// answer and whether it answers at all.
class AppleEventTarget {
 public:
  virtual ~AppleEventTarget() = default;

  // Answers the reply of `event`'s application, or throws its ScriptException. `timeout` bounds
  // the wait for the answer: a later answer raises -1712, though the event may still take
  // effect, as it does on a Mac.
  virtual Value send(const AppleEvent& event, double timeout) = 0;
};

}  // namespace tidyframe::applescript
