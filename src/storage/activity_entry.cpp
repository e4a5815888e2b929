#include "storage/activity_entry.h"

#include "model/json_fields.h"

namespace tidyframe {

namespace {

void putIfPresent(Json& object, const char* key, const std::optional<std::string>& value) {
  if (value) object[key] = *value;
}

}  // namespace

Json toJson(const ActivityEntry& entry) {
  Json object = {
      {"id", entry.id},
      {"date", entry.date.secondsSinceReferenceDate},
      {"title", entry.title},
      {"detail", entry.detail},
      {"success", entry.success},
  };
  putIfPresent(object, "path", entry.path);
  putIfPresent(object, "previousGroup", entry.previousGroup);
  putIfPresent(object, "previousSort", entry.previousSort);
  putIfPresent(object, "windowID", entry.windowID);
  return object;
}

Json toJson(const std::vector<ActivityEntry>& entries) {
  Json list = Json::array();
  for (const auto& entry : entries) list.push_back(toJson(entry));
  return list;
}

std::optional<ActivityEntry> fromJson(const Json& value, std::type_identity<ActivityEntry>) {
  JsonFields fields(value);
  ActivityEntry entry{
      .id = fields.uuid("id"),
      .date = Date{fields.number("date")},
      .title = fields.text("title"),
      .detail = fields.text("detail"),
      .path = fields.optionalText("path"),
      .success = fields.flag("success"),
      .previousGroup = fields.optionalText("previousGroup"),
      .previousSort = fields.optionalText("previousSort"),
      .windowID = fields.optionalText("windowID"),
  };
  if (fields.failed()) return std::nullopt;
  return entry;
}

std::optional<std::vector<ActivityEntry>> fromJson(const Json& value,
                                                   std::type_identity<std::vector<ActivityEntry>>) {
  if (!value.is_array()) return std::nullopt;
  std::vector<ActivityEntry> entries;
  entries.reserve(value.size());
  for (const auto& element : value) {
    auto entry = fromJson(element, std::type_identity<ActivityEntry>{});
    if (!entry) return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return entries;
}

}  // namespace tidyframe
