#include <os/log.h>

#include <string>

#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

class MacSystemLog final : public SystemLog {
 public:
  // Public, so the line is readable in the log and not redacted as private data.
  void error(std::string_view line) override {
    const std::string text(line);
    os_log_error(OS_LOG_DEFAULT, "%{public}s", text.c_str());
  }
};

}  // namespace

std::unique_ptr<SystemLog> makeMacSystemLog() { return std::make_unique<MacSystemLog>(); }

}  // namespace tidyframe
