#include "app/host_services.h"

#include "app/storage_location.h"

namespace tidyframe {

HostServices::HostServices(Date now) : defaults(userDefaultsFile(), now) {}

}  // namespace tidyframe
