#include <gtest/gtest.h>

#include "model/preference_import.h"

namespace tidyframe {
namespace {

LocationRule folder(std::string path) {
  LocationRule rule;
  rule.name = "folder";
  rule.path = std::move(path);
  return rule;
}

Preferences withRules(std::size_t count) {
  Preferences preferences;
  for (std::size_t i = 0; i < count; ++i) preferences.rules.push_back(folder("/Users/demo/" + std::to_string(i)));
  return preferences;
}

Preferences withPath(std::string path) {
  Preferences preferences;
  preferences.rules.push_back(folder(std::move(path)));
  return preferences;
}

Preferences withAppearance(std::string appearance) {
  Preferences preferences;
  preferences.appearance = std::move(appearance);
  return preferences;
}

Preferences withLanguage(std::string language) {
  Preferences preferences;
  preferences.language = std::move(language);
  return preferences;
}

Preferences withSharedId() {
  auto preferences = withRules(2);
  preferences.rules[1].id = preferences.rules[0].id;
  return preferences;
}

Preferences withOddNamesAndVolumes() {
  auto preferences = withRules(1);
  preferences.rules[0].name = "\r\n";
  preferences.rules[0].volumeID = "not a uuid";
  preferences.rules[0].bookmark = Bytes{};
  return preferences;
}

TEST(PreferenceImportTest, Validate) {
  struct Case {
    const char* reason;
    Preferences preferences;
    bool valid;
  };
  const Case cases[] = {
      {"fresh settings", Preferences{}, true},
      {"500 rules are the most accepted", withRules(500), true},
      {"501 rules are too many", withRules(501), false},
      {"two rules share an id", withSharedId(), false},
      {"a relative path", withPath("relative/folder"), false},
      {"an empty path", withPath(""), false},
      {"a carriage return in the path", withPath("/Users/demo/line\rbreak"), false},
      {"a right-to-left override in the path", withPath("/Users/demo/\u202Egnp.exe"), false},
      {"a zero-width space is a format character", withPath("/Users/\u200Bdemo"), false},
      {"spaces, quotes and Chinese", withPath("/Users/demo/Folder \"中文\""), true},
      {"the root itself", withPath("/"), true},
      {"light appearance", withAppearance("light"), true},
      {"dark appearance", withAppearance("dark"), true},
      {"an unknown appearance", withAppearance("unknown"), false},
      {"appearance is case-sensitive", withAppearance("Dark"), false},
      {"a fixed language", withLanguage("pt-BR"), true},
      {"an unknown language", withLanguage("unknown"), false},
      {"language codes are exact", withLanguage("zh-hans"), false},
      {"names, volume UUIDs and bookmarks are not examined", withOddNamesAndVolumes(), true},
  };
  for (const auto& c : cases) EXPECT_EQ(PreferenceImport::validate(c.preferences), c.valid) << c.reason;
}

TEST(PreferenceImportTest, PortableFormLeavesMachineStateBehind) {
  Preferences preferences = withRules(3);
  preferences.engineEnabled = true;
  preferences.rules[1].bookmark = Bytes{1, 2, 3};
  preferences.rules[1].volumeID = "7A3F0C2E-1111-4222-8333-944455556666";
  const Preferences original = preferences;

  const auto portable = PreferenceImport::portable(preferences);

  EXPECT_EQ(preferences, original) << "the argument is untouched";
  EXPECT_FALSE(portable.engineEnabled);
  Preferences expected = original;
  expected.engineEnabled = false;
  expected.rules[1].bookmark.reset();
  EXPECT_EQ(portable, expected) << "only the engine switch and the bookmarks change";
}

}  // namespace
}  // namespace tidyframe
