#pragma once

#include <expected>
#include <memory>
#include <string_view>

#include "sim/applescript/script_syntax.h"
#include "sim/applescript/script_value.h"

namespace tidyframe::applescript {

// Compiles a script text into its syntax tree. Terms of the Finder's and System Events'
// dictionaries (`menu bar item`, `Finder window`, `current view`, `key code`, ...) are known to
// the parser as they are to AppleScript's compiler: a term only one of them defines is a term
// only inside a tell block addressed to that application by name; elsewhere its words are plain
// identifiers, so `Finder window` inside a System Events block fails to compile. A text that
// does not parse yields error -2741 ("Expected … but found …") or -2740 ("A … can’t go after
// this …"); nothing of such a text runs.
std::expected<std::shared_ptr<const ScriptProgram>, ScriptError> compileScript(std::string_view source);

}  // namespace tidyframe::applescript
