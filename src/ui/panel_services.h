#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QString>

#include "update/feedback_report.h"

namespace tidyframe {

class Alerts;
class Dispatch;

// What the panel's pages borrow from the application beyond the engine: the alerts and file
// panels, what a feedback report may tell, and the actions only the shell can take.
struct PanelServices {
  Alerts& alerts;
  // The engine's clock and main queue: times shown are measured on it, and it refreshes them.
  Dispatch& dispatch;
  // The user's home folder, written as "~" where paths are shown.
  std::string home;
  ReportVersions versions;
  std::function<void()> checkForUpdates;
  std::function<void()> quit;
  // Shows the Simulated Finder window again; none where the Finder is real.
  std::function<void()> showSimulatedFinder = {};
};

inline QString qtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A name or path the user chose, kept in its own direction inside the panel's: without the
// marks a Latin name in the Arabic panel would be laid out, and aligned, left to right.
inline QString userText(std::string_view text, bool rightToLeft) {
  if (!rightToLeft) return qtText(text);
  return QStringLiteral(u"\u200F\u2068") + qtText(text) + QStringLiteral(u"\u2069");
}

}  // namespace tidyframe
