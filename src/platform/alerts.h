#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tidyframe {

// What a button means beyond its title: an ordinary one, the one that cancels (Escape answers
// it), or one that destroys something (drawn as such, and never answered by Return).
enum class AlertButtonRole { standard, cancel, destructive };

struct AlertButton {
  // Implicit, so a list of titles is a list of ordinary buttons.
  AlertButton(std::string text, AlertButtonRole kind = AlertButtonRole::standard)
      : title(std::move(text)), role(kind) {}
  AlertButton(const char* text) : title(text), role(AlertButtonRole::standard) {}
  static AlertButton cancel(std::string text) { return {std::move(text), AlertButtonRole::cancel}; }
  static AlertButton destructive(std::string text) { return {std::move(text), AlertButtonRole::destructive}; }

  std::string title;
  AlertButtonRole role;

  friend bool operator==(const AlertButton&, const AlertButton&) = default;
};

struct AlertRequest {
  std::string message;
  std::string informative;
  // In order; the first answers firstButton, the next firstButton + 1, ... whatever their roles.
  std::vector<AlertButton> buttons;

  // The button Escape answers: the one marked to cancel, else the last.
  std::optional<std::size_t> cancelButton() const {
    for (std::size_t index = 0; index < buttons.size(); ++index) {
      if (buttons[index].role == AlertButtonRole::cancel) return index;
    }
    if (buttons.empty()) return std::nullopt;
    return buttons.size() - 1;
  }
  // The button Return answers: the first, unless a button is destructive; then the cancelling
  // one, so a key pressed out of habit never destroys anything.
  std::optional<std::size_t> defaultButton() const {
    if (buttons.empty()) return std::nullopt;
    const bool destructive = std::ranges::any_of(
        buttons, [](const AlertButton& button) { return button.role == AlertButtonRole::destructive; });
    return destructive ? cancelButton() : std::optional<std::size_t>(0);
  }

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
