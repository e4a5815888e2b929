// Bytes survive encoding, and a text that decodes is the one encoding of its bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/base64.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tidyframe::Bytes bytes(data, data + size);
  FUZZ_CHECK(tidyframe::base64Decode(tidyframe::base64Encode(bytes)) == bytes);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto decoded = tidyframe::base64Decode(text)) FUZZ_CHECK(tidyframe::base64Encode(*decoded) == text);
  return 0;
}
