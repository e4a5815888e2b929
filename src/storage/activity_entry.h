#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/date.h"
#include "base/json.h"
#include "base/json_reader.h"
#include "base/uuid.h"

namespace tidyframe {

// The log keeps the newest entries up to this many.
inline constexpr std::size_t activityCap = 500;

// One record of the activity log: an arrangement, a notable failure or a user action. The log
// is a list of them, newest first. Texts are already in the interface language of the moment.
struct ActivityEntry {
  std::string id = makeUuid();
  // When it happened; the caller stamps it from its Dispatch clock.
  Date date;
  std::string title;
  std::string detail;
  std::optional<std::string> path;
  bool success = false;
  // The Finder's menu titles of the arrangement the change replaced, and the window it was
  // made in: what undo needs to put the window back.
  std::optional<std::string> previousGroup;
  std::optional<std::string> previousSort;
  std::optional<std::string> windowID;
  // The view text the window reported before the change put it in another view ("icon view");
  // absent when the view was not changed.
  std::optional<std::string> previousView = std::nullopt;

  friend bool operator==(const ActivityEntry&, const ActivityEntry&) = default;
};

// The stored form of one entry and of the whole list (also the form of an exported log). An
// entry lacking a required key or holding a value of the wrong type, an id that is no UUID or
// a date that is no finite number, fails to decode, and with it the whole list.
Json toJson(const ActivityEntry& entry);
Json toJson(const std::vector<ActivityEntry>& entries);

// Each reads the next value of `reader`, entries one at a time.
std::optional<ActivityEntry> fromJson(JsonReader& reader, std::type_identity<ActivityEntry>);
std::optional<std::vector<ActivityEntry>> fromJson(JsonReader& reader, std::type_identity<std::vector<ActivityEntry>>);

}  // namespace tidyframe
