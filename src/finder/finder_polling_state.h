#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/date.h"

namespace tidyframe {

// Exponential back-off after failed Finder queries: 4, 8, 16, then 30 seconds. A plain value
// owned by the engine and changed on the main queue only.
struct FinderPollingState {
  std::int64_t failures = 0;
  Date nextQuery = Date::distantPast();

  bool canQuery(Date now) const { return now >= nextQuery; }

  void failed(Date now) {
    failures = std::min<std::int64_t>(failures + 1, 4);
    nextQuery = now + std::min(2.0 * std::exp2(static_cast<double>(failures)), 30.0);
  }

  // After a success or an explicit user action: the next tick may query at once.
  void succeeded() { *this = FinderPollingState{}; }

  friend bool operator==(const FinderPollingState&, const FinderPollingState&) = default;
};

}  // namespace tidyframe
