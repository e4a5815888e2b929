#pragma once

#include <optional>
#include <string>

namespace tidyframe {

// The text of a folder's file URL exactly as the system writes it, which is the text the
// Finder answers as the URL of a window's target: a script that compares the two as text
// then finds the window. Called on the main queue.
class FolderURLText {
 public:
  virtual ~FolderURLText() = default;
  // "file://", the percent-encoded absolute path and a final "/"; nothing for a path that is
  // empty, relative or holds a NUL.
  virtual std::optional<std::string> directoryURL(const std::string& path) const = 0;
};

}  // namespace tidyframe
