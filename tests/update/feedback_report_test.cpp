#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "base/temporary_folder.h"
#include "i18n/l.h"
#include "sim/sim_session.h"
#include "update/feedback_report.h"

namespace tidyframe {
namespace {

TEST(FeedbackReportTest, MakeTrimsTheMessageAndAddsOnlyTheVersions) {
  const ReportVersions mac{"1.2", {"macOS", "Version 14.5 (Build 23F79)"}};
  const std::string versions = "\n\nTidyframe 1.2\nmacOS Version 14.5 (Build 23F79)";
  struct Case {
    const char* message;
    bool includeSystem;
    std::string report;
  } cases[] = {
      {"  example feedback  ", false, "example feedback"},  // nothing added without the switch
      {"example", true, "example" + versions},
      {"\n\n first\n\nsecond \n\n", false, "first\n\nsecond"},  // outer line breaks go, inner ones stay
      {"\u3000意见\u00a0\u2028", false, "意见"},  // ideographic, no-break, line-separator spaces
      {" \n\t ", false, ""},
      {" \n\t ", true, versions},
  };
  for (const auto& c : cases) EXPECT_EQ(FeedbackReport::make(c.message, c.includeSystem, mac), c.report) << c.message;
  EXPECT_EQ(FeedbackReport::make("x", true, {"1.2", {"Debian GNU/Linux", "12 (bookworm)"}}),
            "x\n\nTidyframe 1.2\nDebian GNU/Linux 12 (bookworm)")
      << "another system is named as it is, never as macOS";
}

TEST(FeedbackReportTest, SaveWritesTheTextOrSaysWhyNot) {
  struct Case {
    std::optional<std::string> chosen;
    std::optional<std::string> errorAfter;
    std::set<std::string> files;
  } cases[] = {
      {std::nullopt, "earlier error", {"blocker"}},  // cancelled: nothing written, the old error stays
      {"saved.txt", std::nullopt, {"blocker", "saved.txt"}},
      {"blocker/saved.txt", "反馈保存失败：Not a directory", {"blocker"}},  // no partial file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen.value_or("cancelled"));
    TemporaryFolder folder;
    folder.write("blocker", "a file, not a folder");
    SimAlerts alerts;
    alerts.answerPanel(c.chosen ? std::optional((folder.path() / *c.chosen).string()) : std::nullopt);
    std::optional<std::string> saveError = "earlier error";
    FeedbackReport::save("意见\n", alerts, L({}, nullptr), saveError);
    EXPECT_EQ(saveError, c.errorAfter);
    EXPECT_EQ(alerts.panels(), std::vector{FilePanelRequest::save("Finder-feedback.txt", {"txt"})});
    EXPECT_EQ(folder.names(), c.files);
    EXPECT_EQ(folder.contents("saved.txt"), c.files.contains("saved.txt") ? "意见\n" : "");
  }
}

}  // namespace
}  // namespace tidyframe
