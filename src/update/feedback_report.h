#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/system_information.h"

namespace tidyframe {

class Alerts;
class L;

// What a report may tell about the machine: the program's version and the running system.
struct ReportVersions {
  std::string application;
  OperatingSystemVersion system;
};

// The text of a message to the maker. Nothing else ever goes into it: no paths, no rules, no
// activity. Nothing is sent anywhere; the user copies or saves it.
namespace FeedbackReport {

inline constexpr std::string_view proposedName = "Finder-feedback.txt";

// The message without white space or line breaks at either end, and with `includeSystem`
// followed by "\n\nTidyframe <application version>\n<system name> <system version>". A blank
// message gives an empty first part.
std::string make(std::string_view message, bool includeSystem, const ReportVersions& versions);

// Asks where to save `report` (a plain-text file), then writes it there atomically in UTF-8.
// Cancelling the panel leaves `saveError` as it was; a save clears it; a failed write sets it
// to the localized "反馈保存失败：%@" and leaves no partial file. Main queue only.
void save(std::string_view report, Alerts& alerts, const L& l, std::optional<std::string>& saveError);

}  // namespace FeedbackReport

}  // namespace tidyframe
