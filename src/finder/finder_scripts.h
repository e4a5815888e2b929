#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/finder_view_choice.h"

namespace tidyframe {

class ScriptReply;

// The AppleScript texts of every conversation with the Finder, and the literals they embed.
// Every text answers a list whose first item is a status word ("skip", "ok", "unchanged" or
// "error"). Pure: the fixed texts are built once, safely, and never change; any thread.
namespace FinderScripts {

// The AppleScript string literal of `text`: backslashes doubled, double quotes, line feeds and
// carriage returns escaped, so no text can end the literal early.
std::string quoted(std::string_view text);
// The AppleScript list literal of `texts`, each through `quoted`; "{}" when empty.
std::string list(std::span<const std::string_view> texts);
std::string list(std::span<const std::string> texts);

// Answers {"skip"} while the user is busy in the Finder (sheet, Go-to-folder window, modal
// dialog, focused text field or open menu) or the Finder is not frontmost; else runs on.
std::string_view guardUI();
// {"skip"}, or {URL of the front window's target, its id as text, its view as text}.
std::string_view query();
// Addresses the Finder and System Events, so a first run asks the user for consent.
std::string_view automationCheck();
std::string_view activate();
// The guard, then Command-Shift-period in the Finder unless it lost the front ({"skip"}), then
// {"ok"}.
std::string_view keepHidden();

// Arranges the front Finder window if it still shows `url` in window `windowID`: picks the
// group item titled in `groups` (a "None" title first keeps groups off) and the sort item
// titled in `sorts`, then with `hide` presses the hidden-files shortcut. Answers {"skip"}
// before anything was read, {"skip", oldGroup, oldSort} once the old titles were read,
// {"unchanged"|"ok", oldGroup, oldSort}, or {"error", oldGroup, oldSort, message, number}.
std::string apply(std::string_view url, std::string_view windowID, std::span<const std::string> groups,
                  std::span<const std::string> sorts, bool hide);

// Puts the front Finder window into `view` through the Finder's own scripting (no menu, so in
// any system language) if it still shows `url` in window `windowID`, after the same guard.
// Answers {"skip"} before anything was read, {"ok", oldView}, or {"error", oldView, message,
// number} with oldView the view text the window reported ("" when not read). For `keep`, which
// names no view, the script changes nothing and answers {"skip"}.
std::string setView(std::string_view url, std::string_view windowID, FinderViewChoice view);

}  // namespace FinderScripts

// A reply of FinderScripts::setView, read.
struct ViewChangeReply {
  enum class Status { skip, ok, error };
  Status status = Status::skip;
  // The view the window showed before ("icon view"); empty for a skip.
  std::string oldView = {};
  // For an error: the Finder's message (possibly empty) and number (-1 when none came).
  std::string errorMessage = {};
  std::int64_t errorNumber = -1;

  friend bool operator==(const ViewChangeReply&, const ViewChangeReply&) = default;
};

// Nothing for a reply of another form: no known status word, or an "ok" or "error" without
// the old view.
std::optional<ViewChangeReply> readViewChange(const ScriptReply& reply);

}  // namespace tidyframe
