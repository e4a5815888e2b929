#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/temporary_folder.h"
#include "storage/json_user_defaults.h"

namespace tidyframe {
namespace {

const Date now = Date::fromUnixTime(1796567400);  // 2026-12-06 14:30:00 UTC

TEST(JsonUserDefaultsTest, ValuesSurviveARestartAndConvertLikeTheSystemsDefaults) {
  TemporaryFolder folder;
  const auto file = folder.path() / "Tidyframe" / "defaults.json";
  {
    JsonUserDefaults defaults(file, now);
    EXPECT_EQ(defaults.doubleValue("lastCheck"), std::nullopt) << "a missing file: nothing set";
    defaults.setDouble("lastCheck", 1796567400.25);
    defaults.setInteger("build", 9007199254740993);
    defaults.setBool("shown", true);
  }
  const JsonUserDefaults defaults(file, now);
  EXPECT_EQ(defaults.doubleValue("lastCheck"), 1796567400.25);
  EXPECT_EQ(defaults.integerValue("build"), 9007199254740993) << "beyond a double's precision";
  EXPECT_EQ(defaults.boolValue("shown"), true);
  EXPECT_EQ(defaults.integerValue("lastCheck"), 1796567400) << "an integer read truncates";
  EXPECT_EQ(defaults.doubleValue("shown"), 1.0) << "a flag is a number";

  folder.write("blocker", "a file, not a folder");
  JsonUserDefaults unwritable(folder / "blocker" / "defaults.json", now);
  unwritable.setInteger("build", 120);
  EXPECT_EQ(unwritable.integerValue("build"), 120) << "a failed write keeps the value for this run";
}

TEST(JsonUserDefaultsTest, AnUnusableFileIsKeptAsideAndReadsAsNothingSet) {
  struct Case {
    const char* contents;
    std::optional<double> lastCheck;
    bool keptAside;
  } cases[] = {
      {R"({"lastCheck" : 5, "other" : [1]})", 5, false},  // a foreign key does no harm
      {R"({"lastCheck" : "5"})", std::nullopt, false},  // a value that is not a number reads as unset
      {R"({"lastCheck" : 5)", std::nullopt, true},  // cut short
      {"[5]", std::nullopt, true},  // not an object
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contents);
    TemporaryFolder folder;
    folder.write("defaults.json", c.contents);
    JsonUserDefaults defaults(folder / "defaults.json", now);
    EXPECT_EQ(defaults.doubleValue("lastCheck"), c.lastCheck);
    defaults.setBool("shown", true);
    const auto kept = defaults.keptAside().transform([&](const auto& copy) { return folder.contents(copy.filename()); });
    EXPECT_EQ(kept, c.keptAside ? std::optional<std::string>(c.contents) : std::nullopt) << "kept after a write";
  }
  EXPECT_EQ(JsonUserDefaults::defaultLocation("/home/u", std::nullopt), "/home/u/.config/Tidyframe/defaults.json");
  EXPECT_EQ(JsonUserDefaults::defaultLocation("/home/u", "/cfg"), "/cfg/Tidyframe/defaults.json");
  EXPECT_EQ(JsonUserDefaults::defaultLocation("/home/u", "cfg"), "/home/u/.config/Tidyframe/defaults.json")
      << "a relative XDG folder is ignored";
}

}  // namespace
}  // namespace tidyframe
