#pragma once

#include <memory>

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/apple_event_permissions.h"
#include "platform/apple_script_host.h"
#include "platform/folder_bookmarks.h"
#include "platform/folder_url_text.h"
#include "platform/input_state.h"
#include "platform/login_item.h"
#include "platform/preference_store.h"
#include "platform/preferred_languages.h"
#include "platform/system_information.h"
#include "platform/system_log.h"
#include "platform/user_defaults.h"
#include "platform/volume_catalog.h"
#include "platform/workspace.h"

namespace tidyframe {

class Dispatch;

// The macOS adapters, one per port, each made in its own file. Each answers what the system
// answers; every rule about what to do with it lives in the portable code.

// Every script object is made, compiled, run and released on one serial queue of `dispatch`
// (one thread), because the scripting machinery must not be used from several threads.
std::unique_ptr<AppleScriptHost> makeMacAppleScriptHost(Dispatch& dispatch);
std::unique_ptr<Accessibility> makeMacAccessibility();
std::unique_ptr<AppleEventPermissions> makeMacAppleEventPermissions();
std::unique_ptr<InputState> makeMacInputState();
std::unique_ptr<PreferenceStore> makeMacPreferenceStore();
std::unique_ptr<VolumeCatalog> makeMacVolumeCatalog();
std::unique_ptr<Workspace> makeMacWorkspace();
std::unique_ptr<LoginItem> makeMacLoginItem();
std::unique_ptr<FolderBookmarks> makeMacFolderBookmarks();
std::unique_ptr<FolderURLText> makeMacFolderURLText();
std::unique_ptr<Alerts> makeMacAlerts();
std::unique_ptr<PreferredLanguages> makeMacPreferredLanguages();
std::unique_ptr<SystemLog> makeMacSystemLog();
std::unique_ptr<UserDefaults> makeMacUserDefaults();
std::unique_ptr<SystemInformation> makeMacSystemInformation();

}  // namespace tidyframe
