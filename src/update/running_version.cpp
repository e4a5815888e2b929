#include "update/running_version.h"

#include <charconv>

namespace tidyframe {

RunningVersion RunningVersion::parse(std::string_view version, std::string_view build) {
  // One sign at most: "+-5" is not a number.
  if (build.starts_with('+') && !build.starts_with("+-")) build.remove_prefix(1);
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(build.data(), build.data() + build.size(), number);
  const bool whole = error == std::errc() && end == build.data() + build.size();
  return {std::string(version), whole ? number : 0};
}

RunningVersion RunningVersion::ofThisBuild() { return parse(TIDYFRAME_VERSION, TIDYFRAME_BUILD_NUMBER); }

std::string_view updateFeedURL() { return TIDYFRAME_UPDATE_FEED_URL; }

}  // namespace tidyframe
