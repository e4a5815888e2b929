#pragma once

#include "platform/process_runner.h"

namespace tidyframe {

// Runs a program with posix_spawn and collects everything it writes to standard output and
// standard error, through one pipe, in the order written. Standard input is /dev/null, so a
// tool that asks a question gets end of file instead of waiting on the caller's terminal; the
// environment is inherited. Holds no state: any number of threads may call it at once.
//
// Results:
// - the exit status of a program that exits;
// - 128 + the signal number for a program killed by a signal (the shells' convention, never 0);
// - -1 and the system's description of the error when the program cannot be started (missing,
//   not executable, not a program, or out of resources);
// - -1 and a text naming the program and the time-out when it has not exited and closed its
//   output by then. The program runs in its own process group, and that whole group is killed,
//   so nothing it started lingers holding the pipe.
class PosixProcessRunner final : public ProcessRunner {
 public:
  CommandResult command(const std::string& executable, const std::vector<std::string>& arguments,
                        double timeout) override;
};

}  // namespace tidyframe
