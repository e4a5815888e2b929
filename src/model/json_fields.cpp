#include "model/json_fields.h"

#include <cmath>

#include "base/uuid.h"

namespace tidyframe {

JsonFields::JsonFields(const Json& value) : object_(value.is_object() ? &value : nullptr), failed_(!object_) {}

const Json* JsonFields::member(std::string_view key) const {
  if (!object_) return nullptr;
  const auto found = object_->find(key);
  if (found == object_->end() || found->is_null()) return nullptr;
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
