#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "base/base64.h"
#include "base/unicode.h"
#include "base/uuid.h"

namespace tidyframe {
namespace {

// A text and its expected form, or nothing when it has none.
struct TextCase {
  const char* reason;
  std::string input;
  std::optional<std::string> expected;
};

TEST(UuidTest, RandomUuidsAreCanonicalVersionFourAndDistinct) {
  const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 500; ++i) {
    const auto uuid = makeUuid();
    EXPECT_TRUE(std::regex_match(uuid, canonical)) << uuid;
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 500u);
}

TEST(UuidTest, CanonicalFormOfTexts) {
  const TextCase cases[] = {
      {"written in capitals", "6ba7b810-9dad-11d1-80b4-00c04fd430c8", "6BA7B810-9DAD-11D1-80B4-00C04FD430C8"},
      {"the hyphens are part of the form", "6BA7B8109DAD11D180B400C04FD430C8", std::nullopt},
      {"a letter beyond F", "6BA7B810-9DAD-11D1-80B4-00C04FD430CG", std::nullopt},
      {"a digit short", "6BA7B810-9DAD-11D1-80B4-00C04FD430C", std::nullopt},
      {"empty text", "", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(canonicalUuid(c.input), c.expected) << c.reason;
}

// Each text that decodes is the one encoding of its bytes, given here as a string.
TEST(Base64Test, EncodesAndDecodesStrictly) {
  const TextCase cases[] = {
      {"nothing", "", ""},
      {"one byte of a group: two padding characters", "Zg==", "f"},
      {"two bytes: one", "Zm8=", "fo"},
      {"a whole group: none", "Zm9v", "foo"},
      {"the alphabet's last two characters", "/wD+AQ==", std::string("\xFF\x00\xFE\x01", 4)},
      {"length not a multiple of four", "Zg=", std::nullopt},
      {"three padding characters", "Z===", std::nullopt},
      {"a character outside the alphabet", "Zm9v!A==", std::nullopt},
      {"a character after padding", "Zg=A", std::nullopt},
      {"padding before the end", "Zg==Zg==", std::nullopt},
      {"non-zero bits under two padding characters", "QR==", std::nullopt},
      {"non-zero bits under one padding character", "Zm9=", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto bytes = c.expected.transform([](const std::string& text) { return Bytes(text.begin(), text.end()); });
    EXPECT_EQ(base64Decode(c.input), bytes) << c.reason;
    if (bytes) {
      EXPECT_EQ(base64Encode(*bytes), c.input) << c.reason;
    }
  }
}

TEST(UnicodeTest, NormalisesToComposedFormAndRepairsBadBytes) {
  const TextCase cases[] = {
      {"ASCII passes unchanged", "/Users/demo", "/Users/demo"},
      {"decomposed accent composes", "Cafe\xCC\x81", "Caf\xC3\xA9"},
      {"composed accent stays", "Caf\xC3\xA9", "Caf\xC3\xA9"},
      {"Hangul jamo compose", "\xE1\x84\x92\xE1\x85\xA1", "\xED\x95\x98"},
      {"bad byte becomes U+FFFD", "a\x80" "b", "a\xEF\xBF\xBD" "b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unicode::nfc(c.input), c.expected) << c.reason;
    EXPECT_EQ(unicode::isNfc(c.input), c.input == c.expected) << c.reason;
  }
}

// The UTF-8 check runs eight ASCII bytes at a time, so sequences sit at and across word ends.
TEST(UnicodeTest, ClassifiesText) {
  using unicode::containsControlOrFormat, unicode::containsFolded, unicode::isValidUtf8;
  struct Case {
    const char* reason;
    bool answer;
    bool expected;
  };
  const Case cases[] = {
      {"ASCII running past a word", isValidUtf8("abcdefghijk"), true},
      {"a two-byte sequence ending a word", isValidUtf8("abcdefg\xC3\xA9"), true},
      {"a four-byte sequence before a word", isValidUtf8("\xF0\x9F\x98\x80 abcdefgh"), true},
      {"a sequence cut short at the end", isValidUtf8("abcdefg\xC3"), false},
      {"a lone continuation byte after a word", isValidUtf8("abcdefgh\x80"), false},
      {"an overlong slash", isValidUtf8("\xC0\xAF"), false},
      {"an encoded surrogate", isValidUtf8("\xED\xA0\x80"), false},
      {"a value past U+10FFFF", isValidUtf8("\xF4\x90\x80\x80"), false},
      {"a plain path has no control character", containsControlOrFormat("/Users/demo/Folder \"中文\""), false},
      {"delete is a control", containsControlOrFormat("a\x7f"), true},
      {"zero-width joiner is a format character", containsControlOrFormat("a\xE2\x80\x8D" "b"), true},
      {"right-to-left mark", containsControlOrFormat("\xE2\x80\x8F"), true},
      {"full folding: sharp s is two letters", containsFolded("STRASSE", "straße"), true},
      {"and the other way round", containsFolded("Straße", "STRASSE"), true},
      {"capital accent finds the small one", containsFolded("é", "É"), true},
      {"decomposed text is composed first", containsFolded("Cafe\xCC\x81", "café"), true},
      {"accents still count", containsFolded("é", "e"), false},
      {"a folding that splits a letter from its mark is composed again", containsFolded("\xC7\xB0", "j"), false},
      {"an empty search matches anything", containsFolded("", ""), true},
      {"a longer search is not found", containsFolded("ab", "abc"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.answer, c.expected) << c.reason;
}

}  // namespace
}  // namespace tidyframe
