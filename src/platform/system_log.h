#pragma once

#include <string_view>

namespace tidyframe {

// The system's log, for failures a developer may need after the fact. Never blocks for long;
// may be called from any thread.
class SystemLog {
 public:
  virtual ~SystemLog() = default;
  // Writes one line at error level, readable in full (not redacted).
  virtual void error(std::string_view line) = 0;
};

}  // namespace tidyframe
