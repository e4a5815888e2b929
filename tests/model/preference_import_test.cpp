#include <gtest/gtest.h>

#include <functional>

#include "model/preference_import.h"

namespace tidyframe {
namespace {

// Settings holding `count` folder rules, changed by `change`.
Preferences settings(std::size_t count, const std::function<void(Preferences&)>& change = {}) {
  Preferences preferences;
  preferences.rules.resize(count);
  for (std::size_t i = 0; i < count; ++i) preferences.rules[i].path = "/Users/demo/" + std::to_string(i);
  if (change) change(preferences);
  return preferences;
}

Preferences withPath(std::string path) {
  return settings(1, [&](Preferences& p) { p.rules[0].path = path; });
}

TEST(PreferenceImportTest, Validate) {
  struct Case {
    const char* reason;
    Preferences preferences;
    bool valid;
  };
  const Case cases[] = {
      {"500 new rules, each with an id of its own, are the most accepted", settings(500), true},
      {"501 rules are too many", settings(501), false},
      {"two rules share an id", settings(2, [](Preferences& p) { p.rules[1].id = p.rules[0].id; }), false},
      {"a relative path", withPath("relative/folder"), false},
      {"a carriage return in the path", withPath("/Users/demo/line\rbreak"), false},
      {"a right-to-left override is a format character", withPath("/Users/demo/\u202Egnp.exe"), false},
      {"spaces, quotes and Chinese", withPath("/Users/demo/Folder \"中文\""), true},
      {"dark appearance", settings(0, [](Preferences& p) { p.appearance = "dark"; }), true},
      {"an unknown appearance", settings(0, [](Preferences& p) { p.appearance = "unknown"; }), false},
      {"a fixed language", settings(0, [](Preferences& p) { p.language = "pt-BR"; }), true},
      {"an unknown language", settings(0, [](Preferences& p) { p.language = "unknown"; }), false},
      {"language codes are exact", settings(0, [](Preferences& p) { p.language = "zh-hans"; }), false},
      {"views, global and per rule",
       settings(1, [](Preferences& p) { p.view = FinderViewChoice::list, p.rules[0].view = FinderViewChoice::gallery; }),
       true},
      {"names, volume UUIDs and bookmarks are not examined",
       settings(1, [](Preferences& p) { p.rules[0].name = "\r\n", p.rules[0].volumeID = "?"; }), true},
  };
  for (const auto& c : cases) EXPECT_EQ(PreferenceImport::validate(c.preferences), c.valid) << c.reason;
}

// What leaves the machine: no engine state, no bookmarks; the views travel with the rules.
TEST(PreferenceImportTest, PortableForm) {
  const auto mine = settings(2, [](Preferences& p) {
    p.engineEnabled = true, p.view = FinderViewChoice::column;
    p.rules[0].bookmark = Bytes{1, 2}, p.rules[0].view = FinderViewChoice::list;
  });
  auto expected = mine;
  expected.engineEnabled = false, expected.rules[0].bookmark.reset();
  EXPECT_EQ(PreferenceImport::portable(mine), expected);
  EXPECT_TRUE(mine.engineEnabled && mine.rules[0].bookmark) << "the settings passed in are untouched";
}

}  // namespace
}  // namespace tidyframe
