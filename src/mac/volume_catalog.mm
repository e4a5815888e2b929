#import <Foundation/Foundation.h>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

NSArray<NSURLResourceKey>* volumeKeys() {
  return @[
    NSURLVolumeNameKey, NSURLVolumeUUIDStringKey, NSURLVolumeIsInternalKey, NSURLVolumeIsRemovableKey,
    NSURLVolumeIsReadOnlyKey, NSURLVolumeTotalCapacityKey, NSURLVolumeAvailableCapacityKey
  ];
}

// NSFileManager and NSURL are safe to use from several threads at once.
class MacVolumeCatalog final : public VolumeCatalog {
 public:
  std::vector<std::string> mountedVolumePaths() override {
    @autoreleasepool {
      NSArray<NSURL*>* urls =
          [NSFileManager.defaultManager mountedVolumeURLsIncludingResourceValuesForKeys:volumeKeys()
                                                                                options:NSVolumeEnumerationSkipHiddenVolumes];
      std::vector<std::string> paths;
      for (NSURL* url in urls) paths.push_back(mac::toString(url.path));
      return paths;
    }
  }

  std::optional<VolumeResourceValues> volumeValues(const std::string& mountPath) override {
    @autoreleasepool {
      NSURL* url = mac::fileURLOf(mountPath, true);
      if (!url) return std::nullopt;
      NSDictionary<NSURLResourceKey, id>* values = [url resourceValuesForKeys:volumeKeys() error:nil];
      if (!values) return std::nullopt;
      return VolumeResourceValues{mac::textOf(values[NSURLVolumeNameKey]),
                                  mac::textOf(values[NSURLVolumeUUIDStringKey]),
                                  mac::flagOf(values[NSURLVolumeIsInternalKey]),
                                  mac::flagOf(values[NSURLVolumeIsRemovableKey]),
                                  mac::flagOf(values[NSURLVolumeIsReadOnlyKey]),
                                  mac::int64Of(values[NSURLVolumeTotalCapacityKey]),
                                  mac::int64Of(values[NSURLVolumeAvailableCapacityKey])};
    }
  }

  std::optional<FileResourceValues> fileValues(const std::string& path) override {
    @autoreleasepool {
      NSURL* url = mac::fileURLOf(path, false);
      if (!url) return std::nullopt;
      NSArray<NSURLResourceKey>* keys =
          @[ NSURLVolumeUUIDStringKey, NSURLVolumeIsInternalKey, NSURLIsDirectoryKey, NSURLIsPackageKey ];
      NSDictionary<NSURLResourceKey, id>* values = [url resourceValuesForKeys:keys error:nil];
      if (!values) return std::nullopt;
      return FileResourceValues{mac::textOf(values[NSURLVolumeUUIDStringKey]),
                                mac::flagOf(values[NSURLVolumeIsInternalKey]),
                                mac::flagOf(values[NSURLIsDirectoryKey]).value_or(false),
                                mac::flagOf(values[NSURLIsPackageKey]).value_or(false)};
    }
  }
};

}  // namespace

std::unique_ptr<VolumeCatalog> makeMacVolumeCatalog() { return std::make_unique<MacVolumeCatalog>(); }

}  // namespace tidyframe
