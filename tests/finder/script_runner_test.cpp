#include <gtest/gtest.h>

#include "finder/fake_ports.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "finder/script_runner.h"
#include "i18n/l.h"

namespace tidyframe {
namespace {

using test_support::replyOf;

std::string arrangement(Grouping grouping) {
  const auto groups = menuNames(grouping);
  const auto sorts = menuNames(Sorting::name);
  return FinderScripts::apply("file:///Users/demo/", "1", std::vector<std::string>(groups.begin(), groups.end()),
                              std::vector<std::string>(sorts.begin(), sorts.end()), false);
}

class ScriptRunnerTest : public ::testing::Test {
 protected:
  ScriptRunnerTest() { l.setLanguage("en"); }

  test_support::FakeScriptHost host;
  test_support::RecordingLog log;
  L l{{TIDYFRAME_RESOURCE_DIR "/i18n"}, nullptr};
  ScriptRunner runner{host, log, l};
};

TEST_F(ScriptRunnerTest, OnlyTheFixedTextsAreCompiledOnceAndKeptEvenThroughAFailure) {
  host.outcomes[std::string(FinderScripts::query())] = std::unexpected(ScriptError{-1712, "timed out", "{}"});
  for (auto text : {FinderScripts::query(), FinderScripts::automationCheck(), FinderScripts::activate(),
                    FinderScripts::keepHidden()}) {
    runner.run(text);
    runner.run(std::string(text));
  }
  EXPECT_EQ(host.created, 4) << "one script object per fixed text, the failed query's included";

  for (auto text : {arrangement(Grouping::kind), arrangement(Grouping::size), arrangement(Grouping::size),
                    std::string(FinderScripts::guardUI())}) {
    ASSERT_TRUE(runner.run(text));
  }
  EXPECT_EQ(host.created, 8) << "other texts are compiled every time";
  EXPECT_EQ(runner.reusableCount(), 4u) << "and never kept";
}

// Any status word the script answers is a success; only an error that escapes it fails.
TEST_F(ScriptRunnerTest, RepliesAndErrorsBecomeResults) {
  using Shown = std::expected<std::string, ScriptFailure>;  // a reply's status word
  const std::string didNotFinish = "The Finder action didn’t finish";
  struct Case {
    test_support::ScriptOutcome outcome;
    Shown expected;
    const char* reason;
  };
  const Case cases[] = {
      {replyOf({"skip"}), "skip", "the guard skipped"},
      {replyOf({"ok"}), "ok", "arranged"},
      {replyOf({"unchanged", "Kind", "Name"}), "unchanged", "nothing to do"},
      {replyOf({"error", "", "", "Finder 当前视图没有可用的排序菜单", "-2700"}), "error", "a reported error is a reply"},
      {std::unexpected(ScriptError{-1743, "Not authorized", "d"}), std::unexpected(ScriptFailure{-1743, "Not authorized"}),
       "number and message pass through"},
      {std::unexpected(ScriptError{std::nullopt, "Something broke", "d"}),
       std::unexpected(ScriptFailure{-1, "Something broke"}), "no number gives -1"},
      {std::unexpected(ScriptError{-1712, std::nullopt, "d"}), std::unexpected(ScriptFailure{-1712, didNotFinish}),
       "no message gives the fallback, in the interface language"},
      {std::unexpected(ScriptError{-2700, "", "d"}), std::unexpected(ScriptFailure{-2700, didNotFinish}),
       "an empty message would show nothing: fallback"},
  };
  for (const auto& c : cases) {
    log.lines.clear();
    host.outcomes["x"] = c.outcome;
    const auto result = runner.run("x");
    EXPECT_EQ(result ? Shown(result->text(1).value()) : Shown(std::unexpected(result.error())), c.expected) << c.reason;
    EXPECT_EQ(log.lines.size(), result ? 0u : 1u) << c.reason << ": only failures are logged";
  }
}

TEST_F(ScriptRunnerTest, AScriptNotMadeIsNeitherLoggedNorKept) {
  host.refuseCreation = true;
  EXPECT_EQ(runner.run(FinderScripts::query()).error(), (ScriptFailure{-1, "Couldn’t create the Finder action"}));
  EXPECT_TRUE(log.lines.empty());
  EXPECT_EQ(runner.reusableCount(), 0u);
}

TEST_F(ScriptRunnerTest, EachFailedRunWritesOneLabelledLogLine) {
  const std::pair<std::string, const char*> cases[] = {
      {std::string(FinderScripts::query()), "Tidyframe query error: {q}"},
      {std::string(FinderScripts::automationCheck()), "Tidyframe permissions error: {q}"},
      {std::string(FinderScripts::activate()), "Tidyframe activate error: {q}"},
      {std::string(FinderScripts::keepHidden()), "Tidyframe apply error: {q}"},
      {arrangement(Grouping::tags), "Tidyframe apply error: {q}"},
  };
  for (const auto& [source, line] : cases) {
    log.lines.clear();
    host.outcomes[source] = std::unexpected(ScriptError{-1728, "Can’t get it.", "{q}"});
    EXPECT_FALSE(runner.run(source));
    EXPECT_EQ(log.lines, std::vector<std::string>{line});
  }
}

}  // namespace
}  // namespace tidyframe
