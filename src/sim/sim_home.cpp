#include "sim/sim_home.h"

#include <filesystem>

namespace tidyframe::SimHome {

const std::vector<std::string>& folders() {
  static const std::vector<std::string> all{home, pictures, holidays, documents, reports, invoices, downloads};
  return all;
}

void furnish(SimVolumeCatalog& volumes) {
  for (const auto& folder : folders()) volumes.addFolder(folder);
  volumes.addPackage(package);
}

SimVolume sdCard(const std::string& mountPath) {
  VolumeResourceValues values;
  values.name = std::filesystem::path(mountPath).filename().string();
  values.uuid = cardUuid;
  values.isInternal = false;
  values.isRemovable = true;
  values.isReadOnly = false;
  values.totalCapacity = 64'000'000'000;
  values.availableCapacity = 21'500'000'000;
  return SimVolume{mountPath, values, false};
}

void insertCard(SimVolumeCatalog& volumes, const std::string& mountPath) {
  volumes.mount(sdCard(mountPath));
  volumes.addFolder(mountPath + "/DCIM");
}

}  // namespace tidyframe::SimHome
