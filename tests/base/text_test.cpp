#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "base/base64.h"
#include "base/unicode.h"
#include "base/uuid.h"

namespace tidyframe {
namespace {

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
  struct Case {
    const char* input;
    std::optional<std::string> canonical;
  };
  const Case cases[] = {
      {"6ba7b810-9dad-11d1-80b4-00c04fd430c8", "6BA7B810-9DAD-11D1-80B4-00C04FD430C8"},
      {"6BA7B8109DAD11D180B400C04FD430C8", std::nullopt},
      {"6BA7B810-9DAD-11D1-80B4-00C04FD430CG", std::nullopt},
      {"6BA7B810-9DAD-11D1-80B4-00C04FD430C", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(canonicalUuid(c.input), c.canonical) << c.input;
}

TEST(Base64Test, EncodesAndDecodesStrictly) {
  struct Case {
    Bytes bytes;
    std::string text;
  };
  const Case cases[] = {{{}, ""}, {{'f'}, "Zg=="}, {{'f', 'o'}, "Zm8="}, {{'f', 'o', 'o'}, "Zm9v"},
                        {{0xFF, 0x00, 0xFE, 0x01}, "/wD+AQ=="}};
  for (const auto& c : cases) {
    EXPECT_EQ(base64Encode(c.bytes), c.text);
    EXPECT_EQ(base64Decode(c.text), c.bytes) << c.text;
  }
  const struct {
    const char* text;
    const char* reason;
  } refused[] = {
      {"Zg=", "length not a multiple of four"},
      {"Z===", "three padding characters"},
      {"Zm9v!A==", "a character outside the alphabet"},
      {"=Zm9", "padding first"},
      {"Zg==Zg==", "padding before the end"},
      {"QR==", "non-zero bits under two padding characters"},
      {"Zm9=", "non-zero bits under one padding character"},
  };
  for (const auto& c : refused) EXPECT_FALSE(base64Decode(c.text).has_value()) << c.reason;
}

TEST(UnicodeTest, NormalisesToComposedFormAndRepairsBadBytes) {
  struct Case {
    const char* reason;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"ASCII passes unchanged", "/Users/demo", "/Users/demo"},
      {"decomposed accent composes", "Cafe\xCC\x81", "Caf\xC3\xA9"},
      {"composed accent stays", "Caf\xC3\xA9", "Caf\xC3\xA9"},
      {"Hangul jamo compose", "\xE1\x84\x92\xE1\x85\xA1", "\xED\x95\x98"},
      {"bad byte becomes U+FFFD", "a\x80" "b", "a\xEF\xBF\xBD" "b"},
  };
  for (const auto& c : cases) EXPECT_EQ(unicode::nfc(c.input), c.expected) << c.reason;
}

TEST(UnicodeTest, ControlAndFormatCharacters) {
  struct Case {
    const char* reason;
    std::string text;
    bool found;
  };
  const Case cases[] = {
      {"plain path", "/Users/demo/Folder \"中文\"", false},
      {"delete is a control", "a\x7f", true},
      {"zero-width joiner is a format character", "a\xE2\x80\x8D" "b", true},
      {"right-to-left mark", "\xE2\x80\x8F", true},
  };
  for (const auto& c : cases) EXPECT_EQ(unicode::containsControlOrFormat(c.text), c.found) << c.reason;
}

TEST(UnicodeTest, FoldedContainment) {
  struct Case {
    const char* reason;
    std::string text, search;
    bool found;
  };
  const Case cases[] = {
      {"full folding: sharp s is two letters", "STRASSE", "straße", true},
      {"and the other way round", "Straße", "STRASSE", true},
      {"capital accent finds the small one", "é", "É", true},
      {"decomposed text is composed first", "Cafe\xCC\x81", "café", true},
      {"accents still count", "é", "e", false},
      {"a folding that splits a letter from its mark is composed again", "\xC7\xB0", "j", false},
      {"an empty search matches anything", "", "", true},
      {"a longer search is not found", "ab", "abc", false},
  };
  for (const auto& c : cases) EXPECT_EQ(unicode::containsFolded(c.text, c.search), c.found) << c.reason;
}

}  // namespace
}  // namespace tidyframe
