#include "command/command_request.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "base/json_reader.h"
#include "base/unicode.h"

namespace tidyframe::CommandMessages {

namespace {

std::string line(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n"; }

std::expected<void, std::string> refuse(std::string why) { return std::unexpected(std::move(why)); }

bool acceptableText(std::string_view text) {
  return text.size() <= maximumTextSize && unicode::isValidUtf8(text) && !unicode::containsControlOrFormat(text);
}

// Reads a string member into `target` when it is an acceptable text and `accept` takes it.
template <class Accept>
bool readText(JsonReader& reader, std::string_view key, Accept accept) {
  const auto text = reader.string();
  if (!text) return false;
  if (!acceptableText(*text)) return reader.fail("'" + std::string(key) + "' is not an acceptable text");
  if (!accept(*text)) return reader.fail("'" + std::string(key) + "' has no known value");
  return true;
}

template <class E>
bool readRaw(JsonReader& reader, std::string_view key, std::optional<E>& target) {
  return readText(reader, key, [&](const std::string& text) { return (target = fromRaw<E>(text)).has_value(); });
}

bool readFlag(JsonReader& reader, bool& target) {
  const auto value = reader.boolean();
  if (value) target = *value;
  return value.has_value();
}

bool readFlag(JsonReader& reader, std::optional<bool>& target) {
  bool value = false;
  if (!readFlag(reader, value)) return false;
  target = value;
  return true;
}

bool readCount(JsonReader& reader, int& target) {
  const auto number = reader.number();
  if (!number) return false;
  if (!number->is_number_integer()) return reader.fail("'count' is not a whole number");
  const auto value = number->get<std::int64_t>();
  if (value < 1 || value > maximumActivityCount) return reader.fail("'count' is out of range");
  target = static_cast<int>(value);
  return true;
}

bool readMember(JsonReader& reader, const std::string& key, CommandRequest& request) {
  const auto keep = [](std::string& target) { return [&target](const std::string& text) { return target = text, true; }; };
  auto& changes = request.changes;
  if (key == "command") {
    std::optional<Subcommand> command;
    if (!readRaw(reader, key, command)) return false;
    request.command = *command;
    return true;
  }
  if (key == "path") return readText(reader, key, keep(request.path));
  if (key == "rule") return readText(reader, key, keep(request.rule));
  if (key == "volumeID") return readText(reader, key, keep(request.volumeID.emplace()));
  if (key == "name") return readText(reader, key, keep(changes.name.emplace()));
  if (key == "grouping") return readRaw(reader, key, changes.grouping);
  if (key == "sorting") return readRaw(reader, key, changes.sorting);
  if (key == "view") {
    return readText(reader, key, [&](const std::string& text) {
      changes.view = fromRaw<FinderViewChoice>(text);
      return changes.view->has_value() || text == followDefaultView;
    });
  }
  if (key == "includeChildren") return readFlag(reader, changes.includeChildren);
  if (key == "excluded") return readFlag(reader, changes.excluded);
  if (key == "external") return readFlag(reader, request.external);
  if (key == "device") return readFlag(reader, request.device);
  if (key == "yes") return readFlag(reader, request.confirmed);
  if (key == "json") return readFlag(reader, request.json);
  if (key == "count") return readCount(reader, request.count);
  return reader.fail("unknown key '" + key + "'");
}

bool needsPath(Subcommand command) {
  return command == Subcommand::rulesExplain || command == Subcommand::rulesAdd ||
         command == Subcommand::rulesExport || command == Subcommand::rulesImport;
}

bool needsRule(Subcommand command) {
  return command == Subcommand::rulesSet || command == Subcommand::rulesEnable ||
         command == Subcommand::rulesDisable || command == Subcommand::rulesRemove;
}

}  // namespace

std::string encode(const CommandRequest& request) {
  Json value{{"command", rawValue(request.command)}, {"json", request.json}};
  if (!request.path.empty()) value["path"] = request.path;
  if (!request.rule.empty()) value["rule"] = request.rule;
  if (request.volumeID) value["volumeID"] = *request.volumeID;
  if (request.external) value["external"] = true;
  if (request.device) value["device"] = true;
  if (request.confirmed) value["yes"] = true;
  if (request.command == Subcommand::activity) value["count"] = request.count;
  const auto& changes = request.changes;
  if (changes.name) value["name"] = *changes.name;
  if (changes.grouping) value["grouping"] = rawValue(*changes.grouping);
  if (changes.sorting) value["sorting"] = rawValue(*changes.sorting);
  if (changes.view) value["view"] = *changes.view ? rawValue(**changes.view) : followDefaultView;
  if (changes.includeChildren) value["includeChildren"] = *changes.includeChildren;
  if (changes.excluded) value["excluded"] = *changes.excluded;
  return line(value);
}

std::expected<CommandRequest, std::string> decodeRequest(std::string_view text) {
  if (text.size() > maximumRequestSize) return std::unexpected("the request is longer than the channel accepts");
  JsonReader reader(text);
  CommandRequest request;
  std::set<std::string, std::less<>> seen;
  const bool read = reader.object([&](std::string key) {
    if (!seen.insert(key).second) return reader.fail("repeated key '" + key + "'");
    return readMember(reader, key, request);
  });
  if (!read || !reader.finished()) {
    return std::unexpected(reader.error().empty() ? "the request is not one JSON object" : reader.error());
  }
  if (!seen.contains("command")) return std::unexpected("the request names no command");
  if (auto checked = check(request); !checked) return std::unexpected(checked.error());
  return request;
}

std::expected<void, std::string> check(const CommandRequest& request) {
  const auto command = request.command;
  if (needsPath(command) != !request.path.empty()) return refuse("the request's path does not fit its command");
  if (!request.path.empty() && !request.path.starts_with('/')) return refuse("the request's path is not absolute");
  if (needsRule(command) != !request.rule.empty()) return refuse("the request's rule does not fit its command");
  if (command == Subcommand::rulesSet && request.changes.empty()) return refuse("the request changes nothing");
  const bool changes = command == Subcommand::rulesAdd || command == Subcommand::rulesSet;
  if (!changes && !request.changes.empty()) return refuse("the request's rule fields do not fit its command");
  const auto& name = request.changes.name;
  for (const auto* text : {&request.path, &request.rule, name ? &*name : nullptr, request.volumeID ? &*request.volumeID : nullptr}) {
    if (text && !acceptableText(*text)) return refuse("the request holds a text that is not acceptable");
  }
  if (request.count < 1 || request.count > maximumActivityCount) return refuse("the request's count is out of range");
  return {};
}

std::string encode(const CommandAnswer& answer) {
  return line(Json{{"status", answer.status}, {"output", answer.output}, {"error", answer.error}});
}

std::expected<CommandAnswer, std::string> decodeAnswer(std::string_view text) {
  if (text.size() > maximumAnswerSize) return std::unexpected("the answer is longer than a subcommand accepts");
  JsonReader reader(text);
  CommandAnswer answer;
  const bool read = reader.object([&](const std::string& key) {
    if (key == "output" || key == "error") {
      auto value = reader.string();
      if (value) (key == "output" ? answer.output : answer.error) = std::move(*value);
      return value.has_value();
    }
    if (key != "status") return reader.skip();
    const auto status = reader.number();
    if (!status || !status->is_number_integer()) return false;
    answer.status = static_cast<int>(std::clamp<std::int64_t>(status->get<std::int64_t>(), 0, 2));
    return true;
  });
  if (!read || !reader.finished()) return std::unexpected("the application's answer is not readable");
  return answer;
}

}  // namespace tidyframe::CommandMessages
