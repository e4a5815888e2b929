// A table read from valid UTF-8 holds only valid UTF-8, and no key holds a NUL.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/unicode.h"
#include "fuzz_check.h"
#include "i18n/string_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto table = tidyframe::StringTable::parse(text);
  if (!table || !tidyframe::unicode::isValidUtf8(text)) return 0;
  for (const auto& [key, value] : table->entries()) {
    FUZZ_CHECK(tidyframe::unicode::isValidUtf8(key) && tidyframe::unicode::isValidUtf8(value));
    FUZZ_CHECK(key.find('\0') == std::string::npos);
  }
  return 0;
}
