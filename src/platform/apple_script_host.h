#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidyframe {

// One item of a script's reply list as the host reads it: its coercion to text and to a
// 32-bit integer, each absent when the item does not coerce (a nested list, an object
// reference, a text such as "abc" read as a number).
struct ScriptReplyItem {
  std::optional<std::string> text;
  std::optional<std::int32_t> int32;

  friend bool operator==(const ScriptReplyItem&, const ScriptReplyItem&) = default;
};

// The result of a script that ran to its end, read as a list. A result that is not a list
// (true, a name) reads as an empty list. Items are counted from 1, as AppleScript does.
class ScriptReply {
 public:
  ScriptReply() = default;
  explicit ScriptReply(std::vector<ScriptReplyItem> items) : items_(std::move(items)) {}

  std::size_t count() const { return items_.size(); }
  // Nothing when `index` is outside 1...count() or the item is not text.
  std::optional<std::string> text(std::size_t index) const {
    const ScriptReplyItem* found = item(index);
    return found ? found->text : std::nullopt;
  }
  // Nothing when `index` is outside 1...count() or the item is not a number.
  std::optional<std::int32_t> int32(std::size_t index) const {
    const ScriptReplyItem* found = item(index);
    return found ? found->int32 : std::nullopt;
  }
  const std::vector<ScriptReplyItem>& items() const { return items_; }

  friend bool operator==(const ScriptReply&, const ScriptReply&) = default;

 private:
  const ScriptReplyItem* item(std::size_t index) const {
    return index >= 1 && index <= items_.size() ? &items_[index - 1] : nullptr;
  }
  std::vector<ScriptReplyItem> items_;
};

// The error information of a run that did not complete: a compile error, an error the script
// raised and did not trap, or an Apple event that failed (time-out, refused permission, an
// application that is not running).
struct ScriptError {
  // The AppleScript or Apple-event error number; absent when the host reported none.
  std::optional<std::int64_t> number;
  // The error text; absent when the host reported none.
  std::optional<std::string> message;
  // The whole error information as the host describes it, for the system log only.
  std::string description;

  friend bool operator==(const ScriptError&, const ScriptError&) = default;
};

// A script object made from one source text. The text is compiled at most once, at the first
// execute; later executes reuse the compiled form. Not thread-safe: one queue uses it.
class CompiledScript {
 public:
  virtual ~CompiledScript() = default;
  // Runs the script to its end and blocks until then; every Apple event it sends is bounded
  // by the script's own time limits. A text that does not compile fails here with the
  // compiler's error (for example -2740 or -2741) and runs nothing.
  virtual std::expected<ScriptReply, ScriptError> execute() = 0;
  // Compiles the text without running it, so the next execute starts at once; the compiler's
  // error when it does not compile. Sends no Apple event.
  virtual std::expected<void, ScriptError> compileOnly() = 0;
};

// Makes script objects from AppleScript source. Called only on the engine's script queue.
class AppleScriptHost {
 public:
  virtual ~AppleScriptHost() = default;
  // A script object for `source`, not yet compiled. Null only when the host cannot make a
  // script object at all; a text with a syntax error still gives an object whose execute fails.
  virtual std::unique_ptr<CompiledScript> compile(std::string_view source) = 0;
};

}  // namespace tidyframe
