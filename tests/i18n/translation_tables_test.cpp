#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ranges>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <unicode/unistr.h>

#include "finder/finder_menu_names.h"
#include "i18n/app_language.h"
#include "i18n/l.h"
#include "i18n/string_table.h"

// Checks the shipped string tables in resources/i18n against each other, against the lookup
// and against the texts the code passes to it.

namespace tidyframe {
namespace {

std::filesystem::path tableRoot() { return std::filesystem::path(TIDYFRAME_RESOURCE_DIR) / "i18n"; }

std::filesystem::path tableFile(const std::string& code, std::string_view name = "Localizable.strings") {
  return tableRoot() / (code + ".lproj") / name;
}

// Every fixed interface language; a language added to AppLanguage is checked without edits here.
std::vector<std::string> languageCodes() {
  std::vector<std::string> codes;
  for (const auto& [language, raw] : allCasesWithRaw<AppLanguage>()) {
    if (language != AppLanguage::system) codes.emplace_back(raw);
  }
  return codes;
}

// The table of `code`; an empty one, after a failure naming the error, when it cannot be read.
StringTable loadTable(const std::string& code, std::string_view name = "Localizable.strings") {
  auto table = StringTable::load(tableFile(code, name));
  EXPECT_TRUE(table.has_value()) << code << ": " << table.error();
  return std::move(table).value_or(StringTable{});
}

icu::UnicodeString folded(std::string_view text) { return icu::UnicodeString::fromUTF8(text).foldCase(); }

// The argument positions a format consumes, read the way L::fill reads it: "%@", "%d" and
// "%ld" take the next argument, "%N$@" the N-th, "%%" none.
std::vector<int> argumentSlots(std::string_view format) {
  static const std::regex placeholder(R"(%(%|@|l?d|([1-9])\$@))");
  std::vector<int> slots;
  int next = 1;
  const std::string text(format);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it) {
    const auto& match = *it;
    if (match[1] == "%") continue;
    slots.push_back(match[2].matched ? std::stoi(match[2]) : next++);
  }
  std::ranges::sort(slots);
  return slots;
}

// The keys as written in a table file, in order and with repeats: the loader keeps only the
// last of a repeated key, so the file has to be read directly to see one.
std::vector<std::string> writtenKeys(const std::string& code) {
  static const std::regex entry(R"re(^\s*"((?:[^"\\]|\\.)*)"\s*=)re");
  std::vector<std::string> keys;
  std::ifstream lines(tableFile(code), std::ios::binary);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_search(line, match, entry)) keys.push_back(match[1].str());
  }
  return keys;
}

// Each table lists the English keys once each, in the English order; what the lookup loads from
// it holds the same keys, so no entry hides where the line reader cannot see it.
TEST(TranslationTablesTest, EveryTableListsTheEnglishKeysOnceInTheSameOrder) {
  const auto english = writtenKeys("en");
  const std::set<std::string> englishKeys(english.begin(), english.end());
  EXPECT_EQ(englishKeys.size(), english.size()) << "English repeats a key";
  for (const auto& code : languageCodes()) {
    const auto keys = writtenKeys(code);
    const auto [mine, theirs] = std::ranges::mismatch(keys, english);
    EXPECT_TRUE(mine == keys.end() && theirs == english.end())
        << code << " departs from the English order at " << (mine == keys.end() ? "its end" : *mine);
    EXPECT_TRUE(std::ranges::equal(loadTable(code).entries() | std::views::keys, englishKeys))
        << code << " loads other keys than English lists";
  }
}

// Rules every entry of every table obeys, each with the harm its breach would do.
TEST(TranslationTablesTest, EveryEntryObeysTheTableRules) {
  struct Entry {
    const std::string& code;
    std::string_view viewMenuTitle;  // the Finder's own, in the entry's language
    const std::string& key;
    const std::string& value;
  };
  const auto keepsName = [](const char* name) {
    return [name](const Entry& e) { return !e.key.contains(name) || e.value.contains(name); };
  };
  const std::set<std::string> arrangementKeys{"显示方式", "还原当前文件夹排列…", "这个文件夹尚无可还原的原始排列记录。",
                                              "还原当前文件夹排列？", "已还原当前文件夹排列，自动分组已暂停。"};
  const std::set<std::string> dialogCommands{"导入", "导出", "添加文件夹", "排除文件夹", "保存反馈",
                                             "还原当前文件夹排列…", "恢复旧版后台服务…", "导出运行记录…"};
  static const std::regex breakableFrenchSpace("( [:;?!])|( »)|(« )");
  const std::pair<const char*, std::function<bool(const Entry&)>> rules[] = {
      {"the code fills a format by its source's placeholders; a translation that drops or adds one loses an "
       "argument or shows a gap",
       [](const Entry& e) { return argumentSlots(e.value) == argumentSlots(e.key); }},
      {"an empty translation would show nothing at all", [](const Entry& e) { return !e.value.empty(); }},
      {"the product name is never translated", keepsName("Tidyframe")},
      {"the Finder keeps its name, except on a Simplified-Chinese Mac, which calls it 访达",
       [&](const Entry& e) { return e.code == "zh-Hans" ? !e.value.contains("Finder") : keepsName("Finder")(e); }},
      {"System Events is the name the permission list shows", keepsName("System Events")},
      {"before-import.json is a file name on disk", keepsName("before-import.json")},
      {"the View menu holds icons, lists and columns: an arrangement named after it promises those",
       [&](const Entry& e) {
         return !arrangementKeys.contains(e.key) || folded(e.value).indexOf(folded(e.viewMenuTitle)) < 0;
       }},
      {"a command that opens a dialog ends in an ellipsis, as the platform's own do",
       [&](const Entry& e) { return !dialogCommands.contains(e.key) || e.value.ends_with("…"); }},
      {"an Arabic line opening with a Latin name or a size runs left to right unless a mark comes first",
       [](const Entry& e) { return e.code != "ar" || !e.value.starts_with("%"); }},
      {"a French : ; ? ! or » after an ordinary space can wrap onto a line of its own",
       [](const Entry& e) { return e.code != "fr" || !std::regex_search(e.value, breakableFrenchSpace); }},
  };
  // The Finder's View-menu titles are stored in the order of the interface languages.
  const auto codes = languageCodes();
  ASSERT_EQ(FinderMenuNames::view().size(), codes.size());
  // The bundle's InfoPlist.strings holds the Automation prompt macOS shows in each language.
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const auto bundleTable = loadTable(codes[i], "InfoPlist.strings");
    EXPECT_TRUE(bundleTable.entries().contains("NSAppleEventsUsageDescription")) << codes[i];
    for (const auto& table : {loadTable(codes[i]), bundleTable}) {
      for (const auto& [reason, holds] : rules) {
        for (const auto& [key, value] : table.entries()) {
          EXPECT_TRUE(holds({codes[i], FinderMenuNames::view()[i], key, value}))
              << codes[i] << " \"" << key << "\" = \"" << value << "\": " << reason;
        }
      }
    }
  }
}

TEST(TranslationTablesTest, SelectingEachLanguageShowsItsOwnTableInItsDirection) {
  L l({tableRoot()}, nullptr);
  for (const auto& code : languageCodes()) {
    l.setLanguage(code);
    EXPECT_EQ(l.direction(), code == "ar" ? LayoutDirection::rightToLeft : LayoutDirection::leftToRight) << code;
    std::vector<std::string> wrong;
    const auto table = loadTable(code);
    for (const auto& [key, value] : table.entries()) {
      if (const auto shown = l.t(key); shown != value) wrong.push_back(key + " shows " + shown);
    }
    EXPECT_EQ(wrong, std::vector<std::string>{}) << code;
  }
}

}  // namespace
}  // namespace tidyframe
