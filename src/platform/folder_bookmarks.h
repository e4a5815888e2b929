#pragma once

#include <optional>
#include <string>

#include "base/base64.h"

namespace tidyframe {

struct ResolvedBookmark {
  std::string path;
  bool stale = false;
};

// Security-scoped bookmarks of folders the user chose, so they can be reopened after a
// relaunch. Creating one may be called on the main queue, right after the user chose the
// folder; resolving and accessing block and are called on the engine's bookmark queue. An
// implementation must allow a creation and a resolution at the same time.
class FolderBookmarks {
 public:
  virtual ~FolderBookmarks() = default;
  // Nothing when the system refuses to make one.
  virtual std::optional<Bytes> create(const std::string& path) = 0;
  // Resolves without any user interface; nothing when the bookmark no longer resolves.
  virtual std::optional<ResolvedBookmark> resolve(const Bytes& bookmark) = 0;
  virtual bool startAccessing(const std::string& path) = 0;
  virtual void stopAccessing(const std::string& path) = 0;
};

}  // namespace tidyframe
