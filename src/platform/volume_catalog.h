#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tidyframe {

// What the system reports about a mounted volume; each value is absent when not reported.
struct VolumeResourceValues {
  std::optional<std::string> name;
  std::optional<std::string> uuid;
  std::optional<bool> isInternal;
  std::optional<bool> isRemovable;
  std::optional<bool> isReadOnly;
  std::optional<std::int64_t> totalCapacity;
  std::optional<std::int64_t> availableCapacity;

  friend bool operator==(const VolumeResourceValues&, const VolumeResourceValues&) = default;
};

// What the system reports about an item of the file system and the volume holding it.
struct FileResourceValues {
  // Absent when the volume has no persistent UUID.
  std::optional<std::string> volumeUUID;
  // Absent when the system cannot tell.
  std::optional<bool> volumeIsInternal;
  bool isDirectory = false;
  bool isPackage = false;

  friend bool operator==(const FileResourceValues&, const FileResourceValues&) = default;
};

// The mounted volumes and the resource values of file-system items. Blocking and possibly slow
// on sleeping media: called on the engine's volume queue (volumes) and script queue (items).
class VolumeCatalog {
 public:
  virtual ~VolumeCatalog() = default;
  // Mount paths ("/", "/Volumes/SD") of the mounted volumes that are not hidden, in the
  // system's order; empty when the system answers nothing.
  virtual std::vector<std::string> mountedVolumePaths() = 0;
  // Nothing when the values of the volume mounted at `mountPath` cannot be read.
  virtual std::optional<VolumeResourceValues> volumeValues(const std::string& mountPath) = 0;
  // Nothing when the item at the absolute `path` does not exist or cannot be read.
  virtual std::optional<FileResourceValues> fileValues(const std::string& path) = 0;
};

}  // namespace tidyframe
