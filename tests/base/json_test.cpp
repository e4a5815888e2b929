#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "base/json.h"

namespace tidyframe {
namespace {

TEST(JsonWriterTest, WritesTheStoredFileStyle) {
  const Json document = {{"sorting", "name"},
                         {"rules", Json::array()},
                         {"path", "/Users/demo"},
                         {"engineEnabled", false},
                         {"date", 686000000.5},
                         {"count", 3},
                         {"nested", {{"b", Json::array({1, 2})}, {"a", Json::object()}}}};
  const std::string expected =
      "{\n"
      "  \"count\" : 3,\n"
      "  \"date\" : 686000000.5,\n"
      "  \"engineEnabled\" : false,\n"
      "  \"nested\" : {\n"
      "    \"a\" : {\n\n    },\n"
      "    \"b\" : [\n"
      "      1,\n"
      "      2\n"
      "    ]\n"
      "  },\n"
      "  \"path\" : \"\\/Users\\/demo\",\n"
      "  \"rules\" : [\n\n  ],\n"
      "  \"sorting\" : \"name\"\n"
      "}";
  EXPECT_EQ(writeJson(document).value(), expected);
}

TEST(JsonWriterTest, EscapesAndCharacters) {
  struct Case {
    const char* reason;
    std::string input;
    std::string written;
  };
  const Case cases[] = {
      {"quote and backslash", "a\"b\\c", R"("a\"b\\c")"},
      {"line breaks and tab", "a\nb\rc\td", R"("a\nb\rc\td")"},
      {"other control characters", std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
      {"non-Latin text stays raw", "中文 é", "\"中文 é\""},
      {"invalid UTF-8 becomes U+FFFD", "a\xff" "b\xc3", "\"a\xEF\xBF\xBD" "b\xEF\xBF\xBD\""},
      {"surrogate encoded in UTF-8 is invalid", "\xed\xa0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(writeJson(Json(c.input)).value(), c.written) << c.reason;
  }
}

TEST(JsonWriterTest, NumbersUseTheShortestTextThatReadsBack) {
  struct Case {
    double value;
    const char* written;
  };
  for (const auto& c : {Case{0.1, "0.1"}, Case{1.0, "1"}, Case{-2.5, "-2.5"}, Case{686000000.123, "686000000.123"},
                        Case{1e300, "1e+300"}}) {
    EXPECT_EQ(writeJson(Json(c.value)).value(), c.written);
  }
}

TEST(JsonWriterTest, RefusesNumbersWithoutAJsonForm) {
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
    const Json document = {{"ok", 1}, {"list", Json::array({1, bad})}};
    EXPECT_FALSE(writeJson(document).has_value()) << bad;
  }
}

Json randomValue(std::mt19937_64& random, int depth) {
  std::uniform_int_distribution<int> kind(0, depth > 3 ? 4 : 6);
  auto randomText = [&] {
    std::string text;
    const int length = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < length; ++i) text += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
    return text;
  };
  switch (kind(random)) {
    case 0: return Json(nullptr);
    case 1: return Json(std::uniform_int_distribution<int>(0, 1)(random) == 1);
    case 2: return Json(std::uniform_int_distribution<std::int64_t>()(random));
    case 3: return Json(std::uniform_real_distribution<double>(-1e12, 1e12)(random));
    case 4: return Json(randomText());
    case 5: {
      Json array = Json::array();
      for (int i = std::uniform_int_distribution<int>(0, 4)(random); i > 0; --i) array.push_back(randomValue(random, depth + 1));
      return array;
    }
    default: {
      Json object = Json::object();
      for (int i = std::uniform_int_distribution<int>(0, 4)(random); i > 0; --i) {
        object[randomText()] = randomValue(random, depth + 1);
      }
      return object;
    }
  }
}

// Text with bad UTF-8 is written repaired; apply the same repair to the expectation.
Json repaired(const Json& value) { return parseJson(writeJson(value).value()).value(); }

TEST(JsonWriterTest, WriteThenParseGivesTheSameValueForRandomDocuments) {
  std::mt19937_64 random(20261206);
  for (int i = 0; i < 2000; ++i) {
    const Json value = randomValue(random, 0);
    const auto text = writeJson(value);
    ASSERT_TRUE(text.has_value());
    const auto parsed = parseJson(*text);
    ASSERT_TRUE(parsed.has_value()) << *text;
    EXPECT_EQ(writeJson(*parsed).value(), *text) << "not stable across a second write";
    EXPECT_EQ(*parsed, repaired(value));
  }
}

TEST(JsonWriterTest, ValidDocumentsRoundTripExactly) {
  const Json document = {{"a", Json::array({0.1, 1e-7, 123456789012345678LL, "x/y"})}, {"é", {{"k", true}}}};
  EXPECT_EQ(parseJson(writeJson(document).value()).value(), document);
}

TEST(JsonParserTest, RefusesBrokenAndOverlyDeepDocuments) {
  struct Case {
    const char* reason;
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"empty text", "", false},
      {"truncated object", "{\"a\" : [1, 2", false},
      {"trailing garbage", "{} x", false},
      {"invalid UTF-8 inside a string", "\"\xff\"", false},
      {"escaped slash reads as slash", "\"\\/\"", true},
      {"1000 levels of nesting", std::string(1000, '[') + std::string(1000, ']'), false},
      {"500 levels of nesting", std::string(500, '[') + std::string(500, ']'), true},
      {"brackets inside strings do not count", "[\"" + std::string(2000, '[') + "\"]", true},
  };
  for (const auto& c : cases) EXPECT_EQ(parseJson(c.text).has_value(), c.valid) << c.reason;
}

}  // namespace
}  // namespace tidyframe
