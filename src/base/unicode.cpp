#include "base/unicode.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tidyframe::unicode {

namespace {

bool isAscii(std::string_view text) {
  std::size_t at = 0;
  for (std::uint64_t word = 0; at + sizeof word <= text.size(); at += sizeof word) {
    std::memcpy(&word, text.data() + at, sizeof word);
    if ((word & 0x8080808080808080ull) != 0) return false;
  }
  return std::ranges::all_of(text.substr(at), [](unsigned char c) { return c < 0x80; });
}

// Walks `text` scalar by scalar; `visit(scalar)` sees U_SENTINEL (-1) for ill-formed bytes.
template <class Visit>
void forEachScalar(std::string_view text, Visit visit) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t offset = 0;
  while (offset < length) {
    const std::int32_t start = offset;
    UChar32 scalar = 0;
    U8_NEXT(bytes, offset, length, scalar);
    if (!visit(scalar, start, offset)) return;
  }
}

const icu::Normalizer2* nfcNormalizer() {
  UErrorCode status = U_ZERO_ERROR;
  const auto* normalizer = icu::Normalizer2::getNFCInstance(status);
  return U_SUCCESS(status) ? normalizer : nullptr;
}

}  // namespace

// Whole words at a time through ASCII, which nearly all paths and documents are (four at once
// through a stored document's long runs of it), and ICU's decoder for the rest.
bool isValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  std::size_t at = 0;
  constexpr std::uint64_t high = 0x8080808080808080ull;
  while (at < text.size()) {
    std::uint64_t words[4];
    if (text.size() - at >= sizeof words) {
      std::memcpy(words, bytes + at, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & high) == 0) {
        at += sizeof words;
        continue;
      }
    }
    std::uint64_t word = 0;
    if (text.size() - at >= sizeof word) {
      std::memcpy(&word, bytes + at, sizeof word);
      if ((word & high) == 0) {
        at += sizeof word;
        continue;
      }
    }
    const auto window = static_cast<std::int32_t>(std::min<std::size_t>(U8_MAX_LENGTH, text.size() - at));
    std::int32_t length = 0;
    UChar32 scalar = 0;
    U8_NEXT(bytes + at, length, window, scalar);
    if (scalar < 0) return false;
    at += static_cast<std::size_t>(length);
  }
  return true;
}

std::string repairedUtf8(std::string_view text) {
  if (isValidUtf8(text)) return std::string(text);
  std::string result;
  result.reserve(text.size() + 8);
  forEachScalar(text, [&](UChar32 scalar, std::int32_t start, std::int32_t end) {
    if (scalar < 0) {
      result += "\xEF\xBF\xBD";
    } else {
      result.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    }
    return true;
  });
  return result;
}

std::string nfc(std::string_view text) {
  if (isAscii(text)) return std::string(text);
  const std::string valid = repairedUtf8(text);
  const auto* normalizer = nfcNormalizer();
  if (!normalizer) return valid;
  const auto source = icu::UnicodeString::fromUTF8(valid);
  UErrorCode status = U_ZERO_ERROR;
  if (normalizer->quickCheck(source, status) == UNORM_YES && U_SUCCESS(status)) return valid;
  status = U_ZERO_ERROR;
  const auto composed = normalizer->normalize(source, status);
  if (U_FAILURE(status)) return valid;
  std::string result;
  composed.toUTF8String(result);
  return result;
}

bool isNfc(std::string_view text) {
  if (isAscii(text)) return true;
  if (!isValidUtf8(text)) return false;
  const auto* normalizer = nfcNormalizer();
  // Without a normaliser nfc() leaves valid text as it is.
  if (!normalizer) return true;
  UErrorCode status = U_ZERO_ERROR;
  const bool normalized =
      normalizer->isNormalizedUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())), status);
  return U_SUCCESS(status) ? normalized : nfc(text) == text;
}

std::size_t scalarCount(std::string_view text) {
  std::size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

bool isCharacterBoundary(std::string_view text, std::size_t offset) {
  if (offset == 0 || offset >= text.size()) return true;
  if (static_cast<unsigned char>(text[offset]) < 0x80 && static_cast<unsigned char>(text[offset - 1]) < 0x80 &&
      text[offset - 1] != '\r') {
    return true;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> breaks(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) return true;
  const auto prefix = icu::UnicodeString::fromUTF8(text.substr(0, offset));
  const auto whole = icu::UnicodeString::fromUTF8(text);
  breaks->setText(whole);
  return breaks->isBoundary(prefix.length());
}

bool containsControlOrFormat(std::string_view text) {
  bool found = false;
  forEachScalar(text, [&](UChar32 scalar, std::int32_t, std::int32_t) {
    if (scalar < 0) return true;
    const auto category = u_charType(scalar);
    found = category == U_CONTROL_CHAR || category == U_FORMAT_CHAR;
    return !found;
  });
  return found;
}

std::string_view trimmedWhiteSpace(std::string_view text) {
  std::size_t start = text.size();
  std::size_t end = 0;
  forEachScalar(text, [&](UChar32 scalar, std::int32_t from, std::int32_t to) {
    if (scalar >= 0 && u_isUWhiteSpace(scalar)) return true;
    start = std::min(start, static_cast<std::size_t>(from));
    end = static_cast<std::size_t>(to);
    return true;
  });
  return start < end ? text.substr(start, end - start) : std::string_view();
}

namespace {

// Folding can leave a letter and its mark apart ("ǰ" folds to "j" and a combining caron), so
// the folded text is composed again before it is compared.
icu::UnicodeString folded(std::string_view text) {
  icu::UnicodeString value = icu::UnicodeString::fromUTF8(nfc(text));
  value.foldCase(U_FOLD_CASE_DEFAULT);
  const icu::Normalizer2* normalizer = nfcNormalizer();
  if (!normalizer) return value;
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString composed = normalizer->normalize(value, status);
  return U_SUCCESS(status) ? composed : value;
}

}  // namespace

bool containsFolded(std::string_view text, std::string_view search) {
  if (search.empty()) return true;
  return folded(text).indexOf(folded(search)) >= 0;
}

}  // namespace tidyframe::unicode
