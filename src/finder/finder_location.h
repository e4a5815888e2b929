#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/folder_url_text.h"

namespace tidyframe {

class ScriptReply;
class VolumeCatalog;

// What the front Finder window shows: which folder, in which window, in which view, on which
// volume. A plain value, made on the script queue from the query reply and handed to the main one.
struct FinderLocation {
  // The target URL exactly as the Finder answered it; the arrangement script compares it as text.
  std::string urlString;
  // The file-system path of the standardised URL, percent-decoded, without a trailing "/".
  std::string path;
  std::string windowID;
  // The Finder's name of the view ("list view"); empty when the reply had none.
  std::string view;
  // Absent when the system reports no UUID for the folder's volume.
  std::optional<std::string> volumeID;
  // True only when the system reports the volume as not internal.
  bool isExternal = false;

  friend bool operator==(const FinderLocation&, const FinderLocation&) = default;

  // The location of a query reply, or nothing: for a skip or short reply, a URL that is not a
  // local file URL or not well-formed, an item that cannot be read, is not a folder or is a
  // package (an application bundle). Reads the folder's resource values through `volumes`.
  static std::optional<FinderLocation> inspect(const ScriptReply& reply, VolumeCatalog& volumes);
};

// Whether two answers show the same folder on the same volume (no UUID on both counts as the
// same); window and view are not compared.
inline bool showsSameFolder(const FinderLocation& first, const FinderLocation& second) {
  return first.path == second.path && first.volumeID == second.volumeID;
}

// The path of a file URL ("file:///Users/demo/My%20Folder/" gives "/Users/demo/My Folder"):
// percent-decoded, "." and ".." resolved, repeated "/" as one, no trailing "/" except for the
// root. Nothing for another scheme, a remote host, a bad escape, bytes that are not UTF-8 or a
// decoded NUL.
std::optional<std::string> filePath(std::string_view url);

// The URL text the Finder answers for the folder at the absolute `path`: "file://", the path
// with every byte outside Foundation's URL-path characters (letters, digits and
// -._~!$&'()*+,=:@/) percent-encoded, and a final "/". Nothing for an empty or relative path
// or one holding a NUL.
std::optional<std::string> folderURL(std::string_view path);

// The folder URL text where Foundation is not at hand: folderURL.
class PortableFolderURLText final : public FolderURLText {
 public:
  std::optional<std::string> directoryURL(const std::string& path) const override { return folderURL(path); }
};

}  // namespace tidyframe
