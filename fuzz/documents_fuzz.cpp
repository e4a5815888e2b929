// Each stored document: whatever reads as a value writes a document that reads back as the
// same value; and the layout archive's fast reader, which a launch uses, reads what the
// general one reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/json_reader.h"
#include "fuzz_check.h"
#include "model/settings_document.h"
#include "storage/activity_entry.h"
#include "storage/finder_layout_archive.h"

namespace {

template <class T>
void roundTrip(std::string_view text) {
  const auto value = tidyframe::decodeJson<T>(text);
  if (!value) return;
  const auto written = tidyframe::writeJson(toJson(*value));
  FUZZ_CHECK(written.has_value());
  FUZZ_CHECK(tidyframe::decodeJson<T>(*written) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  roundTrip<tidyframe::Preferences>(text);
  roundTrip<tidyframe::FinderLayoutArchive>(text);
  FUZZ_CHECK(tidyframe::decodeArchive(std::string(text)) == tidyframe::decodeJson<tidyframe::FinderLayoutArchive>(text));
  roundTrip<std::vector<tidyframe::ActivityEntry>>(text);
  return 0;
}
