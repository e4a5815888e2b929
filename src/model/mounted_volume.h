#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/locid.h>

namespace tidyframe {

class L;
class VolumeCatalog;

// A mounted volume that can carry a device rule: every volume the system does not report as
// internal. Its identity in lists is the mount path, so two mounted clones sharing a UUID are
// still two rows; rules follow the UUID.
struct MountedVolume {
  std::string name;
  std::string path;
  std::optional<std::string> uuid;
  bool external = true;
  bool removable = false;
  bool readOnly = false;
  std::int64_t total = 0;
  std::int64_t available = 0;

  const std::string& id() const { return path; }
  // The system symbol shown beside the volume.
  std::string_view symbol() const { return removable ? "sdcard" : "externaldrive"; }

  friend bool operator==(const MountedVolume&, const MountedVolume&) = default;

  // The mounted volumes, hidden and internal ones left out, sorted by name as the Finder sorts
  // file names in `locale` (ignoring case, digits by value), equal names in the system's order.
  // Blocking and possibly slow on sleeping media: called on the engine's volume queue.
  static std::vector<MountedVolume> discover(VolumeCatalog& catalog, const icu::Locale& locale);
};

// A byte count for display in powers of 1000 ("1.5 GB"), with at most two fraction digits in
// the interface language's number format; counts beyond 1000 PB stay in PB.
std::string formattedBytes(std::int64_t bytes, const L& l);

// The last component of a file path, final "/" ignored ("/Volumes/SD/" gives "SD"); "/" for
// the root.
std::string lastPathComponent(std::string_view path);

// `path` with the user's `home` folder written as "~" ("~/Pictures"); a path outside it, or a
// sibling such as "/Users/demo2" of the home "/Users/demo", comes back unchanged.
std::string readablePath(std::string_view path, std::string_view home);

}  // namespace tidyframe
