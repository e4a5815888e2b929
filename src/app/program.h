#pragma once

#include <functional>
#include <ostream>

namespace tidyframe {

// The program: "--self-test" runs the self-check and nothing else (no icon, no engine, no
// timer), "--demo" the tour, anything else valid the application. `nativeCheck`, when given,
// adds a look at the native services to the self-check unless "--simulated" was asked for.
// Answers the exit status.
int runProgram(int argc, char** argv, std::ostream& out,
               const std::function<bool(std::ostream&)>& nativeCheck = nullptr);

}  // namespace tidyframe
