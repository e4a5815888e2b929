#pragma once

#include <expected>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tidyframe {

using Json = nlohmann::json;

// Deepest nesting a document may have; stored documents are a few levels deep, so anything
// deeper is refused before it can exhaust the stack.
inline constexpr int maximumJsonDepth = 512;

// The document in the stored-file style: two-space indentation, `"key" : value`, keys in
// ascending code-point order, "/" written as "\/", raw UTF-8 for other characters, numbers in
// the shortest text that reads back to the same double. Text that is not valid UTF-8 is
// written with U+FFFD in place of each bad sequence. A NaN or infinite number has no JSON
// form: the answer is then an error naming it, never a document that cannot be read back.
std::expected<std::string, std::string> writeJson(const Json& value);

// Appends `raw` as a string of the stored-file style: quoted, escaped as writeJson() escapes.
void appendJsonString(std::string& out, std::string_view raw);

// Any valid JSON text (RFC 8259), as a value; an error message when it is not valid or nests
// deeper than maximumJsonDepth.
std::expected<Json, std::string> parseJson(std::string_view text);

}  // namespace tidyframe
