#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "app/platform_report.h"
#include "base/virtual_dispatch.h"
#include "finder/fake_ports.h"
#include "sim/simulated_mac.h"

namespace tidyframe {
namespace {

class FixedLanguages final : public PreferredLanguages {
 public:
  std::vector<std::string> languages{"de-DE", "en"};
  std::vector<std::string> preferredLanguages() const override { return languages; }
};

struct Platform {
  PlatformPorts ports() {
    return {host ? *host : static_cast<AppleScriptHost&>(sim.host), sim.accessibility, sim.permissions,
            sim.volumes, sim.preferences, languages, sim.system, sim.workspace, sim.input, sim.loginItem};
  }
  // Whether `port` works and what its line says.
  std::pair<bool, std::string> answer(std::string_view port) {
    const auto reports = inspectPlatform(ports());
    const auto report = std::ranges::find(reports, port, &PortReport::port);
    return {report->works, report->detail};
  }

  VirtualDispatch dispatch{Date{786000000}};
  std::shared_ptr<DispatchQueue> world = dispatch.makeSerialQueue("sim.world");
  SimulatedMac sim{dispatch, *world};
  FixedLanguages languages;
  AppleScriptHost* host = nullptr;
};

TEST(PlatformReport, OneLinePerPortInOrderAndNothingChanges) {
  Platform platform;
  platform.sim.mac.setAutomation("System Events", AutomationConsent::notAsked);
  std::ostringstream out;
  EXPECT_TRUE(printPlatformReport(inspectPlatform(platform.ports()), out));
  EXPECT_EQ(out.str(),
            "platform AppleScript: ok - 6 script texts compile\n"
            "platform accessibility: ok - trusted\n"
            "platform Apple events: ok - Finder 0 (allowed), System Events -1744 (not asked yet)\n"
            "platform volumes: ok - / (0A81F3B1-51D9-3335-B3E3-169C3640360D)\n"
            "platform Finder preferences: ok - AppleShowAllFiles absent\n"
            "platform languages: ok - de-DE, en\n"
            "platform system: ok - macOS Version 14.5 (Build 23F79)\n"
            "platform workspace: ok - front application com.apple.finder (311)\n"
            "platform input: ok - last key 1000000000.0 s ago, mouse buttons 0\n"
            "platform login item: ok - not registered\n");
  EXPECT_EQ(platform.sim.mac.appleEvents(), 0) << "compiling must not run anything";
  EXPECT_EQ(platform.sim.accessibility.prompts(), 0);
  EXPECT_EQ(platform.sim.mac.automationPrompts(), 0);
}

TEST(PlatformReport, EachPortReportsWhatTheSystemAnswers) {
  test_support::FakeScriptHost refusing;
  refusing.refuseCreation = true;
  struct Case {
    std::function<void(Platform&)> arrange;
    std::string port;
    bool works;
    std::string detail;
    const char* reason;
  };
  const Case cases[] = {
      {[&](Platform& p) { p.host = &refusing; }, "AppleScript", false, "cannot make a script object",
       "a host that makes no script object is broken"},
      {[](Platform& p) { p.sim.mac.setAccessibilityTrusted(false); }, "accessibility", true, "not trusted",
       "a missing grant is an answer, not a fault"},
      {[](Platform& p) {
         p.sim.mac.setAutomation("Finder", AutomationConsent::refused);
         p.sim.finder().quit();
       },
       "Apple events", true, "Finder -600 (not running), System Events 0 (allowed)",
       "a Finder that is not running is asked about anyway"},
      {[](Platform& p) { p.sim.mac.setAutomation("Finder", AutomationConsent::refused); }, "Apple events", true,
       "Finder -1743 (refused), System Events 0 (allowed)", "a refusal is read without asking"},
      {[](Platform& p) { p.sim.volumes.mount({"/Volumes/Card", {}, false}); }, "volumes", true,
       "/ (0A81F3B1-51D9-3335-B3E3-169C3640360D), /Volumes/Card (no UUID)", "a volume without UUID is listed"},
      {[](Platform& p) { p.sim.volumes.makeUnreadable("/"); }, "volumes", false, "/ (unreadable)",
       "a listed volume whose values cannot be read"},
      {[](Platform& p) { p.sim.preferences.store(PreferenceValue(std::string("YES"))); }, "Finder preferences", true,
       "AppleShowAllFiles = \"YES\"", "a text is shown as stored"},
      {[](Platform& p) { p.sim.preferences.store(PreferenceValue(OtherPreferenceValue{})); }, "Finder preferences",
       true, "AppleShowAllFiles of another type", "a date or data value"},
      {[](Platform& p) { p.languages.languages.clear(); }, "languages", false, "none reported",
       "every session has at least one language"},
      {[](Platform& p) { p.sim.system.setOperatingSystem({"macOS", ""}); }, "system", false, "macOS ",
       "a system that does not say its version"},
      {[](Platform& p) { p.sim.loginItem.setStatus(LoginItemStatus::requiresApproval); }, "login item", true,
       "requires approval", "the status ServiceManagement reports"},
  };
  for (const auto& c : cases) {
    Platform platform;
    c.arrange(platform);
    EXPECT_EQ(platform.answer(c.port), std::pair(c.works, c.detail)) << c.reason;
  }
}

TEST(PlatformReport, SaysWhosePermissionsItShows) {
  EXPECT_TRUE(permissionSubjectLine(1).contains("Tidyframe itself"));
  const std::string fromTerminal = permissionSubjectLine(812);
  EXPECT_TRUE(fromTerminal.contains("(812)") && fromTerminal.contains("open -n -W -a")) << fromTerminal;
}

}  // namespace
}  // namespace tidyframe
