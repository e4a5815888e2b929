#include <algorithm>
#include <map>

#include "app/self_check.h"
#include "finder/finder_menu_names.h"
#include "finder/finder_scripts.h"
#include "sim/applescript/script_parser.h"

namespace tidyframe {

namespace {

std::vector<std::string> titles(std::span<const std::string_view> names) { return {names.begin(), names.end()}; }

// Every text the runner may be handed: the four fixed ones and an arrangement for each
// grouping, with and without hide, for a folder whose name holds quotes and a line break.
std::vector<std::pair<std::string, std::string>> everyScript() {
  std::vector<std::pair<std::string, std::string>> scripts = {
      {"query", std::string(FinderScripts::query())},
      {"automation check", std::string(FinderScripts::automationCheck())},
      {"activate", std::string(FinderScripts::activate())},
      {"keep hidden", std::string(FinderScripts::keepHidden())},
  };
  for (auto grouping : allCases<Grouping>()) {
    for (bool hide : {false, true}) {
      auto text = FinderScripts::apply("file:///Volumes/SD/%22Say%22%0A/", "1", titles(menuNames(grouping)),
                                       titles(menuNames(Sorting::name)), hide);
      scripts.emplace_back("apply " + std::string(rawValue(grouping)) + (hide ? " with hide" : ""), std::move(text));
    }
  }
  return scripts;
}

std::string everyScriptCompiles() {
  for (const auto& [name, text] : everyScript()) {
    if (auto compiled = applescript::compileScript(text); !compiled) {
      return name + " does not compile: " + compiled.error().message;
    }
  }
  return {};
}

std::string guardIsTheFixedText() {
  const auto text = FinderScripts::guardUI();
  if (text.size() != 1151) return "the guard has " + std::to_string(text.size()) + " bytes, not 1151";
  if (!text.starts_with("with timeout of 2 seconds\n")) return "the guard does not start with its 2-second limit";
  return {};
}

std::string noScriptRunsShellCommands() {
  for (const auto& [name, text] : everyScript()) {
    if (text.find("do shell script") != std::string::npos) return name + " runs a shell command";
    if (text.find("entire contents") != std::string::npos) return name + " walks a window's contents";
  }
  return {};
}

std::string skipsAfterReadingCarryTheTitles() {
  for (const auto& [name, text] : everyScript()) {
    const auto read = text.find("set oldSort to \"\"");
    if (read == std::string::npos) continue;
    if (text.find("return {\"skip\"}", read) != std::string::npos) return name + " answers a bare skip after reading";
  }
  return {};
}

std::string listSizesHold() {
  const std::pair<std::span<const std::string_view>, std::size_t> menus[] = {
      {FinderMenuNames::view(), 13}, {FinderMenuNames::useGroups(), 13},
      {FinderMenuNames::group(), 12}, {FinderMenuNames::sort(), 24}};
  for (const auto& [list, size] : menus) {
    if (list.size() != size) return "the menu title list starting " + std::string(list.front()) + " lost titles";
  }
  const std::map<Grouping, std::size_t> choices{{Grouping::kind, 13},  {Grouping::name, 12},   {Grouping::modified, 15},
                                                {Grouping::created, 17}, {Grouping::added, 21}, {Grouping::opened, 23},
                                                {Grouping::size, 14},  {Grouping::tags, 13},   {Grouping::none, 14}};
  for (const auto& [grouping, size] : choices) {
    if (menuNames(grouping).size() != size) return "the titles of " + std::string(rawValue(grouping)) + " changed";
  }
  return {};
}

std::string noneIsKnown() {
  const auto none = menuNames(Grouping::none);
  return std::ranges::find(none, "None") != none.end() ? std::string{} : "\"None\" is not a title of no grouping";
}

std::string titlesWidenToTheirChoice() {
  if (widenedMenuNames("Date d'ajout") != titles(menuNames(Grouping::added))) return "a straight apostrophe is lost";
  if (widenedMenuNames("Date d’ajout") != titles(menuNames(Grouping::added))) return "a curly apostrophe is lost";
  if (widenedMenuNames("None").size() != menuNames(Grouping::none).size()) return "None does not widen";
  return {};
}

}  // namespace

std::vector<SelfCheck> finderChecks() {
  return {
      {"finder scripts: the UI guard is the fixed text", guardIsTheFixedText},
      {"finder scripts: every script compiles", everyScriptCompiles},
      {"finder scripts: no shell commands, no walk of window contents", noScriptRunsShellCommands},
      {"finder scripts: skips after reading the old titles report them", skipsAfterReadingCarryTheTitles},
      {"finder vocabulary: every title list is whole", listSizesHold},
      {"finder vocabulary: the title of a window without groups is known", noneIsKnown},
      {"finder vocabulary: read-back titles widen to every wording", titlesWidenToTheirChoice},
  };
}

}  // namespace tidyframe
