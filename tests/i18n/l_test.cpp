#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "base/temporary_folder.h"
#include "i18n/app_language.h"
#include "i18n/l.h"
#include "i18n/locale_environment.h"

namespace tidyframe {
namespace {

class FixedLanguages final : public PreferredLanguages {
 public:
  explicit FixedLanguages(std::vector<std::string> tags) : tags_(std::move(tags)) {}
  std::vector<std::string> preferredLanguages() const override { return tags_; }

 private:
  std::vector<std::string> tags_;
};

TEST(LanguageResolutionTest, PreferredLanguagesResolveToATable) {
  struct Case {
    std::vector<std::string> preferred;
    const char* expected;
  };
  const Case cases[] = {
      {{"zh-Hant-TW", "en"}, "zh-Hant"}, {{"zh-HK"}, "zh-Hant"},         {{"zh-MO"}, "zh-Hant"},
      {{"zh-Hans-CN"}, "zh-Hans"},       {{"zh"}, "zh-Hans"},            {{"zh-Hans-HK"}, "zh-Hans"},
      {{"pt-PT"}, "pt-BR"},              {{"pt"}, "pt-BR"},              {{"fr-CA"}, "fr"},
      {{"es-419"}, "es"},                {{"nl-NL", "sv"}, "en"},        {{}, "en"},
      {{"nl", "de-AT"}, "de"},           {{"ar-EG"}, "ar"},              {{"hi-IN"}, "hi"},
      {{"en-GB", "ja"}, "en"},
  };
  for (const auto& c : cases) {
    L l({}, std::make_shared<FixedLanguages>(c.preferred));
    EXPECT_EQ(l.resolved(), c.expected) << (c.preferred.empty() ? "(empty)" : c.preferred.front());
  }
}

// A known choice wins; the shipped tables test checks it for every language.
TEST(LanguageResolutionTest, AnUnknownChosenLanguageCountsAsSystem) {
  L l({}, std::make_shared<FixedLanguages>(std::vector<std::string>{"ko"}));
  EXPECT_EQ(l.language(), "system");
  l.setLanguage("tlh");
  EXPECT_EQ(l.resolved(), "ko") << "a code from a newer version is treated as system";
  l.setLanguage("system");
  EXPECT_EQ(l.resolved(), "ko");
}

TEST(LocaleEnvironmentTest, LinuxLocaleVariablesBecomeLanguageTags) {
  using Environment = std::map<std::string, std::string>;
  struct Case {
    Environment environment;
    std::vector<std::string> tags;
    const char* resolved;
  };
  const Case cases[] = {
      {{{"LANG", "de_DE.UTF-8"}}, {"de-DE"}, "de"},
      {{{"LANG", "pt_PT"}}, {"pt-PT"}, "pt-BR"},
      {{{"LANG", "zh_TW.UTF-8"}}, {"zh-TW"}, "zh-Hant"},
      {{{"LANG", "C"}}, {}, "en"},
      {{{"LANG", "POSIX"}}, {}, "en"},
      {{{"LANGUAGE", "fr_CA:nl:en_US"}, {"LANG", "de_DE.UTF-8"}}, {"fr-CA", "nl", "en-US", "de-DE"}, "fr"},
      {{{"LC_ALL", "ko_KR.UTF-8"}, {"LANG", "de_DE.UTF-8"}}, {"ko-KR"}, "ko"},
      {{{"LC_MESSAGES", "ru_RU.UTF-8@cyrillic"}, {"LANG", "de_DE"}}, {"ru-RU"}, "ru"},
      {{{"LC_ALL", "C"}, {"LANG", "de_DE"}}, {}, "en"},
      {{{"LANGUAGE", ":"}, {"LANG", ""}}, {}, "en"},
      {{}, {}, "en"},
  };
  for (const auto& c : cases) {
    const auto tags = languagesFromLocaleEnvironment([&](const char* name) -> std::optional<std::string> {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? std::nullopt : std::optional<std::string>(found->second);
    });
    EXPECT_EQ(tags, c.tags);
    EXPECT_EQ(resolveLanguage(tags), c.resolved);
  }
}

// Tables written for the test, so lookups are checked against known entries.
class LookupTest : public ::testing::Test {
 protected:
  LookupTest() {
    write("en", {{"全局默认", "Global default"}, {"已应用%@分组", "Applied %@ grouping"}, {"只有英文", "English only"}});
    write("ko", {{"全局默认", "전역 기본값"}});
    write("zh-Hant", {{"全局默认", "全域預設"}, {"Finder 操作未完成", "Finder 操作未完成"}});
  }

  void write(const std::string& code, const std::map<std::string, std::string>& entries) {
    std::filesystem::create_directories(root / (code + ".lproj"));
    std::ofstream out(root / (code + ".lproj") / "Localizable.strings");
    for (const auto& [key, value] : entries) out << "\"" << key << "\" = \"" << value << "\";\n";
  }

  const TemporaryFolder temporary;
  const std::filesystem::path& root = temporary.path();
};

TEST_F(LookupTest, TranslationFallsBackToEnglishThenToTheSource) {
  struct Case {
    const char* language;
    const char* source;
    const char* expected;
    const char* reason;
  };
  const Case cases[] = {
      {"ko", "全局默认", "전역 기본값", "the language's own entry"},
      {"ko", "只有英文", "English only", "an entry the language lacks comes from English"},
      {"ko", "没有条目", "没有条目", "one English lacks too shows the source"},
      {"de", "全局默认", "Global default", "a language without a table reads English"},
      {"zh-Hans", "只有英文", "只有英文", "Simplified Chinese is the source language"},
      {"zh-Hant", "Finder 操作未完成", "Finder 操作未完成", "an entry equal to its source is no gap"},
      {"zh-Hant", "只有英文", "English only", "Traditional Chinese falls back like any other"},
  };
  for (const auto& c : cases) {
    L l({root}, nullptr);
    l.setLanguage(c.language);
    EXPECT_EQ(l.t(c.source), c.expected) << c.reason;
  }
}

// A table written later is found, but one that exists and does not parse is not read again on
// every lookup.
TEST_F(LookupTest, AMissingTableIsLookedForAgainAndABrokenOneStaysFailed) {
  std::filesystem::create_directories(root / "de.lproj");
  std::ofstream(root / "de.lproj" / "Localizable.strings") << "\"broken\" =";
  L l({root}, nullptr);
  ASSERT_NE(l.bundle("zh-Hant"), nullptr);
  EXPECT_EQ(l.bundle("fr"), nullptr);
  EXPECT_EQ(l.bundle("de"), nullptr);
  write("fr", {{"全局默认", "Par défaut"}});
  write("de", {{"全局默认", "Standard"}});
  EXPECT_NE(l.bundle("fr"), nullptr);
  EXPECT_EQ(l.bundle("de"), nullptr);
}

TEST_F(LookupTest, FormatsFillPlaceholdersInTheResolvedLanguage) {
  L l({root}, nullptr);
  l.setLanguage("en");
  struct Case {
    std::string filled;
    const char* expected;
    const char* reason;
  };
  const Case cases[] = {
      {l.f("已应用%@分组", "Kind"), "Applied Kind grouping", "the translated format is filled"},
      {L::fill("%@ · 按%@排序", {"A", "B"}), "A · 按B排序", "placeholders take the arguments in turn"},
      {L::fill("%2$@ then %1$@", {"one", "two"}), "two then one", "a numbered placeholder picks its argument"},
      {L::fill("100%% of %d", {"7"}), "100% of 7", "a doubled percent sign is one; %d takes an argument"},
      {L::fill("%@ and %@", {"only"}), "only and ", "a missing argument leaves nothing"},
      {L::fill("trailing %", {}), "trailing %", "a lone percent sign at the end stays"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.filled, c.expected) << c.reason;
}

// The direction of every language is checked with the shipped tables.
TEST_F(LookupTest, NumbersFollowTheResolvedLanguage) {
  const std::pair<const char*, const char*> cases[] = {
      {"de", "12.345"}, {"en", "12,345"}, {"fr", "12\u202f345"}, {"ar", "١٢٬٣٤٥"}};
  for (const auto& [language, number] : cases) {
    L l({root}, nullptr);
    l.setLanguage(language);
    EXPECT_EQ(l.number(12345), number) << language;
  }
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
