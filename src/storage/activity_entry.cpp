#include "storage/activity_entry.h"

#include "model/json_fields.h"

namespace tidyframe {

namespace {

// An entry's member names, shared with files of the earlier build.
namespace member {
constexpr const char* id = "id";
constexpr const char* date = "date";
constexpr const char* title = "title";
constexpr const char* detail = "detail";
constexpr const char* path = "path";
constexpr const char* success = "success";
constexpr const char* previousGroup = "previousGroup";
constexpr const char* previousSort = "previousSort";
constexpr const char* windowID = "windowID";
constexpr const char* previousView = "previousView";
}  // namespace member

void putIfPresent(Json& object, const char* key, const std::optional<std::string>& value) {
  if (value) object[key] = *value;
}

}  // namespace

Json toJson(const ActivityEntry& entry) {
  Json object = {
      {member::id, entry.id},
      {member::date, entry.date.secondsSinceReferenceDate},
      {member::title, entry.title},
      {member::detail, entry.detail},
      {member::success, entry.success},
  };
  putIfPresent(object, member::path, entry.path);
  putIfPresent(object, member::previousGroup, entry.previousGroup);
  putIfPresent(object, member::previousSort, entry.previousSort);
  putIfPresent(object, member::windowID, entry.windowID);
  putIfPresent(object, member::previousView, entry.previousView);
  return object;
}

Json toJson(const std::vector<ActivityEntry>& entries) {
  Json list = Json::array();
  for (const auto& entry : entries) list.push_back(toJson(entry));
  return list;
}

std::optional<ActivityEntry> fromJson(JsonReader& reader, std::type_identity<ActivityEntry>) {
  JsonFields fields(reader, {member::id, member::date, member::title, member::detail, member::path, member::success,
                             member::previousGroup, member::previousSort, member::windowID, member::previousView});
  ActivityEntry entry{
      .id = fields.uuid(member::id),
      .date = Date{fields.number(member::date)},
      .title = fields.text(member::title),
      .detail = fields.text(member::detail),
      .path = fields.optionalText(member::path),
      .success = fields.flag(member::success),
      .previousGroup = fields.optionalText(member::previousGroup),
      .previousSort = fields.optionalText(member::previousSort),
      .windowID = fields.optionalText(member::windowID),
      .previousView = fields.optionalText(member::previousView),
  };
  if (fields.failed()) return std::nullopt;
  return entry;
}

std::optional<std::vector<ActivityEntry>> fromJson(JsonReader& reader,
                                                   std::type_identity<std::vector<ActivityEntry>>) {
  std::vector<ActivityEntry> entries;
  const bool read = reader.array([&] {
    auto entry = fromJson(reader, std::type_identity<ActivityEntry>{});
    if (entry) entries.push_back(std::move(*entry));
    return entry.has_value();
  });
  if (!read) return std::nullopt;
  return entries;
}

}  // namespace tidyframe
