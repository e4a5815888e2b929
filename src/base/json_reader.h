#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/json.h"

namespace tidyframe {

// Reads one JSON text (RFC 8259) value by value, front to back, without building a tree: a
// caller reads the members and elements it wants straight into its own types and maps and
// skips the rest, which costs no memory. The text itself, the caller's values and the string
// being read are all the memory a read takes, so a large or hostile document cannot multiply
// its size in memory the way a generic tree does (a tree of 20 million empty objects takes
// about 28 times the text).
//
// Tokens come from nlohmann's lexer, the one its parser uses; this class adds the grammar,
// the depth limit (maximumJsonDepth) and the refusal of numbers too large for a double. The
// first error marks the reader failed, and every read after that answers nothing or false.
class JsonReader {
 public:
  enum class Kind { null, boolean, number, string, array, object };

  explicit JsonReader(std::string_view text);
  ~JsonReader();
  JsonReader(const JsonReader&) = delete;
  JsonReader& operator=(const JsonReader&) = delete;

  bool failed() const { return failed_; }
  // Why the reader failed; empty while it has not.
  const std::string& error() const { return error_; }
  // Marks the reader failed, for a value that is valid JSON but not what the caller reads.
  bool fail(std::string why = "the document does not have the expected form");

  // The kind of the next value, without reading it; nothing at an error.
  std::optional<Kind> peek();

  // Each reads the next value when it is of that kind; another kind fails the reader.
  std::optional<std::string> string();
  std::optional<bool> boolean();
  // An integer (signed or unsigned, as it fits) or a finite double.
  std::optional<Json> number();

  // Reads an object: `member(key)` runs for each member in the order written and must read or
  // skip the member's value; answering false fails the reader. Answers whether all went well.
  template <class Member>
  bool object(Member&& member) {
    if (!beginObject()) return false;
    while (auto key = nextKey()) {
      if (!member(std::move(*key))) return fail();
    }
    return !failed_;
  }

  // Reads an array: `element()` runs for each element and must read or skip it.
  template <class Element>
  bool array(Element&& element) {
    if (!beginArray()) return false;
    while (nextElement()) {
      if (!element()) return fail();
    }
    return !failed_;
  }

  // Reads the next value, whatever it is, and drops it.
  bool skip();
  // Reads the next value as a tree; meant for small values.
  std::optional<Json> value();
  // Whether only white space is left after what was read. A document is one value followed by
  // nothing, so readers of whole documents finish with this.
  bool finished();

 private:
  class Tokens;
  bool beginObject();
  bool beginArray();
  std::optional<std::string> nextKey();
  bool nextElement();
  bool enter();
  bool closes(bool object);

  std::unique_ptr<Tokens> tokens_;
  // For each open container, whether it is still waiting for its first member or element.
  std::vector<bool> openFirst_;
  bool failed_ = false;
  std::string error_;
};

// A generic value reads as the tree it is.
inline std::optional<Json> fromJson(JsonReader& reader, std::type_identity<Json>) { return reader.value(); }

// The value of type T that the whole of `text` holds, read by the fromJson(JsonReader&,
// std::type_identity<T>) found next to T; nothing when the text is not valid JSON, has more
// after the value, or does not have T's form.
template <class T>
std::optional<T> decodeJson(std::string_view text) {
  JsonReader reader(text);
  auto value = fromJson(reader, std::type_identity<T>{});
  if (!value || !reader.finished()) return std::nullopt;
  return value;
}

}  // namespace tidyframe
