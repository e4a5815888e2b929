#pragma once

#include <ostream>
#include <string>

namespace tidyframe {

class Accessibility;
class Alerts;
class AppleEventPermissions;
class Dispatch;
class FinderVisibilityPreference;
class FinderWindowProbe;
class FolderBookmarks;
class FolderURLText;
class L;
class LegacyService;
class LoginItem;
class PersistenceWriter;
class ScriptRunner;
class Storage;
class VolumeCatalog;
class Workspace;

// Everything the engine borrows. The application (or a test) owns each service and keeps it
// alive for longer than the engine. Which queue uses what: the main queue uses the workspace,
// alerts, login item, writer, lookup, folder URL text and bookmark creation; the script queue the runner, probe and visibility
// preference; the environment queue accessibility trust, permissions and the legacy service;
// the volume queue the volume catalog (also read by the script queue, so it must be
// thread-safe); the bookmark queue the bookmarks.
struct EngineServices {
  Dispatch& dispatch;
  L& l;
  const Storage& storage;
  PersistenceWriter& writer;
  ScriptRunner& scripts;
  FinderWindowProbe& probe;
  FinderVisibilityPreference& visibility;
  Accessibility& accessibility;
  AppleEventPermissions& permissions;
  VolumeCatalog& volumes;
  Workspace& workspace;
  LoginItem& loginItem;
  FolderBookmarks& bookmarks;
  Alerts& alerts;
  LegacyService& legacy;
  FolderURLText& folderURLs;
  // The user's home folder, written as "~" where paths are shown.
  std::string home;
  // Where "--diagnostics" lines go; null when the program was started without it.
  std::ostream* diagnostics = nullptr;
};

}  // namespace tidyframe
