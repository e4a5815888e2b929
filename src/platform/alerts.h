#pragma once

#include <optional>
#include <string>
#include <utility>
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
  std::string message;  // the line above the file list; empty for none
  std::string prompt;  // the confirm button's title; empty for the system's own
  // Open panels: one folder instead of one file.
  bool choosesDirectories = false;

  // A save panel proposing `name`, limited to `types`.
  static FilePanelRequest save(std::string name, std::vector<std::string> types) {
    FilePanelRequest request;
    request.proposedName = std::move(name);
    request.allowedTypes = std::move(types);
    return request;
  }
  // An open panel for one file of `types`.
  static FilePanelRequest file(std::vector<std::string> types) {
    FilePanelRequest request;
    request.allowedTypes = std::move(types);
    return request;
  }
  // An open panel for one folder.
  static FilePanelRequest folder(std::string message, std::string prompt) {
    FilePanelRequest request;
    request.message = std::move(message);
    request.prompt = std::move(prompt);
    request.choosesDirectories = true;
    return request;
  }

  friend bool operator==(const FilePanelRequest&, const FilePanelRequest&) = default;
};

// Modal alerts and file panels. Called on the main queue; each call first brings this
// application to the front, ignoring other applications (an accessory application would
// otherwise show it behind the Finder), and returns when the user has answered.
class Alerts {
 public:
  static constexpr int firstButton = 1000;

  virtual ~Alerts() = default;
  virtual int runModal(const AlertRequest& request) = 0;
  // The chosen file path, or nothing when the user cancelled.
  virtual std::optional<std::string> runSavePanel(const FilePanelRequest& request) = 0;
  // The one chosen file or folder, or nothing when the user cancelled.
  virtual std::optional<std::string> runOpenPanel(const FilePanelRequest& request) = 0;
};

}  // namespace tidyframe
