#pragma once

#include <compare>

namespace tidyframe {

// A moment in time as seconds since 1 January 2001 UTC, the form every stored date takes.
struct Date {
  double secondsSinceReferenceDate = 0;

  // Seconds between the Unix epoch and the reference date.
  static constexpr double unixOffset = 978307200.0;

  static constexpr Date distantPast() { return Date{-63114076800.0}; }
  static constexpr Date fromUnixTime(double seconds) { return Date{seconds - unixOffset}; }
  constexpr double unixTime() const { return secondsSinceReferenceDate + unixOffset; }

  constexpr Date operator+(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }
  constexpr Date operator-(double seconds) const { return Date{secondsSinceReferenceDate - seconds}; }
  constexpr double operator-(Date other) const {
    return secondsSinceReferenceDate - other.secondsSinceReferenceDate;
  }
  friend constexpr auto operator<=>(Date, Date) = default;
};

}  // namespace tidyframe
