#include "finder/finder_scripts.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "finder/finder_menu_names.h"
#include "platform/apple_script_host.h"
#include "i18n/translatable.h"
#include "model/grouping.h"

namespace tidyframe::FinderScripts {

namespace {

constexpr std::string_view noGroupMenu = translatable("Finder 当前视图没有可用的分组菜单");
constexpr std::string_view noSortMenu = translatable("Finder 当前视图没有可用的排序菜单");
constexpr std::string_view groupTitleUnknown = translatable("此系统语言暂未支持该分组选项");
constexpr std::string_view sortTitleUnknown = translatable("此系统语言暂未支持该排序选项");

constexpr std::string_view guardText = R"(with timeout of 2 seconds
tell application "System Events" to tell process "Finder"
    if not frontmost then return {"skip"}
    if not (exists (first window whose subrole is "AXStandardWindow")) then return {"skip"}
    if exists (first window whose subrole is "AXSystemFloatingWindow") then return {"skip"}
    set w to first window whose subrole is "AXStandardWindow"
    if value of attribute "AXMain" of w is not true then return {"skip"}
    if (count of sheets of w) > 0 then return {"skip"}
    repeat with anyWindow in windows
        if (count of sheets of anyWindow) > 0 then return {"skip"}
        try
            if value of attribute "AXIdentifier" of anyWindow is "GoToWindow" then return {"skip"}
        end try
    end repeat
    repeat with dw in (windows whose subrole is "AXDialog")
        if value of attribute "AXModal" of dw is true then return {"skip"}
    end repeat
    try
        set f to value of attribute "AXFocusedUIElement"
        set r to value of attribute "AXRole" of f
        if r is in {"AXTextField", "AXTextArea", "AXMenu", "AXMenuItem", "AXComboBox"} then return {"skip"}
    end try
end tell
end timeout)";

constexpr std::string_view queryText = R"(with timeout of 3 seconds
    tell application "Finder"
        if (count of Finder windows) is 0 then return {"skip"}
        return {URL of target of front Finder window, id of front Finder window as text, current view of front Finder window as text}
    end tell
end timeout)";

constexpr std::string_view automationCheckText = R"(with timeout of 3 seconds
    tell application "Finder" to get name
    tell application "System Events" to get name of process "Finder"
end timeout)";

constexpr std::string_view activateText = R"(with timeout of 3 seconds
    tell application "Finder" to activate
end timeout)";

constexpr std::string_view hiddenText = R"(tell application "System Events" to tell process "Finder"
    if not frontmost then return {"skip"}
    key code 47 using {command down, shift down}
end tell)";

constexpr std::string_view keepHiddenText = R"(with timeout of 3 seconds
    [[HIDDEN]]
    return {"ok"}
end timeout)";

// findMenus falls back to what the submenus hold when no Sort By title is known. In the icon
// view the Sort By submenu also holds a None item, so a submenu with the sort-by-name shortcut
// is taken as the sort menu only: counted as the group menu as well, the script would report the
// sort title as the old grouping and click sort items to group, yet still answer "ok".
constexpr std::string_view handlersText = R"(
on cancelViewMenu(ownedMenu)
    with timeout of 1 second
        try
            tell application "System Events" to tell process "Finder"
                if ownedMenu is missing value then
                    set parentItem to my findViewMenuItem()
                    if parentItem is missing value then return
                    set ownedMenu to menu 1 of parentItem
                end if
                perform action "AXCancel" of ownedMenu
            end tell
        end try
    end timeout
end cancelViewMenu

on markedMenuName(nativeMenu)
    tell application "System Events" to tell process "Finder"
        repeat with mi in menu items of nativeMenu
            try
                set markValue to value of attribute "AXMenuItemMarkChar" of mi
                if markValue is not missing value and markValue is not "" then return name of mi
            end try
        end repeat
    end tell
    return ""
end markedMenuName

on findViewMenuItem()
    tell application "System Events" to tell process "Finder"
        repeat with parentItem in menu bar items of menu bar 1
            if name of parentItem is in [[VIEW]] then return contents of parentItem
        end repeat
    end tell
    return missing value
end findViewMenuItem

on findMenus(viewMenu)
    set groupMenu to missing value
    set sortMenu to missing value
    set groupIndex to 0
    tell application "System Events" to tell process "Finder"
        set candidates to menu items of viewMenu
        repeat with parentItem in candidates
            if name of parentItem is in [[GROUPBY]] then set groupMenu to menu 1 of parentItem
            if name of parentItem is in [[SORTBY]] then set sortMenu to menu 1 of parentItem
        end repeat
        if sortMenu is not missing value then return {groupMenu, sortMenu}
        repeat with i from 1 to count of candidates
            try
                set candidateMenu to menu 1 of item i of candidates
                set groupHint to false
                set sortHint to false
                repeat with childItem in menu items of candidateMenu
                    if name of childItem is in [[NONE]] then set groupHint to true
                    try
                        set shortcutChar to value of attribute "AXMenuItemCmdChar" of childItem
                        set shortcutMods to value of attribute "AXMenuItemCmdModifiers" of childItem
                        if shortcutChar is "2" and shortcutMods is 4 then set groupHint to true
                        if shortcutChar is "1" and shortcutMods is 6 then set sortHint to true
                    end try
                end repeat
                if sortHint then
                    set sortMenu to candidateMenu
                else if groupHint then
                    set groupMenu to candidateMenu
                    set groupIndex to i
                end if
            end try
        end repeat
        if sortMenu is missing value and groupIndex > 0 then
            repeat with i from (groupIndex + 1) to count of candidates
                try
                    set candidateMenu to menu 1 of item i of candidates
                    repeat with childItem in menu items of candidateMenu
                        if name of childItem is in [[NAME]] then
                            set sortMenu to candidateMenu
                            exit repeat
                        end if
                    end repeat
                    if sortMenu is not missing value then exit repeat
                end try
            end repeat
        end if
    end tell
    return {groupMenu, sortMenu}
end findMenus)";

// Once the old titles are read, every skip carries them: the engine records the Finder's
// original arrangement from them even when the window changed before the script finished.
constexpr std::string_view applyText = R"([[GUARD]]
with timeout of 4 seconds
    tell application "Finder"
        if (count of Finder windows) is 0 then return {"skip"}
        if (URL of target of front Finder window) is not [[URL]] then return {"skip"}
        if (id of front Finder window as text) is not [[WINDOW]] then return {"skip"}
    end tell
    [[GUARD]]
    set oldGroup to ""
    set oldSort to ""
    tell application "System Events" to tell process "Finder"
        set viewMenuItem to my findViewMenuItem()
        if viewMenuItem is missing value then error [[NOGROUPMENU]] number -2700
        set viewMenu to missing value
        try
        click viewMenuItem
        delay 0.12
        set viewMenu to menu 1 of viewMenuItem
        set resolvedMenus to my findMenus(viewMenu)
        set groupMenu to item 1 of resolvedMenus
        set sortMenu to item 2 of resolvedMenus
        if sortMenu is missing value then error [[NOSORTMENU]] number -2700
        set oldSort to my markedMenuName(sortMenu)
        if oldSort is "" then error [[NOSORTMENU]] number -2700
        set wantsNoGroups to item 1 of [[GROUPS]] is in [[NONE]]
        if groupMenu is missing value then
            set oldGroup to "None"
            if not wantsNoGroups then
                set useGroupsItem to missing value
                repeat with mi in menu items of viewMenu
                    if name of mi is in [[USEGROUPS]] then set useGroupsItem to contents of mi
                end repeat
                if useGroupsItem is missing value then error [[NOGROUPMENU]] number -2700
                if not frontmost then
                    my cancelViewMenu(viewMenu)
                    return {"skip", oldGroup, oldSort}
                end if
                click useGroupsItem
                my cancelViewMenu(viewMenu)
                delay 0.25
                set viewMenuItem to my findViewMenuItem()
                click viewMenuItem
        delay 0.12
                set viewMenu to menu 1 of viewMenuItem
                set resolvedMenus to my findMenus(viewMenu)
                set groupMenu to item 1 of resolvedMenus
                set sortMenu to item 2 of resolvedMenus
                if groupMenu is missing value then error [[NOGROUPMENU]] number -2700
            end if
        else
            set oldGroup to my markedMenuName(groupMenu)
            if oldGroup is "" then error [[NOGROUPMENU]] number -2700
        end if
        set groupChanged to oldGroup is not in [[GROUPS]]
        set sortChanged to oldSort is not in [[SORTS]]
        if groupChanged then
            set groupItem to missing value
            repeat with mi in menu items of groupMenu
                if name of mi is in [[GROUPS]] then set groupItem to contents of mi
            end repeat
            if groupItem is missing value then error [[GROUPTITLE]] number -2700
            if not frontmost then
                my cancelViewMenu(viewMenu)
                return {"skip", oldGroup, oldSort}
            end if
            click groupItem
            my cancelViewMenu(viewMenu)
            delay 0.25
        end if
        if sortChanged then
            if groupChanged then
                set viewMenuItem to my findViewMenuItem()
                if viewMenuItem is missing value then error [[NOGROUPMENU]] number -2700
                click viewMenuItem
        delay 0.12
                set viewMenu to menu 1 of viewMenuItem
                set resolvedMenus to my findMenus(viewMenu)
                set sortMenu to item 2 of resolvedMenus
            end if
            if sortMenu is missing value then error [[NOSORTMENU]] number -2700
            set sortItem to missing value
            repeat with mi in menu items of sortMenu
                if name of mi is in [[SORTS]] then set sortItem to contents of mi
            end repeat
            if sortItem is missing value then error [[SORTTITLE]] number -2700
            if not frontmost then
                my cancelViewMenu(viewMenu)
                return {"skip", oldGroup, oldSort}
            end if
            click sortItem
        end if
        my cancelViewMenu(viewMenu)
        on error errorMessage number errorNumber
            my cancelViewMenu(viewMenu)
            return {"error", oldGroup, oldSort, errorMessage, errorNumber}
        end try
    end tell
    [[HIDE]]
    if not groupChanged and not sortChanged and [[NOHIDE]] then return {"unchanged", oldGroup, oldSort}
    return {"ok", oldGroup, oldSort}
end timeout[[HANDLERS]])";

// The Finder keeps grouping and sorting per view, so the arrangement follows in a run of its
// own once the new view is queried. The old view is read inside the trap, so an error still
// reports it when it was read.
constexpr std::string_view setViewText = R"([[GUARD]]
with timeout of 4 seconds
    tell application "Finder"
        if (count of Finder windows) is 0 then return {"skip"}
        if (URL of target of front Finder window) is not [[URL]] then return {"skip"}
        if (id of front Finder window as text) is not [[WINDOW]] then return {"skip"}
        set oldView to ""
        try
            set oldView to current view of front Finder window as text
            set current view of front Finder window to [[VIEW]]
        on error errorMessage number errorNumber
            return {"error", oldView, errorMessage, errorNumber}
        end try
    end tell
    return {"ok", oldView}
end timeout)";

// Runs after arranging; the window may have closed meanwhile, which must answer a skip rather
// than fail the whole run.
constexpr std::string_view hideCheckText = R"(tell application "Finder"
if (count of Finder windows) is 0 then return {"skip", oldGroup, oldSort}
if (URL of target of front Finder window) is not [[URL]] then return {"skip", oldGroup, oldSort}
if (id of front Finder window as text) is not [[WINDOW]] then return {"skip", oldGroup, oldSort}
end tell
)";

using Slots = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// `text` with every "[[NAME]]" of `slots` replaced by its value, in one pass: a value is never
// scanned again, so a value that looks like a marker stays as it is. Unknown markers stay.
std::string filled(std::string_view text, Slots slots, std::size_t reserve = 0) {
  std::string out;
  out.reserve(reserve ? reserve : text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const auto open = text.find("[[", at);
    const auto close = open == std::string_view::npos ? open : text.find("]]", open + 2);
    if (close == std::string_view::npos) break;
    const auto name = text.substr(open + 2, close - open - 2);
    const auto* slot = std::ranges::find_if(slots, [name](const auto& s) { return s.first == name; });
    out.append(text.substr(at, open - at));
    if (slot == slots.end()) {
      out.append(text.substr(open, close + 2 - open));
    } else {
      out.append(slot->second);
    }
    at = close + 2;
  }
  if (at < text.size()) out.append(text.substr(at));
  return out;
}

// Every bare skip of `text` turned into one that reports the titles already read.
std::string withTitlesInSkips(std::string_view text) {
  constexpr std::string_view bare = R"(return {"skip"})";
  constexpr std::string_view carrying = R"(return {"skip", oldGroup, oldSort})";
  std::string out;
  std::size_t at = 0;
  for (auto found = text.find(bare); found != std::string_view::npos; found = text.find(bare, at)) {
    out.append(text.substr(at, found - at)).append(carrying);
    at = found + bare.size();
  }
  return out.append(text.substr(at));
}

std::string listOf(std::span<const std::string_view> texts) { return list(texts); }

// The menu clicks have landed by now: a time-out or a vanished window here must still answer
// the old titles, or the next attempt would read this system's arrangement as the original.
constexpr std::string_view hideTrapText = R"(
    on error errorMessage number errorNumber
        return {"error", oldGroup, oldSort, errorMessage, errorNumber}
    end try)";

std::string hideBlock() {
  return "try\n" + withTitlesInSkips(guardText) + "\n" + std::string(hideCheckText) + withTitlesInSkips(hiddenText) +
         std::string(hideTrapText);
}

// The handlers the arrangement calls to find the View menu and its group and sort submenus;
// begins with a line feed.
std::string menuDiscovery() {
  const auto view = listOf(FinderMenuNames::view());
  const auto group = listOf(FinderMenuNames::group());
  const auto sort = listOf(FinderMenuNames::sort());
  const auto none = listOf(menuNames(Grouping::none));
  const auto name = listOf(menuNames(Grouping::name));
  return filled(handlersText, {{"VIEW", view}, {"GROUPBY", group}, {"SORTBY", sort}, {"NONE", none}, {"NAME", name}});
}

// The arrangement text with everything but the folder, window and wanted titles filled in.
std::string applyTemplate(bool hide) {
  const auto hideText = hide ? hideBlock() : std::string();
  const auto handlers = menuDiscovery();
  const auto none = listOf(menuNames(Grouping::none));
  const auto useGroups = listOf(FinderMenuNames::useGroups());
  const auto noGroup = quoted(noGroupMenu);
  const auto noSort = quoted(noSortMenu);
  const auto groupTitle = quoted(groupTitleUnknown);
  const auto sortTitle = quoted(sortTitleUnknown);
  return filled(applyText, {{"GUARD", guardText},
                            {"NONE", none},
                            {"USEGROUPS", useGroups},
                            {"HIDE", hideText},
                            {"NOHIDE", hide ? "false" : "true"},
                            {"HANDLERS", handlers},
                            {"NOGROUPMENU", noGroup},
                            {"NOSORTMENU", noSort},
                            {"GROUPTITLE", groupTitle},
                            {"SORTTITLE", sortTitle}});
}

template <class Text>
std::string listLiteral(std::span<const Text> texts) {
  std::string out = "{";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out += ", ";
    out += quoted(texts[i]);
  }
  return out + "}";
}

}  // namespace

std::string quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

std::string list(std::span<const std::string_view> texts) { return listLiteral(texts); }
std::string list(std::span<const std::string> texts) { return listLiteral(texts); }

std::string_view guardUI() { return guardText; }

std::string_view query() {
  static const std::string text = std::string(guardText) + "\n" + std::string(queryText);
  return text;
}

std::string_view automationCheck() { return automationCheckText; }
std::string_view activate() { return activateText; }

std::string_view keepHidden() {
  static const std::string text = std::string(guardText) + "\n" + filled(keepHiddenText, {{"HIDDEN", hiddenText}});
  return text;
}

std::string apply(std::string_view url, std::string_view windowID, std::span<const std::string> groups,
                  std::span<const std::string> sorts, bool hide) {
  static const std::string withHide = applyTemplate(true);
  static const std::string withoutHide = applyTemplate(false);
  const auto& base = hide ? withHide : withoutHide;
  const auto urlLiteral = quoted(url);
  const auto windowLiteral = quoted(windowID);
  const auto groupsLiteral = list(groups);
  const auto sortsLiteral = list(sorts);
  const auto reserve = base.size() + 2 * urlLiteral.size() + 2 * windowLiteral.size() + 3 * groupsLiteral.size() +
                       2 * sortsLiteral.size();
  return filled(base,
                {{"URL", urlLiteral}, {"WINDOW", windowLiteral}, {"GROUPS", groupsLiteral}, {"SORTS", sortsLiteral}},
                reserve);
}

// The view term is one of four fixed words of the Finder's dictionary, not a text: it cannot
// be quoted, and nothing a user typed reaches it.
std::string setView(std::string_view url, std::string_view windowID, FinderViewChoice view) {
  const auto term = scriptingName(view);
  if (term.empty()) return R"(return {"skip"})";
  const auto urlLiteral = quoted(url);
  const auto windowLiteral = quoted(windowID);
  return filled(setViewText, {{"GUARD", guardText}, {"URL", urlLiteral}, {"WINDOW", windowLiteral}, {"VIEW", term}});
}

}  // namespace tidyframe::FinderScripts

namespace tidyframe {

std::optional<ViewChangeReply> readViewChange(const ScriptReply& reply) {
  using Status = ViewChangeReply::Status;
  const auto status = reply.text(1);
  if (status == "skip") return ViewChangeReply{};
  const auto oldView = reply.text(2);
  if (!oldView) return std::nullopt;
  if (status == "ok") return ViewChangeReply{Status::ok, *oldView};
  if (status != "error") return std::nullopt;
  return ViewChangeReply{Status::error, *oldView, reply.text(3).value_or(""), reply.int32(4).value_or(-1)};
}

}  // namespace tidyframe
