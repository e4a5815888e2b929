#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/apple_event_permissions.h"
#include "platform/apple_script_host.h"
#include "platform/input_state.h"
#include "platform/login_item.h"
#include "platform/preference_store.h"
#include "platform/preferred_languages.h"
#include "platform/system_information.h"
#include "platform/volume_catalog.h"
#include "platform/workspace.h"

namespace tidyframe {

// The ports a look at the platform reads; borrowed for the call.
struct PlatformPorts {
  AppleScriptHost& host;
  Accessibility& accessibility;
  AppleEventPermissions& permissions;
  VolumeCatalog& volumes;
  PreferenceStore& preferences;
  PreferredLanguages& languages;
  SystemInformation& system;
  Workspace& workspace;
  InputState& input;
  LoginItem& loginItem;
};

// What one port answered: whether it answered as its contract says, and what it read.
struct PortReport {
  std::string port;
  bool works = false;
  std::string detail;

  friend bool operator==(const PortReport&, const PortReport&) = default;
};

// Reads each port once, in the order of the fields above, changing nothing and never asking the
// user: compiles without running every script text the system sends, reads the accessibility
// trust and the Automation permission for the Finder and System Events, lists the mounted
// volumes with their UUIDs, reads the Finder's dot-file preference, the preferred languages, the
// system version, the front application, the input idle time and the login item. So the first run on a new system
// shows at a glance which services answer.
std::vector<PortReport> inspectPlatform(const PlatformPorts& ports);

// Whose permissions the report shows. macOS holds the process that started a program from a
// terminal responsible for it, so there it asks about the terminal's permissions; only a program
// that launchd started (parent process 1: the Finder, `open`, a login item) is asked about as
// itself.
std::string permissionSubjectLine(int parentProcess);

// One line per report; answers whether every port worked.
bool printPlatformReport(const std::vector<PortReport>& reports, std::ostream& out);

}  // namespace tidyframe
