#import <Foundation/Foundation.h>

#include "finder/finder_location.h"
#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

// Foundation's own text, so it matches what the Finder answers character for character; the
// paths it refuses are the portable encoder's.
class MacFolderURLText final : public FolderURLText {
 public:
  std::optional<std::string> directoryURL(const std::string& path) const override {
    if (!folderURL(path)) return std::nullopt;
    @autoreleasepool {
      NSURL* url = mac::fileURLOf(path, true);
      if (!url) return std::nullopt;
      return mac::toString(url.absoluteString);
    }
  }
};

}  // namespace

std::unique_ptr<FolderURLText> makeMacFolderURLText() { return std::make_unique<MacFolderURLText>(); }

}  // namespace tidyframe
