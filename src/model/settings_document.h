#pragma once

#include <optional>
#include <type_traits>

#include "base/json.h"
#include "base/json_reader.h"
#include "model/preferences.h"

namespace tidyframe {

// The JSON form of the settings record, shared by the stored settings, exported rule files
// and the backup written before an import.
//
// Writing always succeeds and lists every key but the views; a rule's absent volume UUID,
// bookmark or view is left out, and so is the global view while it is `keep`. Reading is
// tolerant of older and later documents: a missing (or null) key takes its fresh value, and
// `updateFrequency` or a view of any unknown value or type reads as the default. Everything else is
// strict: a member of the wrong JSON type, an unknown enumeration raw value, a rule missing a
// required key, an id that is not a UUID or a bookmark that is not Base64 fails the whole
// document. Unknown keys are ignored.
Json toJson(const LocationRule& rule);
Json toJson(const Preferences& preferences);

// Each reads the next value of `reader`; a failure may leave the reader failed.
std::optional<LocationRule> fromJson(JsonReader& reader, std::type_identity<LocationRule>);
std::optional<Preferences> fromJson(JsonReader& reader, std::type_identity<Preferences>);

}  // namespace tidyframe
