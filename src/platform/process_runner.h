#pragma once

#include <string>
#include <vector>

namespace tidyframe {

struct CommandResult {
  // The termination status; -1 when the program could not be started or did not finish in time.
  int status = -1;
  // Standard output and standard error as one text, in the order written; empty when the
  // bytes are not valid UTF-8. When the program could not be started or finish: why.
  std::string output;

  friend bool operator==(const CommandResult&, const CommandResult&) = default;
};

// Runs command-line tools (launchctl). Blocking, for at most `timeout` seconds: a tool that
// hangs must not hold the engine's environment queue, and every permission check behind it,
// for good. Called on that queue.
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  virtual CommandResult command(const std::string& executable, const std::vector<std::string>& arguments,
                                double timeout) = 0;
};

}  // namespace tidyframe
