#include "sim/applescript/script_interpreter.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_scenario.h"

namespace tidyframe {
namespace {

using applescript::RunResult;

struct Row {
  std::string script;
  std::string expected;
  const char* reason;
  double seconds = 0;  // simulated time the script takes
};

// Runs scripts on the simulated Mac and compares their outcomes written as text: the result's
// source form (`"a"`, `{1, 2}`, `missing value`), "nothing", or "error N: message"; an expected
// outcome that is a bare number ("-1728") is compared with the error number alone, provided the
// error says something.
class ScriptEvaluation : public SimScenario {
 protected:
  std::string outcome(const std::string& script, const std::string& expected) {
    RunResult result = mac.run(script);
    if (!result && expected.starts_with('-') && !result.error().message.empty()) {
      return std::to_string(result.error().number);
    }
    if (!result) return "error " + std::to_string(result.error().number) + ": " + result.error().message;
    return *result ? applescript::describe(**result) : "nothing";
  }
  template <std::size_t N>
  void expectOutcomes(const Row (&rows)[N]) {
    for (const auto& row : rows) {
      const Date start = dispatch.now();
      EXPECT_EQ(outcome(row.script, row.expected), row.expected) << row.reason;
      EXPECT_NEAR(dispatch.now() - start, row.seconds, 1e-9) << row.reason;
    }
  }
};

TEST_F(ScriptEvaluation, TheLanguageFollowsAppleScript) {
  const Row rows[] = {
      {"return \"VIEW\" is \"View\"", "true", "case is ignored"},
      {"return \"ГОРБАЧ\" is \"горбач\"", "true", "case folding is Unicode-aware"},
      {"return \"Date d’ajout\" is \"Date d'ajout\"", "false", "typographic and straight apostrophes differ"},
      {"return \"Présentation\" is \"Presentation\"", "false", "diacritics count"},
      {"return \"\u212A\" is \"k\"", "true", "the Kelvin sign folds to an ASCII letter"},
      {"return \"Gr\u00F6\u00DFe\" is \"Gro\u0308\u00DFe\"", "true", "composed and decomposed accents are equal"},
      {"return \"Sort By\" is \"SortBy\"", "false", "white space counts"},
      {"return \"4\" is 4", "false", "no text-number coercion in equality"},
      {"return 4 is 4.0", "true", "integers and reals compare by value"},
      {"return \"kind\" is in {\"None\", \"Kind\"}", "true", "item membership ignores case"},
      {"return {\"a\", \"c\"} is in {\"a\", \"b\", \"c\"}", "false", "list containment is a contiguous sublist"},
      {"return {\"a\"} is in {{\"a\"}, \"b\"}", "false", "a one-item list is not a nested list"},
      {"return missing value is in {\"View\", \"显示\"}", "false", "missing value is in no title list"},
      {"return \"Kind\" is not in {\"None\"}", "true", "negated containment"},
      {"return \"ab\" is in \"xaby\"", "true", "text containment"},
      {"return missing value is missing value", "true", "missing value equals itself"},
      {"return -2700 < 0", "true", "unary minus on a literal"},
      {"return {1, \"a\"} is {1, \"A\"}", "true", "list equality item by item"},
      // Precedence and short circuit
      {"return item 1 of {\"Kind\", \"x\"} is in {\"None\", \"无\"}", "false", "`of` binds before `is in`"},
      {"return item 1 of {\"无\", \"x\"} is in {\"None\", \"无\"}", "true", "first entry tested, not the list"},
      {"return not false and not false and true", "true", "`not` binds tighter than `and`"},
      {"return false and (1 / 0 > 1)", "false", "`and` never evaluates its right side after false"},
      {"return true or (1 / 0 > 1)", "true", "`or` never evaluates its right side after true"},
      {"return 2 + 1 * 2", "4", "multiplication before addition"},
      {"return 1 + 2 as text", "\"3\"", "`as` applies to the whole sum"},
      {"return 0.12 as text", "\"0.12\"", "reals print without noise"},
      {"return 2.0 as text", "\"2.0\"", "whole reals keep their point"},
      {"return \"a\" & 1", "\"a1\"", "concatenation makes text"},
      {"return \"1\" + 1", "2", "arithmetic coerces numeric text"},
      {"return \"2.5e1\" + 0.5", "25.5", "numeric text may spell a real"},
      {"return \"1e400\" + 1", "-1700", "text beyond a double is no number"},
      // Statements
      {"set n to 0\nrepeat with i from 3 to 1\nset n to n + 1\nend repeat\nreturn n", "0",
       "a range whose end is below its start runs no iteration"},
      {"repeat with i from 1 to 3\nend repeat\nreturn i", "3", "the loop variable keeps its last value"},
      {"set n to 0\nrepeat with i from 1 to 3\nrepeat with j from 1 to 3\nif j is 2 then exit repeat\nset n to n + 1\n"
       "end repeat\nend repeat\nreturn n",
       "3", "exit repeat leaves only the innermost loop"},
      {"repeat with x in {\"a\", \"b\"}\nif x is \"a\" then return \"matched\"\nend repeat\nreturn \"none\"",
       "\"none\"", "a loop variable is a reference, never equal to a text"},
      {"repeat with x in {\"a\", \"b\"}\nif contents of x is \"b\" then return \"matched\"\nend repeat", "\"matched\"",
       "contents of gives the item"},
      {"on f(x)\nrepeat with i from 1 to 10\nif i is x then return i * 10\nend repeat\nend f\nreturn my f(4)", "40",
       "return inside a loop leaves the handler"},
      {"try\nerror \"boom\" number -2700\non error m number n\nreturn {m, n}\nend try", "{\"boom\", -2700}",
       "the trap sees message and number"},
      {"try\nerror \"boom\"\nend try\nreturn \"after\"", "\"after\"", "a try without handler swallows the error"},
      {"on g()\nerror \"deep\" number 42\nend g\non f()\nmy g()\nend f\ntry\nmy f()\non error m number n\nreturn {m, n}\n"
       "end try",
       "{\"deep\", 42}", "errors cross handlers unchanged"},
      {"if 1 > 2 then\nreturn 1\nelse if 2 > 1 then\nreturn 2\nelse\nreturn 3\nend if", "2", "else-if chain"},
      {"repeat with i from (1 + 1) to 3 by 1\nexit repeat\nend repeat\nreturn i", "2", "stepped range"},
      {"try\nerror number 5\non error number n\nreturn n\nend try", "5", "error with only a number"},
      {"-- comment\n# another\n(* block (* nested *) *)\nreturn 1 ¬\n + 2\n", "3", "comments and continuation"},
      {"TELL APPLICATION \"Finder\" TO GET NAME\n", "\"Finder\"", "keywords ignore case"},
      {"set target to 1\nreturn target\n", "1", "outside the Finder's block its terms are plain names"},
      {"set x to 5\nreturn", "nothing", "a bare return has no result"},
      {"set x to 5", "5", "without return the last statement is the result"},
      {"on f()\nset y to 1\nend f\nmy f()\nreturn y", "error -2753: The variable y is not defined.",
       "handler variables are local"},
      // Runtime error numbers
      {"return undefinedThing", "-2753", "undefined variable"},
      {"return item 3 of {1, 2}", "-1728", "list index past the end"},
      {"return 1 / 0", "-2701", "division by zero"},
      {"if \"yes\" then return 1", "-1700", "a condition must be a boolean"},
      {"return \"a\" > 1", "-1703", "texts and numbers do not order"},
      {"on f()\nreturn my f()\nend f\nreturn my f()", "-2706", "runaway recursion stops"},
      {"return my nothingHere()", "-1708", "unknown handler"},
      {"on f(a)\nend f\nreturn my f()", "-1721", "wrong argument count"},
      {"error \"x\" number 7", "error 7: x", "error raises its own number"},
      {"error \"x\"", "-2700", "error defaults to -2700"},
      {"tell application \"System Events\" to tell process \"Finder\"\nreturn findIt()\nend tell\non findIt()\nend findIt",
       "-1708", "a handler called without my inside tell goes to the application"},
      // Texts that do not compile
      {"tell application \"Finder\"\n  get name\n", "error -2741: Expected “end” but found end of script.",
       "block never closed"},
      {"tell application \"Finder\"\n  get name\nend if\n",
       "error -2741: Expected “end” or “end tell” but found “end if”.", "block closed by the wrong end"},
      {"return \"abc", "error -2741: Expected “\"” but found end of script.", "unterminated text literal"},
      {"(* comment never closed\nreturn 1\n", "-2741", "unterminated comment"},
      {"return {1, 2\n", "-2741", "unbalanced list braces"},
      {"return (1 + 2\n", "-2741", "unbalanced parentheses"},
      {"set to 3\n", "-2741", "set without a variable"},
      {"if true return 1\n", "-2741", "if without then"},
      {"repeat with x on {1}\nend repeat\n", "-2741", "repeat without in or from"},
      {"return 1 2\n", "-2740", "two values in a row"},
      {"end tell\n", "-2740", "end with nothing open"},
      {"with timeout of 2\nend timeout\n", "-2741", "time-out without seconds"},
      {"on f()\nreturn 1\nend g\n", "-2741", "handler closed under another name"},
      {"on f()\nend f\non f()\nend f\n", "-2752", "handler defined twice"},
      {"return 1 is 2 is 3\n", "-2740", "comparisons do not chain"},
      {"return @\n", "-2740", "character no token begins with"},
      {"set x to 1 as frobnicate\n", "-2741", "unknown class after as"},
      {"tell application \"System Events\" to get id of front Finder window\n", "-2741",
       "a Finder term inside another application's block"},
      {"tell application \"Finder\" to key code 47\n", "-2740", "a System Events command inside the Finder's block"},
      {"return first menu item\n", "-2741", "a System Events term outside any block"},
  };
  expectOutcomes(rows);
}

TEST_F(ScriptEvaluation, ApplicationReferences) {
  open("/Users/demo/Docs");
  open("/Users/demo/Pictures", FinderView::list);
  finder.openPanel(FinderWindowKind::dialog);
  const std::string tellFinder = "tell application \"Finder\" to return ";
  const std::string se = "tell application \"System Events\" to tell process \"Finder\"\n";
  const Row rows[] = {
      {tellFinder + "count of Finder windows", "2", "browser windows only"},
      {tellFinder + "current view of Finder window 2 as text", "\"icon view\"", "a view names itself as text"},
      {tellFinder + "Finder window 3", "error -1719: Finder got an error: Can’t get Finder window 3. Invalid index.",
       "index past the end"},
      {se + "return first window whose subrole is \"AXSystemFloatingWindow\"\nend tell", "-1719",
       "first whose without a match"},
      {se + "return count of (windows whose subrole is \"axdialog\")\nend tell", "1",
       "whose compares text ignoring case"},
      {se + "return menu bar item \"Nope\" of menu bar 1\nend tell", "-1728", "no element of that name"},
      {se + "set m to menu bar item \"View\" of menu bar 1\nreturn m\nend tell",
       "menu bar item \"View\" of menu bar 1 of application process \"Finder\"", "replies name elements by name"},
      {se + "repeat with w in windows\nif name of w is \"Docs\" then return contents of w\nend repeat\nend tell",
       "window \"Docs\" of application process \"Finder\"", "a loop over elements binds fresh references"},
      {se + "return value of attribute \"AXIdentifier\" of window \"Docs\"\nend tell", "-1728",
       "an attribute the element lacks"},
      {se + "return menu 1 of menu item 1 of menu 1 of menu bar item \"View\" of menu bar 1\nend tell",
       "-1719", "an item without a submenu"},
  };
  expectOutcomes(rows);
}

// Every Finder event takes 1.5 s; a limit bounds each event sent under it, not its block.
TEST_F(ScriptEvaluation, DelaysAndTimeLimitsRunOnTheSimulatedClock) {
  open("/Users/demo/Docs");
  mac.setEventLatency(1.5);
  const std::string timedOut = "error -1712: Finder got an error: AppleEvent timed out.";
  const std::string ask = "on ask()\ntell application \"Finder\" to return name\nend ask\n";
  const Row rows[] = {
      {"delay 0.12\ndelay 30\nreturn 1", "1", "delays advance the clock", 30.12},
      {"with timeout of 2 seconds\ntell application \"Finder\"\nget name\nget name\nreturn name\nend tell\n"
       "end timeout",
       "\"Finder\"", "three events each under the limit, the block above it", 4.5},
      {"with timeout of 3 seconds\nwith timeout of 1 second\ntell application \"Finder\" to get name\nend timeout\n"
       "end timeout",
       timedOut, "the inner limit applies and the script stops waiting at it", 1},
      {ask + "with timeout of 1 second\nreturn my ask()\nend timeout", timedOut,
       "a handler runs under its caller's limit", 1},
      {ask + "with timeout of 1 second\nend timeout\nreturn my ask()", "\"Finder\"", "the limit ends with its block",
       1.5},
  };
  expectOutcomes(rows);
}

}  // namespace
}  // namespace tidyframe
