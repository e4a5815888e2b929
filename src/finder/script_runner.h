#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/apple_script_host.h"

namespace tidyframe {

class L;
class SystemLog;

// Why a Finder script did not complete: the AppleScript or Apple-event error number (-1 when
// none is known) and a non-empty message for the user.
struct ScriptFailure {
  std::int64_t code = -1;
  std::string message;

  friend bool operator==(const ScriptFailure&, const ScriptFailure&) = default;
};

using ScriptResult = std::expected<ScriptReply, ScriptFailure>;

// Runs Finder scripts and logs their failures. The four fixed texts the engine sends again and
// again (query, automation check, activation, keep-hidden) are compiled once and kept for the
// runner's life; every other text is compiled and run afresh. A reply of any status word is a
// success; only errors that escape the script are failures.
//
// Owns the compiled scripts; borrows the host, the log and the lookup, which must outlive it.
// Not thread-safe: called only on the engine's script queue. The application has one runner.
class ScriptRunner {
 public:
  ScriptRunner(AppleScriptHost& host, SystemLog& log, const L& l);
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Blocks until the script ends. A failure that comes from running writes one line
  // "Tidyframe <label> error: <description>" to the system log.
  ScriptResult run(std::string_view source);

  // How many compiled scripts are kept (never more than four).
  std::size_t reusableCount() const { return reusableScripts_.size(); }

 private:
  ScriptFailure failure(std::string_view source, const ScriptError& error);

  AppleScriptHost& host_;
  SystemLog& log_;
  const L& l_;
  std::map<std::string, std::unique_ptr<CompiledScript>, std::less<>> reusableScripts_;
};

}  // namespace tidyframe
