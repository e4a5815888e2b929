#pragma once

#include <memory>

#include "mac/mac_ports.h"
#include "platform/https_client.h"
#include "platform/process_runner.h"

namespace tidyframe {

// Every port's macOS adapter, for the application to hand out; the process runner and the
// HTTPS client are the portable ones (POSIX, and the libcurl macOS ships). Borrows the
// dispatch, which must outlive it and every script object its host made; main thread only.
struct NativeMac {
  explicit NativeMac(Dispatch& dispatch);
  NativeMac(const NativeMac&) = delete;
  NativeMac& operator=(const NativeMac&) = delete;
  ~NativeMac();

  std::unique_ptr<AppleScriptHost> host;
  std::unique_ptr<Accessibility> accessibility;
  std::unique_ptr<AppleEventPermissions> permissions;
  std::unique_ptr<InputState> input;
  std::unique_ptr<PreferenceStore> preferences;
  std::unique_ptr<VolumeCatalog> volumes;
  std::unique_ptr<Workspace> workspace;
  std::unique_ptr<LoginItem> loginItem;
  std::unique_ptr<FolderBookmarks> bookmarks;
  std::unique_ptr<FolderURLText> folderURLs;
  std::unique_ptr<Alerts> alerts;
  std::unique_ptr<PreferredLanguages> languages;
  std::unique_ptr<SystemLog> log;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<SystemInformation> system;
  std::unique_ptr<ProcessRunner> processes;
  std::unique_ptr<HttpsClient> https;
};

}  // namespace tidyframe
