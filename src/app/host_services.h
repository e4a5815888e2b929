#pragma once

#include <filesystem>

#include "base/date.h"
#include "net/curl_https_client.h"
#include "posix/os_release_system_information.h"
#include "storage/json_user_defaults.h"

namespace tidyframe {

// The services the application takes from the machine it runs on off macOS, where every macOS
// service is the simulated Mac's: the user defaults file in the configuration folder, HTTPS
// over libcurl and the system's name from os-release. The application makes one at launch.
struct HostServices {
  // Reads the defaults from `defaultsFile`; `now` names a copy of it that had to be kept aside.
  HostServices(const std::filesystem::path& defaultsFile, Date now);

  JsonUserDefaults defaults;
  CurlHttpsClient https;
  OsReleaseSystemInformation system;
};

}  // namespace tidyframe
