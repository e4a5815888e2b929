#pragma once

#include <filesystem>
#include <string_view>

namespace tidyframe {

// A fresh folder under the system's temporary folder, removed again with everything in it.
class ScratchFolder {
 public:
  // `prefix` starts the folder's name; a random suffix makes it unique.
  explicit ScratchFolder(std::string_view prefix);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Empty when no folder could be made.
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tidyframe
