#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "base/temporary_folder.h"
#include "i18n/l.h"
#include "i18n/locale_environment.h"

namespace tidyframe {
namespace {

// A Mac whose user prefers Korean.
class KoreanSystem final : public PreferredLanguages {
 public:
  std::vector<std::string> preferredLanguages() const override { return {"ko"}; }
};

TEST(LanguageResolutionTest, PreferredLanguagesResolveToATable) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"zh-Hant-TW", "en"}, "zh-Hant"}, {{"zh-HK"}, "zh-Hant"},         {{"zh-MO"}, "zh-Hant"},
      {{"zh-Hans-CN"}, "zh-Hans"},       {{"zh"}, "zh-Hans"},            {{"zh-Hans-HK"}, "zh-Hans"},
      {{"pt-PT"}, "pt-BR"},              {{"pt"}, "pt-BR"},              {{"fr-CA"}, "fr"},
      {{"es-419"}, "es"},                {{"nl-NL", "sv"}, "en"},        {{}, "en"},
      {{"nl", "de-AT"}, "de"},           {{"ar-EG"}, "ar"},              {{"hi-IN"}, "hi"},
      {{"en-GB", "ja"}, "en"},           {{"zh-TW"}, "zh-Hant"},
  };
  for (const auto& [preferred, expected] : cases) {
    EXPECT_EQ(resolveLanguage(preferred), expected) << (preferred.empty() ? "(empty)" : preferred.front());
  }
}

TEST(LocaleEnvironmentTest, LinuxLocaleVariablesBecomeLanguageTags) {
  struct Case {
    std::map<std::string, std::string> environment;
    std::vector<std::string> tags;
    const char* reason;
  };
  const Case cases[] = {
      {{{"LANG", "de_DE.UTF-8"}}, {"de-DE"}, "the encoding goes, the underscore becomes a hyphen"},
      {{{"LANG", "pt_PT"}}, {"pt-PT"}, "a locale without an encoding"},
      {{{"LANG", "zh_TW.UTF-8"}}, {"zh-TW"}, "the region stays: it decides the Chinese script"},
      {{{"LANG", "C"}}, {}, "the C locale names no language"},
      {{{"LANG", "POSIX"}}, {}, "nor does POSIX"},
      {{{"LANGUAGE", "fr_CA:nl:en_US"}, {"LANG", "de_DE.UTF-8"}}, {"fr-CA", "nl", "en-US", "de-DE"},
       "the LANGUAGE list comes first, LANG after it"},
      {{{"LC_ALL", "ko_KR.UTF-8"}, {"LANG", "de_DE.UTF-8"}}, {"ko-KR"}, "LC_ALL hides LANG"},
      {{{"LC_MESSAGES", "ru_RU.UTF-8@cyrillic"}, {"LANG", "de_DE"}}, {"ru-RU"}, "so does LC_MESSAGES; a modifier goes"},
      {{{"LC_ALL", "C"}, {"LANG", "de_DE"}}, {}, "a C locale in LC_ALL still hides LANG"},
      {{{"LANGUAGE", ":"}, {"LANG", ""}}, {}, "empty list entries and values name nothing"},
      {{}, {}, "no variable set"},
  };
  for (const auto& c : cases) {
    const auto tags = languagesFromLocaleEnvironment([&](const char* name) -> std::optional<std::string> {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? std::nullopt : std::optional<std::string>(found->second);
    });
    EXPECT_EQ(tags, c.tags) << c.reason;
  }
}

// Tables written for the test, so lookups are checked against known entries, on a system that
// prefers Korean.
class LookupTest : public ::testing::Test {
 protected:
  LookupTest() {
    write("en", R"("全局默认" = "Global default"; "已应用%@分组" = "Applied %@ grouping"; "只有英文" = "English only";)");
    write("ko", R"("全局默认" = "전역 기본값";)");
    write("zh-Hant", R"("全局默认" = "全域預設"; "Finder 操作未完成" = "Finder 操作未完成";)");
  }

  void write(const std::string& code, const std::string& table) {
    std::filesystem::create_directories(root / (code + ".lproj"));
    std::ofstream(root / (code + ".lproj") / "Localizable.strings") << table;
  }

  // A lookup of the tables written here with `language` chosen.
  std::unique_ptr<L> in(const char* language) const {
    auto l = std::make_unique<L>(std::vector{root}, koreanSystem);
    l->setLanguage(language);
    return l;
  }

  const TemporaryFolder temporary;
  const std::filesystem::path& root = temporary.path();
  const std::shared_ptr<KoreanSystem> koreanSystem = std::make_shared<KoreanSystem>();
};

TEST_F(LookupTest, TextsAndNumbersShowInTheChosenLanguage) {
  struct Case {
    std::string shown;
    const char* expected;
    const char* reason;
  };
  // A known choice wins; the shipped tables test checks it for every language.
  const Case cases[] = {
      {L({root}, koreanSystem).t("全局默认"), "전역 기본값", "the system's language decides until one is chosen"},
      {in("tlh")->t("全局默认"), "전역 기본값", "a code from a newer version counts as system"},
      {in("system")->t("全局默认"), "전역 기본값", "and so does choosing system"},
      {in("ko")->t("全局默认"), "전역 기본값", "the language's own entry"},
      {in("ko")->t("只有英文"), "English only", "an entry the language lacks comes from English"},
      {in("ko")->t("没有条目"), "没有条目", "one English lacks too shows the source"},
      {in("de")->t("全局默认"), "Global default", "a language without a table reads English"},
      {in("zh-Hans")->t("只有英文"), "只有英文", "Simplified Chinese is the source language"},
      {in("zh-Hant")->t("Finder 操作未完成"), "Finder 操作未完成", "an entry equal to its source is no gap"},
      {in("zh-Hant")->t("只有英文"), "English only", "Traditional Chinese falls back like any other"},
      {in("en")->f("已应用%@分组", "Kind"), "Applied Kind grouping", "the translated format is filled"},
      {L::fill("%@ · 按%@排序", {"A", "B"}), "A · 按B排序", "placeholders take the arguments in turn"},
      {L::fill("%2$@ then %1$@", {"one", "two"}), "two then one", "a numbered placeholder picks its argument"},
      {L::fill("100%% of %d", {"7"}), "100% of 7", "a doubled percent sign is one; %d takes an argument"},
      {L::fill("%@ and %@", {"only"}), "only and ", "a missing argument leaves nothing"},
      {L::fill("trailing %", {}), "trailing %", "a lone percent sign at the end stays"},
      // The direction of every language is checked with the shipped tables.
      {in("de")->number(12345), "12.345", "German groups thousands with a dot"},
      {in("en")->number(12345), "12,345", "English with a comma"},
      {in("fr")->number(12345), "12\u202f345", "French with a narrow no-break space"},
      {in("ar")->number(12345), "١٢٬٣٤٥", "Arabic writes Arabic-Indic digits"},
      {in("en")->relativeTime(59), "now", "under a minute is now"},
      {in("en")->relativeTime(-30), "now", "a time ahead of the clock is now, not in the future"},
      {in("en")->relativeTime(179), "2 min. ago", "whole minutes, rounded down"},
      {in("de")->relativeTime(3 * 3600 + 59), "vor 3 Std.", "hours in the locale's words"},
      {in("ar")->relativeTime(3 * 86400), "قبل ٣ أيام", "days, with the locale's digits"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shown, c.expected) << c.reason;
}

// A table written later is found, but one that exists and does not parse is not read again on
// every lookup.
TEST_F(LookupTest, AMissingTableIsLookedForAgainAndABrokenOneStaysFailed) {
  write("de", R"("broken" =)");
  L l({root}, nullptr);
  EXPECT_EQ(l.bundle("fr"), nullptr);
  EXPECT_EQ(l.bundle("de"), nullptr);
  write("fr", R"("全局默认" = "Par défaut";)");
  write("de", R"("全局默认" = "Standard";)");
  EXPECT_NE(l.bundle("fr"), nullptr);
  EXPECT_EQ(l.bundle("de"), nullptr);
}

TEST_F(LookupTest, ConcurrentLookupsAndLanguageChangesAreSafe) {
  L l({root}, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        if (t == 0) l.setLanguage(i % 2 ? "ko" : "en");
        const auto text = l.t("全局默认");
        EXPECT_TRUE(text == "Global default" || text == "전역 기본값") << text;
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

}  // namespace
}  // namespace tidyframe
