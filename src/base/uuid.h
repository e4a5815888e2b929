#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidyframe {

// A random version-4 UUID in canonical upper-case form, "XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX".
std::string makeUuid();

// The canonical upper-case form of a UUID text in either case, or nothing when `text` is not
// a hyphenated 36-character UUID.
std::optional<std::string> canonicalUuid(std::string_view text);

}  // namespace tidyframe
