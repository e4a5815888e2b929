#pragma once

#include <string>

namespace tidyframe {

// The running operating system as people name it: "macOS" and "Version 14.5 (Build 23F79)",
// or "Debian GNU/Linux" and "12 (bookworm)". Either may be empty when the system does not say.
struct OperatingSystemVersion {
  std::string name;
  std::string version;

  friend bool operator==(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

// Facts about the running system, read once. May be called from any thread.
class SystemInformation {
 public:
  virtual ~SystemInformation() = default;
  virtual OperatingSystemVersion operatingSystem() const = 0;
};

}  // namespace tidyframe
