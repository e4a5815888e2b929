#include "model/json_fields.h"

#include <algorithm>
#include <cmath>

#include "base/uuid.h"

namespace tidyframe {

JsonFields::JsonFields(JsonReader& reader, std::initializer_list<std::string_view> keys,
                       std::initializer_list<Streamed> streamed) {
  const auto read = reader.object([&](std::string key) {
    const auto stream = std::ranges::find(streamed, key, &Streamed::first);
    if (stream != streamed.end()) return stream->second(reader);
    if (std::ranges::find(keys, key) == keys.end()) return reader.skip();
    const auto kind = reader.peek();
    if (kind == JsonReader::Kind::array || kind == JsonReader::Kind::object) {
      object_[key] = Json::array();
      return reader.skip();
    }
    auto value = reader.value();
    if (value) object_[key] = std::move(*value);
    return value.has_value();
  });
  failed_ = !read;
}

const Json* JsonFields::member(std::string_view key) const {
  const auto found = object_.find(key);
  if (found == object_.end() || found->is_null()) return nullptr;
  return &*found;
}

std::string JsonFields::text(std::string_view key) { return required(optionalText(key), key); }

bool JsonFields::flag(std::string_view key) { return required(optionalFlag(key), key); }

std::string JsonFields::uuid(std::string_view key) {
  const auto id = canonicalUuid(text(key));
  if (!id) fail();
  return id.value_or(std::string{});
}

double JsonFields::number(std::string_view key) {
  const Json* value = member(key);
  if (!value || !value->is_number() || !std::isfinite(value->get<double>())) {
    fail();
    return 0;
  }
  return value->get<double>();
}

std::optional<std::string> JsonFields::optionalText(std::string_view key) {
  const Json* value = member(key);
  if (!value) return std::nullopt;
  if (!value->is_string()) {
    fail();
    return std::nullopt;
  }
  return value->get<std::string>();
}

std::optional<bool> JsonFields::optionalFlag(std::string_view key) {
  const Json* value = member(key);
  if (!value) return std::nullopt;
  if (!value->is_boolean()) {
    fail();
    return std::nullopt;
  }
  return value->get<bool>();
}

}  // namespace tidyframe
