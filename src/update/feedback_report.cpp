#include "update/feedback_report.h"

#include "base/unicode.h"
#include "i18n/l.h"
#include "platform/alerts.h"
#include "storage/storage.h"

namespace tidyframe::FeedbackReport {

namespace {

// "macOS Version 14.5 (Build 23F79)"; a part the system did not give is left out.
std::string systemLine(const OperatingSystemVersion& system) {
  if (system.name.empty() || system.version.empty()) return system.name + system.version;
  return system.name + " " + system.version;
}

}  // namespace

std::string make(std::string_view message, bool includeSystem, const ReportVersions& versions) {
  std::string report(unicode::trimmedWhiteSpace(message));
  if (!includeSystem) return report;
  return report + "\n\nTidyframe " + versions.application + "\n" + systemLine(versions.system);
}

void save(std::string_view report, Alerts& alerts, const L& l, std::optional<std::string>& saveError) {
  const auto chosen = alerts.runSavePanel(FilePanelRequest::save(std::string(proposedName), {"txt"}));
  if (!chosen) return;
  const auto saved = Storage::saveText(report, *chosen);
  if (saved) {
    saveError.reset();
  } else {
    saveError = l.f("反馈保存失败：%@", saved.error());
  }
}

}  // namespace tidyframe::FeedbackReport
