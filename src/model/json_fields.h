#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/json.h"
#include "base/json_reader.h"
#include "base/raw_enum.h"

namespace tidyframe {

// Reads the members of one stored JSON object under the rules every document of the system
// shares: a member that is missing or null is absent, a present member must have exactly its
// JSON type (a number is never a boolean, a text never a number), and an enumeration must be
// one of its raw values. The first violation marks the reader failed; the values it answers
// after that are placeholders the caller throws away once it sees failed().
class JsonFields {
 public:
  // Reads a member too large to hold as a value (a list or map of many records) straight from
  // the reader into the caller's own values; answers false when it does not have the form
  // wanted, which fails the fields.
  using Streamed = std::pair<std::string_view, std::function<bool(JsonReader&)>>;

  // Reads the next value of `reader`, which must be an object, keeping only the members named
  // in `keys` (a list or object under one of those names is kept as an empty list, so reading
  // it as a text or flag fails) and handing each member named in `streamed` to its function.
  // Every other member is skipped unread, so an object's memory is that of what it keeps.
  // A value that is not an object fails at once.
  JsonFields(JsonReader& reader, std::initializer_list<std::string_view> keys,
             std::initializer_list<Streamed> streamed = {});

  bool failed() const { return failed_; }
  void fail() { failed_ = true; }

  // The member when present and not null.
  const Json* member(std::string_view key) const;

  // Required members: missing, null or of the wrong type fails.
  std::string text(std::string_view key);
  bool flag(std::string_view key);
  // A UUID in either case, answered in its canonical upper-case form.
  std::string uuid(std::string_view key);
  // A finite number, integer or not.
  double number(std::string_view key);
  template <class E>
  E choice(std::string_view key) {
    return required(optionalChoice<E>(key), key);
  }

  // Optional members: missing or null answers nothing; the wrong type fails.
  std::optional<std::string> optionalText(std::string_view key);
  std::optional<bool> optionalFlag(std::string_view key);
  template <class E>
  std::optional<E> optionalChoice(std::string_view key) {
    const auto raw = optionalText(key);
    if (!raw) return std::nullopt;
    const auto value = fromRaw<E>(*raw);
    if (!value) fail();
    return value;
  }

 private:
  template <class T>
  T required(std::optional<T> value, std::string_view key) {
    if (!value && !member(key)) fail();
    return value.value_or(T{});
  }

  Json object_ = Json::object();
  bool failed_ = false;
};

}  // namespace tidyframe
