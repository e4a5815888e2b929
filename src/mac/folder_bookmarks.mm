#import <Foundation/Foundation.h>

#include <map>

#include "mac/mac_conversions.h"
#include "mac/mac_ports.h"

namespace tidyframe {

namespace {

// Access is started and stopped on the URL that resolving gave, which carries the bookmark's
// scope; a path that was never resolved gets a plain file URL. Resolving never starts access by
// itself, so every access held is one the caller started and will stop. Called on the bookmark
// queue, a worker thread.
class MacFolderBookmarks final : public FolderBookmarks {
 public:
  std::optional<Bytes> create(const std::string& path) override {
    @autoreleasepool {
      NSURL* url = mac::fileURLOf(path, true);
      if (!url) return std::nullopt;
      NSData* data = [url bookmarkDataWithOptions:NSURLBookmarkCreationOptions{}
                   includingResourceValuesForKeys:nil
                                    relativeToURL:nil
                                            error:nil];
      if (!data) return std::nullopt;
      const auto* bytes = static_cast<const std::uint8_t*>(data.bytes);
      return Bytes(bytes, bytes + data.length);
    }
  }

  std::optional<ResolvedBookmark> resolve(const Bytes& bookmark) override {
    @autoreleasepool {
      BOOL stale = NO;
      NSURL* url = [NSURL URLByResolvingBookmarkData:[NSData dataWithBytes:bookmark.data() length:bookmark.size()]
                                             options:NSURLBookmarkResolutionWithoutUI |
                                                     NSURLBookmarkResolutionWithoutImplicitStartAccessing
                                       relativeToURL:nil
                                 bookmarkDataIsStale:&stale
                                               error:nil];
      if (!url) return std::nullopt;
      std::string path = mac::toString(url.path);
      resolved_[path] = url;
      return ResolvedBookmark{std::move(path), stale == YES};
    }
  }

  bool startAccessing(const std::string& path) override {
    @autoreleasepool {
      NSURL* url = urlOf(path);
      return url && [url startAccessingSecurityScopedResource];
    }
  }

  void stopAccessing(const std::string& path) override {
    @autoreleasepool {
      [urlOf(path) stopAccessingSecurityScopedResource];
    }
  }

 private:
  NSURL* urlOf(const std::string& path) const {
    const auto found = resolved_.find(path);
    if (found != resolved_.end()) return found->second;
    return mac::fileURLOf(path, true);
  }

  std::map<std::string, NSURL*> resolved_;
};

}  // namespace

std::unique_ptr<FolderBookmarks> makeMacFolderBookmarks() { return std::make_unique<MacFolderBookmarks>(); }

}  // namespace tidyframe
