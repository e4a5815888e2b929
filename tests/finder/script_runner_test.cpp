#include <gtest/gtest.h>

#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/script_runner.h"
#include "finder/fake_ports.h"
#include "i18n/l.h"

namespace tidyframe {
namespace {

using testing::FakeScriptHost;
using testing::RecordingLog;
using testing::replyOf;

std::string arrangement(Grouping grouping) {
  const auto groups = menuNames(grouping);
  const auto sorts = menuNames(Sorting::name);
  return FinderScripts::apply("file:///Users/demo/", "1", std::vector<std::string>(groups.begin(), groups.end()),
                              std::vector<std::string>(sorts.begin(), sorts.end()), false);
}

class ScriptRunnerTest : public ::testing::Test {
 protected:
  ScriptRunnerTest() { l.setLanguage("zh-Hans"); }

  FakeScriptHost host;
  RecordingLog log;
  L l{{}, nullptr};
  ScriptRunner runner{host, log, l};
};

TEST_F(ScriptRunnerTest, TheFixedTextsAreCompiledOnceAndKept) {
  const std::string_view fixed[] = {FinderScripts::query(), FinderScripts::automationCheck(), FinderScripts::activate(),
                                    FinderScripts::keepHidden()};
  for (auto text : fixed) {
    ASSERT_TRUE(runner.run(text));
    ASSERT_TRUE(runner.run(std::string(text)));
  }
  EXPECT_EQ(host.created, 4) << "one script object per fixed text";
  EXPECT_EQ(host.compiled, 4) << "a kept script is run without compiling again";
  EXPECT_EQ(host.executed.size(), 8u);
  EXPECT_EQ(runner.reusableCount(), 4u);
}

TEST_F(ScriptRunnerTest, OtherTextsAreCompiledEveryTimeAndNeverKept) {
  ASSERT_TRUE(runner.run(arrangement(Grouping::kind)));
  ASSERT_TRUE(runner.run(arrangement(Grouping::size)));
  ASSERT_TRUE(runner.run(arrangement(Grouping::size)));
  ASSERT_TRUE(runner.run(FinderScripts::guardUI()));
  EXPECT_EQ(host.created, 4);
  EXPECT_EQ(runner.reusableCount(), 0u);
}

TEST_F(ScriptRunnerTest, AKeptScriptSurvivesItsFailure) {
  host.outcomes[std::string(FinderScripts::query())] = std::unexpected(ScriptError{-1712, "AppleEvent timed out.", "{}"});
  EXPECT_FALSE(runner.run(FinderScripts::query()));
  EXPECT_FALSE(runner.run(FinderScripts::query()));
  EXPECT_EQ(host.created, 1);
  EXPECT_EQ(host.compiled, 1);
}

TEST_F(ScriptRunnerTest, EveryStatusWordIsASuccess) {
  const std::vector<std::vector<std::string>> replies = {
      {"skip"}, {"ok"}, {"unchanged", "Kind", "Name"}, {"error", "", "", "Finder 当前视图没有可用的排序菜单", "-2700"}};
  for (const auto& words : replies) {
    host.outcomes[std::string(FinderScripts::activate())] = replyOf(words);
    const auto result = runner.run(FinderScripts::activate());
    ASSERT_TRUE(result) << words.front();
    EXPECT_EQ(result->text(1), words.front());
  }
  EXPECT_TRUE(log.lines.empty()) << "successes are never logged";
}

TEST_F(ScriptRunnerTest, FailuresMapToACodeAndAMessage) {
  struct Case {
    ScriptError error;
    ScriptFailure expected;
    const char* reason;
  };
  const Case cases[] = {
      {{-1743, "Not authorized to send Apple events to Finder.", "d"},
       {-1743, "Not authorized to send Apple events to Finder."},
       "number and message pass through"},
      {{std::nullopt, "Something broke", "d"}, {-1, "Something broke"}, "no number gives -1"},
      {{-1712, std::nullopt, "d"}, {-1712, "Finder 操作未完成"}, "no message gives the fallback"},
      {{-2700, "", "d"}, {-2700, "Finder 操作未完成"}, "an empty message would show nothing: fallback"},
      {{std::nullopt, std::nullopt, "d"}, {-1, "Finder 操作未完成"}, "nothing known at all"},
  };
  for (const auto& c : cases) {
    host.outcomes["return 1"] = std::unexpected(c.error);
    const auto result = runner.run("return 1");
    ASSERT_FALSE(result) << c.reason;
    EXPECT_EQ(result.error(), c.expected) << c.reason;
  }
}

TEST_F(ScriptRunnerTest, FallbackMessagesGoThroughTheLookup) {
  L english({TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr);
  english.setLanguage("en");
  ScriptRunner translated(host, log, english);
  host.outcomes["x"] = std::unexpected(ScriptError{-1712, std::nullopt, "d"});
  EXPECT_EQ(translated.run("x").error().message, english.t("Finder 操作未完成"));
  EXPECT_NE(english.t("Finder 操作未完成"), "Finder 操作未完成");
  host.refuseCreation = true;
  EXPECT_EQ(translated.run("y").error(), (ScriptFailure{-1, english.t("无法创建 Finder 操作")}));
}

TEST_F(ScriptRunnerTest, AScriptThatCannotBeMadeFailsWithoutALogLine) {
  host.refuseCreation = true;
  const auto result = runner.run(FinderScripts::query());
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), (ScriptFailure{-1, "无法创建 Finder 操作"}));
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(runner.reusableCount(), 0u) << "nothing is kept when nothing was made";
}

TEST_F(ScriptRunnerTest, EachFailedRunWritesOneLabelledLogLine) {
  struct Case {
    std::string source;
    const char* line;
  };
  const Case cases[] = {
      {std::string(FinderScripts::query()), "Tidyframe query error: {q}"},
      {std::string(FinderScripts::automationCheck()), "Tidyframe permissions error: {q}"},
      {std::string(FinderScripts::activate()), "Tidyframe activate error: {q}"},
      {std::string(FinderScripts::keepHidden()), "Tidyframe apply error: {q}"},
      {arrangement(Grouping::tags), "Tidyframe apply error: {q}"},
  };
  for (const auto& c : cases) {
    log.lines.clear();
    host.outcomes[c.source] = std::unexpected(ScriptError{-1728, "Can’t get it.", "{q}"});
    EXPECT_FALSE(runner.run(c.source));
    EXPECT_EQ(log.lines, std::vector<std::string>{c.line});
  }
}

}  // namespace
}  // namespace tidyframe
