#pragma once

#include <string>
#include <vector>

namespace tidyframe {

struct CommandResult {
  // The termination status; -1 when the program could not be started.
  int status = -1;
  // Standard output and standard error as one text, in the order written; empty when the
  // bytes are not valid UTF-8. When the program could not be started: why.
  std::string output;

  friend bool operator==(const CommandResult&, const CommandResult&) = default;
};

// Runs command-line tools (launchctl). Blocking; called on the engine's environment queue.
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  virtual CommandResult command(const std::string& executable, const std::vector<std::string>& arguments) = 0;
};

}  // namespace tidyframe
