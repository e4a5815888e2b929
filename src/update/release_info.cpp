#include "update/release_info.h"

#include <cmath>
#include <limits>

#include "model/json_fields.h"

namespace tidyframe {

namespace {

// A JSON number that is a whole number in range: 120 and 120.0 are, 120.5 is not.
std::optional<std::int64_t> wholeNumber(const Json* value) {
  if (!value) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto number = value->get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    return static_cast<std::int64_t>(number);
  }
  if (value->is_number_integer()) return value->get<std::int64_t>();
  if (!value->is_number_float()) return std::nullopt;
  // Within this range every double converts to a 64-bit integer without overflow.
  const double number = value->get<double>();
  if (!(std::abs(number) < 9.2e18) || number != std::trunc(number)) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

}  // namespace

bool ReleaseInfo::hasSecureDownload() const { return url.starts_with("https:"); }

std::optional<ReleaseInfo> decodeReleaseInfo(std::string_view body) {
  JsonReader reader(body);
  JsonFields fields(reader, {"version", "build", "url", "page"});
  if (!reader.finished()) return std::nullopt;
  ReleaseInfo release;
  release.version = fields.text("version");
  const auto build = wholeNumber(fields.member("build"));
  release.url = fields.text("url");
  release.page = fields.optionalText("page");
  if (fields.failed() || !build || release.url.empty()) return std::nullopt;
  release.build = *build;
  return release;
}

std::optional<ReleaseInfo> releaseFrom(const HttpsResponse& response) {
  if (response.failed() || response.status != 200 || response.body.empty()) return std::nullopt;
  return decodeReleaseInfo(response.body);
}

}  // namespace tidyframe
