#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include "i18n/l.h"
#include "sim/sim_session.h"
#include "storage/temporary_folder.h"
#include "update/feedback_report.h"

namespace tidyframe {
namespace {

const ReportVersions versions{"1.2", {"macOS", "Version 14.5 (Build 23F79)"}};

TEST(FeedbackReportTest, MakeTrimsTheMessageAndAddsOnlyTheVersions) {
  struct Case {
    const char* message;
    bool includeSystem;
    const char* report;
    const char* reason;
  } cases[] = {
      {"  example feedback  ", false, "example feedback", "blanks trimmed, nothing added without the switch"},
      {"example", true, "example\n\nTidyframe 1.2\nmacOS Version 14.5 (Build 23F79)", "the system line with it"},
      {"\n\n first\n\nsecond \n\n", false, "first\n\nsecond", "outer line breaks go, inner ones stay"},
      {"\u3000意见\u00a0\u2028", false, "意见", "ideographic, no-break and line-separator spaces are white space"},
      {" \n\t ", false, "", "a blank draft is empty"},
      {" \n\t ", true, "\n\nTidyframe 1.2\nmacOS Version 14.5 (Build 23F79)", "a blank draft with the versions"},
  };
  for (const auto& c : cases) EXPECT_EQ(FeedbackReport::make(c.message, c.includeSystem, versions), c.report) << c.reason;
  const ReportVersions linux{"1.2", {"Debian GNU/Linux", "12 (bookworm)"}};
  EXPECT_EQ(FeedbackReport::make("x", true, linux), "x\n\nTidyframe 1.2\nDebian GNU/Linux 12 (bookworm)")
      << "another system is named as it is, never as macOS";
}

TEST(FeedbackReportTest, SaveWritesTheTextOrSaysWhyNot) {
  struct Case {
    std::optional<std::string> chosen;
    std::optional<std::string> errorAfter;
    const char* reason;
  } cases[] = {
      {std::nullopt, "earlier error", "a cancelled panel writes nothing and keeps the old error"},
      {"saved.txt", std::nullopt, "a save clears the error"},
      {"blocker/saved.txt", "反馈保存失败：Not a directory", "a parent that is a file fails with the reason"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    TemporaryFolder folder;
    folder.write("blocker", "a file, not a folder");
    SimAlerts alerts;
    alerts.answerPanel(c.chosen ? std::optional((folder.path() / *c.chosen).string()) : std::nullopt);
    std::optional<std::string> saveError = "earlier error";
    FeedbackReport::save("意见\n", alerts, L({}, nullptr), saveError);
    EXPECT_EQ(saveError, c.errorAfter);
    EXPECT_EQ(alerts.panels(), (std::vector<FilePanelRequest>{{"Finder-feedback.txt", {"txt"}}}));
    const std::set<std::string> expected = c.chosen == "saved.txt" ? std::set<std::string>{"blocker", "saved.txt"}
                                                                     : std::set<std::string>{"blocker"};
    EXPECT_EQ(folder.names(), expected) << "no partial or temporary file is left";
    if (c.chosen == "saved.txt") {
      EXPECT_EQ(folder.contents("saved.txt"), "意见\n");
    }
  }
}

}  // namespace
}  // namespace tidyframe
