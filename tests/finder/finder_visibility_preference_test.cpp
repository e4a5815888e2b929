#include <gtest/gtest.h>

#include "finder/finder_visibility_preference.h"

namespace tidyframe {
namespace {

TEST(FinderVisibilityPreferenceTest, StoredValuesAsFlags) {
  struct Case {
    std::optional<PreferenceValue> value;
    bool expected;
    const char* reason;
  };
  const Case cases[] = {
      {std::nullopt, false, "unset"},
      {PreferenceValue(1.0), true, "the number 1 (also a stored true)"},
      {PreferenceValue(0.0), false, "the number 0"},
      {PreferenceValue(-2.5), true, "any other number"},
      {PreferenceValue(std::string("1")), true, "the text 1"},
      {PreferenceValue(std::string("TRUE")), true, "true in capitals"},
      {PreferenceValue(std::string("Yes")), true, "yes capitalised"},
      {PreferenceValue(std::string("no")), false, "no"},
      {PreferenceValue(std::string(" true")), false, "surrounding space is not ignored"},
      {PreferenceValue(std::string("")), false, "empty text"},
      {PreferenceValue(OtherPreferenceValue{}), false, "a date"},
  };
  for (const auto& c : cases) EXPECT_EQ(FinderVisibilityPreference::boolValue(c.value), c.expected) << c.reason;
}

// A store that only sees what the Finder wrote after it synchronises.
class LaggingStore final : public PreferenceStore {
 public:
  std::optional<PreferenceValue> written;
  std::optional<PreferenceValue> seen;
  std::vector<std::string> synchronized;
  void synchronize(std::string_view applicationID) override {
    synchronized.emplace_back(applicationID);
    seen = written;
  }
  std::optional<PreferenceValue> copyValue(std::string_view key, std::string_view applicationID) override {
    return key == "AppleShowAllFiles" && applicationID == "com.apple.finder" ? seen : std::nullopt;
  }
};

TEST(FinderVisibilityPreferenceTest, AChangeTheFinderJustMadeIsSeen) {
  LaggingStore store;
  FinderVisibilityPreference preference(store);
  EXPECT_FALSE(preference.showsHiddenFiles());
  store.written = PreferenceValue(std::string("YES"));
  EXPECT_TRUE(preference.showsHiddenFiles());
  store.written = PreferenceValue(0.0);
  EXPECT_FALSE(preference.showsHiddenFiles());
  EXPECT_EQ(store.synchronized, (std::vector<std::string>(3, "com.apple.finder")));
}

}  // namespace
}  // namespace tidyframe
