#include <gtest/gtest.h>

#include "i18n/string_table.h"

namespace tidyframe {
namespace {

TEST(StringTableTest, ReadsEntriesCommentsAndEscapes) {
  const auto table = StringTable::parse(
      "\xEF\xBB\xBF/* Main panel, after the byte-order mark translation tools write */\n"
      "\"全局默认\" = \"Global default\";\n"
      "// a line comment\n"
      "\"引号\" = \"Say \\\"hi\\\"\\nthen \\\\ go\";  /* trailing */\n"
      "\"\\U00e9\"=\"e acute\";\n"
      "\"pair\" = \"\\UD83D\\uDE00\";\n"
      "\"重复\" = \"first\";\n\"重复\" = \"last\";\n");
  ASSERT_TRUE(table.has_value()) << table.error();
  // The pair's two escapes make one character; a repeated key keeps its last entry.
  const std::map<std::string, std::string, std::less<>> expected{
      {"全局默认", "Global default"}, {"引号", "Say \"hi\"\nthen \\ go"}, {"é", "e acute"},
      {"pair", "\xF0\x9F\x98\x80"}, {"重复", "last"}};
  EXPECT_EQ(table->entries(), expected);
}

TEST(StringTableTest, RefusesMalformedTablesWithTheLine) {
  struct Case {
    const char* reason;
    std::string text;
    const char* line;
  };
  const Case cases[] = {
      {"missing semicolon", "\"a\" = \"b\"\n\"c\" = \"d\";", "line 2"},
      {"unterminated text", "\"a\" = \"b;\n", "line 2"},
      {"missing equals sign", "\n\n\"a\" \"b\";", "line 3"},
      {"unterminated comment", "/* open\n", "line 1"},
      {"unknown escape", "\"a\" = \"\\q\";", "line 1"},
      {"lone high surrogate has no UTF-8 form", "\n\"a\" = \"\\UD800\";", "line 2"},
      {"high surrogate followed by a plain unit", "\"a\" = \"\\UD800\\U0041\";", "line 1"},
      {"lone low surrogate", "\"a\" = \"\\UDC00\";", "line 1"},
      {"a NUL would cut the key short", "\n\n\"a\\U0000b\" = \"c\";", "line 3"},
      {"so would a raw one", std::string("\"a\0b\" = \"c\";", 12), "line 1"},
  };
  for (const auto& c : cases) {
    const auto table = StringTable::parse(c.text);
    ASSERT_FALSE(table.has_value()) << c.reason;
    EXPECT_NE(table.error().find(c.line), std::string::npos) << c.reason << ": " << table.error();
  }
  EXPECT_FALSE(StringTable::load("/nonexistent/Localizable.strings").has_value());
}

}  // namespace
}  // namespace tidyframe
