#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/https_client.h"

namespace tidyframe {

// The update feed's document: the newest release.
struct ReleaseInfo {
  std::string version;  // shown to the user
  std::int64_t build = 0;  // compared with the running build
  std::string url;  // the download
  std::optional<std::string> page;  // read, not used

  // Whether the download may be offered: only over HTTPS.
  bool hasSecureDownload() const;

  friend bool operator==(const ReleaseInfo&, const ReleaseInfo&) = default;
};

// The release in a feed document: a JSON object with the text "version", the whole number
// "build", the non-empty text "url" and optionally the text "page". Nothing when a required
// member is missing or any member has the wrong type.
std::optional<ReleaseInfo> decodeReleaseInfo(std::string_view body);

// The release in a response: only a complete response with status 200 and a body is read.
std::optional<ReleaseInfo> releaseFrom(const HttpsResponse& response);

}  // namespace tidyframe
