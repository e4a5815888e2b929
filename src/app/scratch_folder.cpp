#include "app/scratch_folder.h"

// mkdtemp: glibc declares it in <stdlib.h>, macOS in <unistd.h>.
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace tidyframe {

ScratchFolder::ScratchFolder(std::string_view prefix) {
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / (std::string(prefix) + "XXXXXX")).string();
  if (!error && ::mkdtemp(pattern.data())) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace tidyframe
