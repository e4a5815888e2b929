#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidyframe::unicode {

// Whether `text` is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view text);

// `text` with every ill-formed sequence replaced by U+FFFD, so it can always be written out.
std::string repairedUtf8(std::string_view text);

// Canonical composition (NFC) of well-formed UTF-8. Ill-formed input is repaired first.
// Text already in NFC (all ASCII text is) is returned without calling into ICU's normaliser.
std::string nfc(std::string_view text);
// Whether nfc() would give `text` back unchanged, without making a copy.
bool isNfc(std::string_view text);

// Number of Unicode scalars in well-formed UTF-8.
std::size_t scalarCount(std::string_view text);

// Whether the byte offset lies between two user-perceived characters (grapheme clusters), so
// that a prefix ending there never splits a base letter from its combining marks.
bool isCharacterBoundary(std::string_view text, std::size_t offset);

// `text` without the white space and line breaks (Unicode White_Space, such as U+3000 and
// U+2028) at either end. Ill-formed bytes are not white space and stay.
std::string_view trimmedWhiteSpace(std::string_view text);

// Whether any scalar of `text` has general category Cc (control) or Cf (format).
bool containsControlOrFormat(std::string_view text);

// Whether `text` contains `search` when both are composed (NFC) and fully case folded, so
// "straße" finds "STRASSE" and "É" finds "é", while accents still count: "e" does not find "é".
// An empty search is found everywhere.
bool containsFolded(std::string_view text, std::string_view search);

}  // namespace tidyframe::unicode
