#pragma once

#include <string>
#include <vector>

#include "sim/sim_ports.h"

namespace tidyframe {

// The made-up user whose Mac the demo, the tests, the benchmarks and the Linux application
// all look at: one home tree and one SD card that a device rule can follow by its volume UUID.
namespace SimHome {

inline const std::string home = "/Users/demo";
inline const std::string pictures = home + "/Pictures";
inline const std::string holidays = pictures + "/Holidays 2026";
inline const std::string documents = home + "/Documents";
inline const std::string reports = documents + "/Reports";
inline const std::string invoices = documents + "/Reports/Invoices";
inline const std::string downloads = home + "/Downloads";
inline const std::string applications = home + "/Applications";
inline const std::string package = applications + "/Tool.app";
inline const std::string card = "/Volumes/SD";
inline const std::string cardPhotos = card + "/DCIM";
inline const std::string cardUuid = "5E1D7A2C-3B44-4E0B-9C9A-1F6E2D3C4B5A";

// Every folder of the home tree, parents before children.
const std::vector<std::string>& folders();

// Adds the home tree and the package to `volumes`, every folder with its items, dated back
// from the catalog's clock: documents, PDFs, pictures, movies, music, archives, applications,
// a few dot files, and in Downloads items added today, yesterday, last week, last month and
// last year.
void furnish(SimVolumeCatalog& volumes);

// The SD card mounted at `mountPath` (a renamed card keeps its UUID under a new path).
SimVolume sdCard(const std::string& mountPath);

// Mounts the card at `mountPath` with its folder of camera photos; the caller tells the
// workspace.
void insertCard(SimVolumeCatalog& volumes, const std::string& mountPath = card);

}  // namespace SimHome

}  // namespace tidyframe
