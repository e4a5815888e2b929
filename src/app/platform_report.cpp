#include "app/platform_report.h"

#include <iomanip>
#include <sstream>
#include <string_view>
#include <utility>

#include "finder/finder_scripts.h"
#include "platform/apple_event_permissions.h"

namespace tidyframe {

namespace {

// Whatever `parts` stream as, in one text.
template <class... Parts>
std::string text(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// Every text the system compiles: the warm-up, the four fixed scripts and an arrangement.
std::vector<std::pair<std::string, std::string>> scriptTexts() {
  const std::vector<std::string> groups{"Kind"};
  const std::vector<std::string> sorts{"Name"};
  return {{"warm-up", "return true"},
          {"query", std::string(FinderScripts::query())},
          {"permissions", std::string(FinderScripts::automationCheck())},
          {"activate", std::string(FinderScripts::activate())},
          {"keep hidden", std::string(FinderScripts::keepHidden())},
          {"apply", FinderScripts::apply("file:///Users/Shared/", "1", groups, sorts, true)}};
}

PortReport scripts(AppleScriptHost& host) {
  const auto texts = scriptTexts();
  for (const auto& [label, source] : texts) {
    const auto script = host.compile(source);
    if (!script) return {"AppleScript", false, "cannot make a script object"};
    if (auto compiled = script->compileOnly(); !compiled) {
      const auto& error = compiled.error();
      return {"AppleScript", false,
              text(label, " does not compile: ", error.number.value_or(0), " ", error.message.value_or(""))};
    }
  }
  return {"AppleScript", true, text(texts.size(), " script texts compile")};
}

std::string_view meaning(std::int32_t status) {
  switch (status) {
    case 0: return "allowed";
    case apple_event_error::notPermitted: return "refused";
    case apple_event_error::wouldRequireUserConsent: return "not asked yet";
    case apple_event_error::targetNotRunning: return "not running";
    default: return "unexpected";
  }
}

PortReport automation(AppleEventPermissions& permissions) {
  const auto finder = permissions.status("com.apple.finder");
  const auto systemEvents = permissions.status("com.apple.systemevents");
  const bool works = meaning(finder) != "unexpected" && meaning(systemEvents) != "unexpected";
  return {"Apple events", works,
          text("Finder ", finder, " (", meaning(finder), "), System Events ", systemEvents, " (",
               meaning(systemEvents), ")")};
}

PortReport volumes(VolumeCatalog& catalog) {
  const auto paths = catalog.mountedVolumePaths();
  if (paths.empty()) return {"volumes", false, "no mounted volume listed"};
  bool works = true;
  std::vector<std::string> described;
  for (const auto& path : paths) {
    const auto values = catalog.volumeValues(path);
    works = works && values.has_value();
    const auto uuid = values ? values->uuid : std::nullopt;
    described.push_back(!values ? path + " (unreadable)" : path + " (" + uuid.value_or("no UUID") + ")");
  }
  return {"volumes", works, joined(described)};
}

PortReport dotFilePreference(PreferenceStore& store) {
  store.synchronize("com.apple.finder");
  const auto value = store.copyValue("AppleShowAllFiles", "com.apple.finder");
  std::string detail = "AppleShowAllFiles absent";
  if (value && std::holds_alternative<double>(*value)) {
    detail = text("AppleShowAllFiles = ", std::get<double>(*value));
  } else if (value && std::holds_alternative<std::string>(*value)) {
    detail = text("AppleShowAllFiles = \"", std::get<std::string>(*value), "\"");
  } else if (value) {
    detail = "AppleShowAllFiles of another type";
  }
  return {"Finder preferences", true, detail};
}

PortReport languages(PreferredLanguages& preferred) {
  const auto list = preferred.preferredLanguages();
  return {"languages", !list.empty(), list.empty() ? "none reported" : joined(list)};
}

PortReport systemVersion(SystemInformation& system) {
  const auto version = system.operatingSystem();
  return {"system", !version.version.empty(), text(version.name, " ", version.version)};
}

PortReport frontmost(Workspace& workspace) {
  const auto front = workspace.frontmostApplication();
  if (!front) return {"workspace", false, "no front application"};
  return {"workspace", true, text("front application ", front->bundleIdentifier, " (", front->processIdentifier, ")")};
}

PortReport input(InputState& state) {
  const double idle = state.secondsSinceLastEvent(InputEventType::keyDown);
  return {"input", idle >= 0,
          text("last key ", std::fixed, std::setprecision(1), idle, " s ago, mouse buttons ",
               state.pressedMouseButtons())};
}

PortReport loginItem(LoginItem& item) {
  constexpr std::string_view names[] = {"not registered", "enabled", "requires approval", "not found"};
  return {"login item", true, std::string(names[static_cast<int>(item.status())])};
}

}  // namespace

std::vector<PortReport> inspectPlatform(const PlatformPorts& ports) {
  return {scripts(ports.host),
          {"accessibility", true, ports.accessibility.isProcessTrusted() ? "trusted" : "not trusted"},
          automation(ports.permissions),
          volumes(ports.volumes),
          dotFilePreference(ports.preferences),
          languages(ports.languages),
          systemVersion(ports.system),
          frontmost(ports.workspace),
          input(ports.input),
          loginItem(ports.loginItem)};
}

std::string permissionSubjectLine(int parentProcess) {
  if (parentProcess == 1) return "platform permissions: reported for Tidyframe itself (started by launchd)";
  return text("platform permissions: reported for the process that started this one (", parentProcess,
              "), which macOS holds responsible; for Tidyframe's own, run open -n -W -a Tidyframe.app --stdout \"$(tty)\" "
              "--args --self-test");
}

bool printPlatformReport(const std::vector<PortReport>& reports, std::ostream& out) {
  bool allWork = true;
  for (const auto& report : reports) {
    out << "platform " << report.port << ": " << (report.works ? "ok" : "FAIL") << " - " << report.detail << '\n';
    allWork = allWork && report.works;
  }
  return allWork;
}

}  // namespace tidyframe
