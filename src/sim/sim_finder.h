#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/dispatch.h"
#include "sim/finder_menu_titles.h"

namespace tidyframe {

class SimVolumeCatalog;

enum class FinderView { icon, list, column, gallery };

// The Finder's scripting name of a view ("icon view", ..., "gallery view").
std::string_view finderViewScriptingName(FinderView view);
// The accessibility identifier of a view's content ("IconView", ..., "GalleryView").
std::string_view finderViewIdentifier(FinderView view);

// The URL the Finder reports for a folder: "file://", the absolute path percent-encoded byte by
// byte (letters, digits and -._~!$&'()*+,=:@/ kept), always ending in "/".
std::string finderFolderUrl(std::string_view path);

// The name the Finder shows for a folder: its last path component; the startup disk for "/".
std::string finderDisplayName(std::string_view path);

// A place a Finder window can show that is no folder, opened by its name instead of a path.
// Inferred, not observed (the notes only say special places may fail the query), and kept in
// finderSpecialPlaces so a person with a Mac can correct it: `url` is what "URL of target"
// answers (none: it raises -1728), `document` what the window's AXDocument reads.
struct FinderSpecialPlace {
  std::string_view name;
  std::optional<std::string_view> url;
  std::string_view document;
};

// Recents, AirDrop and a search, and a network location.
const FinderSpecialPlace* finderSpecialPlace(std::string_view path);

// How the Finder arranges one folder in one view.
struct FolderArrangement {
  bool grouped = false;
  ArrangeKey groupKey = ArrangeKey::kind;  // what Use Groups turns on
  ArrangeKey sortKey = ArrangeKey::name;

  friend bool operator==(const FolderArrangement&, const FolderArrangement&) = default;
};

enum class FinderWindowKind { browser, dialog, goToFolder, floating };

struct SimFinderWindow {
  int id = 0;
  FinderWindowKind kind = FinderWindowKind::browser;
  std::string path;  // the folder a browser window shows
  FinderView view = FinderView::icon;
  int sheets = 0;
  bool modal = false;
};

// What a View menu item does when clicked.
struct MenuCommand {
  enum class Kind { none, setView, useGroups, groupBy, sortBy };
  Kind kind = Kind::none;
  int value = 0;  // the FinderView or ArrangeKey
};

// The state the View menu was built from when it was last opened: the Finder fills its menus as
// they open, so a menu read while closed shows what it showed then.
struct ViewMenuContent {
  bool hasWindow = false;
  FinderView view = FinderView::icon;
  FolderArrangement arrangement;
};

// One item of the View menu as it shows when opened: a separator has no title; an item with a
// submenu only opens it.
struct ViewMenuItem {
  std::optional<std::string> title;
  std::optional<std::string> commandKey;
  int modifiers = 0;
  bool marked = false;
  MenuCommand command;
  bool hasSubmenu = false;
  std::vector<ViewMenuItem> submenu;
};

// The View menu built from `content` in the wording of `titles`: the four views with the shown one
// checked; then, with a window, Use Groups (or Group By with the group key checked, never in the
// gallery view) and Sort By (Sort Groups By while grouped) with the sort key checked, where the
// list view offers no "None".
std::vector<ViewMenuItem> finderViewMenu(const FinderMenuTitles& titles, const ViewMenuContent& content);

struct KeyPress {
  int keyCode = 0;
  bool command = false, shift = false, option = false, control = false;
  bool reachedFinder = false;  // keys go to the frontmost application only
};

// The simulated Finder: its windows, the arrangement of every folder in every view, its menus,
// its process state and its hidden-files setting. Plain state with the behaviour a user or a
// script sees; System Events' view of it and the Finder's scripting are built on top. Not
// thread-safe: confined to the queue that runs scripts against it.
class SimFinder {
 public:
  static constexpr std::size_t viewMenuIndex = 4;  // Apple, Finder, File, Edit, View, ...

  // Process
  bool running() const { return running_; }
  void quit();
  void launch();
  bool frontmost() const { return running_ && frontmost_; }
  void setFrontmost(bool frontmost);
  // Told, on the thread that made the change, whenever the Finder comes to the front.
  void setActivationObserver(std::function<void()> observer) { activationObserver_ = std::move(observer); }

  // Windows, front to back. Browser windows get ids; panels get ids from the same counter.
  int openWindow(std::string path, FinderView view = FinderView::icon);
  void navigate(int id, std::string path);
  void setView(int id, FinderView view);
  void closeWindow(int id);
  void bringToFront(int id);
  int openPanel(FinderWindowKind kind, bool modal = false);
  void addSheet(int id);
  void removeSheet(int id);
  const std::vector<SimFinderWindow>& windows() const { return windows_; }
  const SimFinderWindow* window(int id) const;
  const SimFinderWindow* frontBrowser() const;
  // The main window: the frontmost browser window or dialog (panels never become main).
  const SimFinderWindow* mainWindow() const;

  // Where the folders' items are read; none: every folder looks empty.
  void setFileSystem(const SimVolumeCatalog* volumes) { fileSystem_ = volumes; }
  const SimVolumeCatalog* fileSystem() const { return fileSystem_; }

  // The user typing in a text field (the search field, a name being edited).
  void focusTextField(bool focused);
  bool textFieldFocused() const { return textFieldFocused_; }

  // Arrangement; a folder never arranged reads as the default arrangement.
  FolderArrangement arrangement(const std::string& path, FinderView view) const;
  void setArrangement(const std::string& path, FinderView view, FolderArrangement arrangement);
  // Every folder and view ever arranged.
  const std::map<std::pair<std::string, FinderView>, FolderArrangement>& arrangements() const { return arrangements_; }
  // What the Finder shows: no groups in the gallery view, list views always sorted.
  static FolderArrangement effective(FolderArrangement arrangement, FinderView view);

  // Menus
  void setMenuStyle(FinderMenuStyle style);
  const FinderMenuStyle& menuStyle() const { return style_; }
  const FinderMenuTitles& titles() const { return titles_; }
  std::vector<std::string> menuBarTitles() const;
  std::optional<std::size_t> openMenu() const { return openMenu_; }
  const ViewMenuContent& viewMenuContent() const { return viewMenu_; }
  // What the View menu would be built from if it opened now.
  ViewMenuContent currentViewMenuContent() const;
  // A click on a menu-bar title: its menu opens and stays open.
  void pressMenuBarItem(std::size_t index);
  // A click on a menu item: it acts and every open menu closes.
  void pressMenuItem(const std::string& title, const MenuCommand& command);
  // A click on an item that only opens its submenu.
  void pressSubmenuItem(const std::string& title);
  // AXCancel: the open menu closes; nothing happens when none is open.
  void cancelMenu();
  // The user opening a menu or clicking elsewhere (which closes any open menu).
  void userOpensMenu(std::size_t index);
  void userClicksElsewhere();

  // Keyboard: Command-Shift-period toggles hidden files while the Finder is frontmost. Its
  // windows change at once; the "show all files" preference follows `lag` seconds on `clock`
  // later (at once without a clock). Setting the state directly settles both.
  void pressKey(const KeyPress& key);
  bool showsAllFiles() const { return showsAllFiles_; }
  void setShowsAllFiles(bool shows);
  void setPreferenceLag(const Dispatch& clock, double lag);
  bool storedShowsAllFiles() const;

  // What scripts did: titles clicked (menu-bar titles included) and keys pressed, in order.
  const std::vector<std::string>& menuClicks() const { return menuClicks_; }
  const std::vector<KeyPress>& keyPresses() const { return keyPresses_; }

  // Fault: another application takes the front right after the n-th further menu click.
  void loseFrontAfterMenuClicks(int n) { loseFrontAfter_ = n; }

  // Changes whenever anything a script could observe changes.
  std::uint64_t generation() const { return generation_; }

 private:
  SimFinderWindow* find(int id);
  void changed() { ++generation_; }
  void tellIfActivated(bool wasFrontmost);
  void clicked(const std::string& title);
  void run(const MenuCommand& command);

  bool running_ = true;
  bool frontmost_ = true;
  std::function<void()> activationObserver_;
  bool textFieldFocused_ = false;
  bool showsAllFiles_ = false;
  bool storedShowsAllFiles_ = false;
  // The preference write a key press left pending, and when it lands.
  std::optional<std::pair<Date, bool>> pendingWrite_;
  const Dispatch* clock_ = nullptr;
  double preferenceLag_ = 0;
  int nextId_ = 4001;
  std::vector<SimFinderWindow> windows_;
  std::map<std::pair<std::string, FinderView>, FolderArrangement> arrangements_;
  FinderMenuStyle style_;
  FinderMenuTitles titles_ = finderMenuTitles(FinderMenuStyle{});
  std::optional<std::size_t> openMenu_;
  ViewMenuContent viewMenu_;
  std::vector<std::string> menuClicks_;
  std::vector<KeyPress> keyPresses_;
  int loseFrontAfter_ = 0;
  std::uint64_t generation_ = 0;
  const SimVolumeCatalog* fileSystem_ = nullptr;
};

}  // namespace tidyframe
