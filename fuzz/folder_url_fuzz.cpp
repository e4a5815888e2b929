// A path read from a URL survives the trip through its folder URL, and a folder URL reads
// back as a path.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/unicode.h"
#include "finder/finder_location.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto path = tidyframe::filePath(text)) {
    const auto url = tidyframe::folderURL(*path);
    FUZZ_CHECK(url.has_value());
    FUZZ_CHECK(tidyframe::filePath(*url) == path);
  }
  // Any absolute UTF-8 path gets a URL that reads as a path again.
  if (!tidyframe::unicode::isValidUtf8(text)) return 0;
  if (const auto url = tidyframe::folderURL(text)) FUZZ_CHECK(tidyframe::filePath(*url).has_value());
  return 0;
}
