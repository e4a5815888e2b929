#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

// mkdtemp: glibc declares it in <stdlib.h>, macOS in <unistd.h>.
#include <stdlib.h>
#include <unistd.h>

namespace tidyframe {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tidyframe-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Every name in the folder, hidden ones included, so left-over temporary files show.
  std::set<std::string> names() const { return namesIn(path_); }

  static std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> result;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) result.insert(entry.path().filename());
    return result;
  }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }

  std::string contents(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tidyframe
