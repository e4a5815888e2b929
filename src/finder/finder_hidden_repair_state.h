#pragma once

#include "base/date.h"

namespace tidyframe {

// Paces the check that keeps dot files hidden: every 8 seconds, 30 after a failure. A plain
// value owned by the engine and changed on the main queue only.
struct FinderHiddenRepairState {
  static constexpr double checkInterval = 8.0;
  static constexpr double failureInterval = 30.0;

  Date nextCheck = Date::distantPast();

  bool isDue(Date now) const { return now >= nextCheck; }
  void didCheck(Date now) { nextCheck = now + checkInterval; }
  void failed(Date now) { nextCheck = now + failureInterval; }

  friend bool operator==(const FinderHiddenRepairState&, const FinderHiddenRepairState&) = default;
};

}  // namespace tidyframe
