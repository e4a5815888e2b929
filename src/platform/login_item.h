#pragma once

#include <optional>
#include <string>

namespace tidyframe {

// The application's own login item (the main-app service of ServiceManagement).
enum class LoginItemStatus { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

// Called on the main queue. register/unregister answer nothing on success, else the error's
// localized description.
class LoginItem {
 public:
  virtual ~LoginItem() = default;
  virtual LoginItemStatus status() const = 0;
  virtual std::optional<std::string> registerItem() = 0;
  virtual std::optional<std::string> unregisterItem() = 0;
};

}  // namespace tidyframe
