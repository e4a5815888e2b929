#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "base/json.h"

namespace tidyframe {
namespace {

TEST(JsonWriterTest, WritesTheStoredFileStyle) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  struct Case {
    const char* reason;
    Json value;
    std::optional<std::string> written;
  };
  const Case cases[] = {
      {"keys sorted, two-space indent, escaped slash", {{"b", Json::array({1, 2})}, {"a", {{"p", "/U"}}}},
       "{\n  \"a\" : {\n    \"p\" : \"\\/U\"\n  },\n  \"b\" : [\n    1,\n    2\n  ]\n}"},
      {"an empty array keeps a blank line", Json::array(), "[\n\n]"},
      {"so does an empty object", {{"a", Json::object()}}, "{\n  \"a\" : {\n\n  }\n}"},
      {"quote and backslash", "a\"b\\c", R"("a\"b\\c")"},
      {"line breaks and tab", "a\nb\rc\td", R"("a\nb\rc\td")"},
      {"other control characters", std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
      {"non-Latin text stays raw", "中文 é", "\"中文 é\""},
      {"invalid UTF-8 becomes U+FFFD", "a\xff" "b\xc3", "\"a\xEF\xBF\xBD" "b\xEF\xBF\xBD\""},
      {"surrogate encoded in UTF-8 is invalid", "\xed\xa0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"shortest text that reads back", 0.1, "0.1"},
      {"a whole double has no fraction", 1.0, "1"},
      {"a date with a fraction", 686000000.123, "686000000.123"},
      {"a large exponent", 1e300, "1e+300"},
      {"from 1e21 on a whole number takes an exponent", 1e21, "1e+21"},
      {"the smallest subnormal", 5e-324, "5e-324"},
      {"the largest finite double", std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
      {"minus zero keeps its sign", -0.0, "-0.0"},
      {"NaN has no JSON form, even nested", {{"ok", 1}, {"list", {1, std::nan("")}}}, std::nullopt},
      {"nor has infinity", infinity, std::nullopt},
      {"nor has minus infinity", -infinity, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto text = writeJson(c.value);
    EXPECT_EQ(text ? std::optional(*text) : std::nullopt, c.written) << c.reason;
    if (c.written && c.value.is_number()) {
      EXPECT_EQ(parseJson(*c.written), c.value) << c.reason << ", read back";
    }
  }
  EXPECT_TRUE(std::signbit(parseJson("-0.0")->get<double>())) << "minus zero reads back with its sign";
}

Json randomValue(std::mt19937_64& random, int depth) {
  auto number = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  // Bad UTF-8 is written repaired, so it cannot come back; the escapes table covers it.
  const std::string pieces[] = {"a", "/", "\"", "\\", "\n", "\t", std::string(1, '\0'), "\x1f", "é", "中", "𝄞"};
  auto randomText = [&] {
    std::string text;
    for (int i = number(0, 12); i > 0; --i) text += pieces[static_cast<std::size_t>(number(0, std::ssize(pieces) - 1))];
    return text;
  };
  switch (number(0, depth > 3 ? 4 : 6)) {
    case 0: return Json(nullptr);
    case 1: return Json(number(0, 1) == 1);
    case 2: return Json(std::uniform_int_distribution<std::int64_t>()(random));
    case 3: return Json(std::uniform_real_distribution<double>(-1e12, 1e12)(random));
    case 4: return Json(randomText());
    default: {
      Json container = number(0, 1) == 1 ? Json::array() : Json::object();
      for (int i = number(0, 4); i > 0; --i) {
        if (container.is_array()) container.push_back(randomValue(random, depth + 1));
        else container[randomText()] = randomValue(random, depth + 1);
      }
      return container;
    }
  }
}

TEST(JsonWriterTest, WriteThenParseGivesTheSameValueForRandomDocuments) {
  std::mt19937_64 random(20261206);
  for (int i = 0; i < 2000; ++i) {
    const Json value = randomValue(random, 0);
    const std::string text = writeJson(value).value();
    const auto parsed = parseJson(text);
    EXPECT_EQ(parsed, value) << text;
    // Equality holds across number kinds, so a large integer read back as a double shows only here.
    EXPECT_EQ(writeJson(parsed.value_or(nullptr)), text) << "not stable across a second write";
  }
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
      {"garbage after a NUL", std::string("{}\0 x", 5), false},
      {"a NUL after the value", std::string("{}\0", 3), false},
      {"invalid UTF-8 inside a string", "\"\xff\"", false},
      {"1000 levels of nesting", std::string(1000, '[') + std::string(1000, ']'), false},
      {"500 levels of nesting", std::string(500, '[') + std::string(500, ']'), true},
      {"brackets inside strings do not count", "[\"" + std::string(2000, '[') + "\"]", true},
      {"a separator promises an element", "[1,]", false},
      {"and a member", "{\"a\" : 1,}", false},
      {"no separator before the first element", "[,1]", false},
      {"elements need separators", "[1 2]", false},
      {"a key needs its colon", "{\"a\" 1}", false},
      {"keys are strings", "{1 : 2}", false},
      {"a number beyond a double", "[1e400]", false},
      {"an integer beyond 64 bits reads as a double", "18446744073709551616", true},
  };
  for (const auto& c : cases) EXPECT_EQ(parseJson(c.text).has_value(), c.valid) << c.reason;
}

}  // namespace
}  // namespace tidyframe
