#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tidyframe {

struct AlertRequest {
  std::string message;
  std::string informative;
  // Titles in order; the first answers firstButton, the next firstButton + 1, ...
  std::vector<std::string> buttons;

  friend bool operator==(const AlertRequest&, const AlertRequest&) = default;
};

struct FilePanelRequest {
  std::string proposedName;  // save panels only
  std::vector<std::string> allowedTypes;  // e.g. "json"

  friend bool operator==(const FilePanelRequest&, const FilePanelRequest&) = default;
};

// Modal alerts and file panels. Called on the main queue; each call returns when the user has
// answered.
class Alerts {
 public:
  static constexpr int firstButton = 1000;

  virtual ~Alerts() = default;
  virtual int runModal(const AlertRequest& request) = 0;
  // The chosen file path, or nothing when the user cancelled.
  virtual std::optional<std::string> runSavePanel(const FilePanelRequest& request) = 0;
  virtual std::optional<std::string> runOpenPanel(const FilePanelRequest& request) = 0;
};

}  // namespace tidyframe
