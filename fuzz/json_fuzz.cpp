// The reader accepts exactly what nlohmann's parser accepts (within the depth limit and the
// range of a double, and without a NUL, which ends the text for nlohmann's lexer) and reads the
// same value; writing that value and reading it back gives it again, and writing is stable.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/json.h"
#include "fuzz_check.h"

namespace {

// Whether nlohmann's tree holds a number the reader refuses: one beyond a double.
bool holdsInfinity(const tidyframe::Json& value) {
  if (value.is_number_float()) return !std::isfinite(value.get<double>());
  if (!value.is_structured()) return false;
  for (const auto& item : value) {
    if (holdsInfinity(item)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tidyframe::Json;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto read = tidyframe::parseJson(text);
  const Json oracle = Json::parse(text.begin(), text.end(), nullptr, false);
  if (!read) {
    const bool tooDeep = read.error().find("deeply") != std::string::npos;
    const bool holdsNul = text.find('\0') != std::string_view::npos;
    FUZZ_CHECK(oracle.is_discarded() || tooDeep || holdsInfinity(oracle) || holdsNul);
    return 0;
  }
  FUZZ_CHECK(!oracle.is_discarded() && *read == oracle);
  const auto written = tidyframe::writeJson(*read);
  FUZZ_CHECK(written.has_value());
  const auto again = tidyframe::parseJson(*written);
  FUZZ_CHECK(again.has_value() && *again == *read);
  FUZZ_CHECK(tidyframe::writeJson(*again) == written);
  return 0;
}
