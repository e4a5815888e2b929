#include "app/host_services.h"

namespace tidyframe {

HostServices::HostServices(const std::filesystem::path& defaultsFile, Date now) : defaults(defaultsFile, now) {}

}  // namespace tidyframe
