#include "sim/sim_finder.h"

#include <algorithm>

namespace tidyframe {

namespace {

constexpr FinderSpecialPlace specialPlaces[] = {
    {"Recents", std::nullopt, "file:///System/Library/CoreServices/Finder.app/Contents/Resources/MyLibraries/myDocuments.cannedSearch/"},
    {"AirDrop", std::nullopt, "nwnode://domain-AirDrop"},
    {"Search", std::nullopt, "file:///Users/demo/Library/Saved%20Searches/Search.savedSearch/"},
    {"Network", "smb://server.local/share/", "smb://server.local/share/"},
};

}  // namespace

const FinderSpecialPlace* finderSpecialPlace(std::string_view path) {
  for (const auto& place : specialPlaces) {
    if (place.name == path) return &place;
  }
  return nullptr;
}

namespace {

// A Finder on a real Mac writes ";" in a path as "%3B" (inferred: it is outside Foundation's
// URL-path character set).
bool keptInUrl(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$&'()*+,=:@/").find(static_cast<char>(c)) != std::string_view::npos;
}

constexpr int periodKeyCode = 47;

ViewMenuItem menuItem(std::string title, std::string key, int modifiers, bool marked, MenuCommand command) {
  return ViewMenuItem{std::move(title), std::move(key), modifiers, marked, command, false, {}};
}

ViewMenuItem submenu(std::string title, std::vector<ViewMenuItem> items) {
  return ViewMenuItem{std::move(title), std::nullopt, 0, false, {}, true, std::move(items)};
}

}  // namespace

std::vector<ViewMenuItem> finderViewMenu(const FinderMenuTitles& t, const ViewMenuContent& shown) {
  std::vector<ViewMenuItem> menu;
  const std::string viewTitles[] = {t.asIcons, t.asList, t.asColumns, t.asGallery};
  for (int v = 0; v < 4; ++v) {
    const bool marked = shown.hasWindow && static_cast<int>(shown.view) == v;
    menu.push_back(menuItem(viewTitles[v], std::to_string(v + 1), 0, marked, {MenuCommand::Kind::setView, v}));
  }
  menu.emplace_back();
  if (!shown.hasWindow) return menu;
  const FolderArrangement& a = shown.arrangement;
  const bool canGroup = shown.view != FinderView::gallery;
  if (canGroup && !a.grouped) menu.push_back(menuItem(t.useGroups, "0", 4, false, {MenuCommand::Kind::useGroups, 0}));
  if (canGroup && a.grouped) {
    std::vector<ViewMenuItem> group;
    for (std::size_t k = 0; k < arrangeKeyCount; ++k) {
      group.push_back(menuItem(t.keys[k], std::to_string(k), 4, a.groupKey == static_cast<ArrangeKey>(k),
                               {MenuCommand::Kind::groupBy, static_cast<int>(k)}));
    }
    menu.push_back(submenu(t.groupBy, std::move(group)));
  }
  std::vector<ViewMenuItem> sort;
  const bool offersNone = shown.view != FinderView::list;
  for (std::size_t k = offersNone ? 0 : 1; k < arrangeKeyCount; ++k) {
    sort.push_back(menuItem(t.keys[k], std::to_string(k), 6, a.sortKey == static_cast<ArrangeKey>(k),
                            {MenuCommand::Kind::sortBy, static_cast<int>(k)}));
  }
  menu.push_back(submenu(a.grouped ? t.sortGroupsBy : t.sortBy, std::move(sort)));
  menu.emplace_back();
  return menu;
}

std::string_view finderViewScriptingName(FinderView view) {
  switch (view) {
    case FinderView::icon: return "icon view";
    case FinderView::list: return "list view";
    case FinderView::column: return "column view";
    case FinderView::gallery: return "gallery view";
  }
  return "icon view";
}

std::string_view finderViewIdentifier(FinderView view) {
  switch (view) {
    case FinderView::icon: return "IconView";
    case FinderView::list: return "ListView";
    case FinderView::column: return "ColumnView";
    case FinderView::gallery: return "GalleryView";
  }
  return "IconView";
}

std::string finderFolderUrl(std::string_view path) {
  static constexpr char hexDigits[] = "0123456789ABCDEF";
  std::string url = "file://";
  if (path.empty() || path.front() != '/') url += '/';
  for (char ch : path) {
    auto c = static_cast<unsigned char>(ch);
    if (keptInUrl(c)) {
      url += ch;
    } else {
      url += '%';
      url += hexDigits[c >> 4];
      url += hexDigits[c & 0xF];
    }
  }
  if (url.back() != '/') url += '/';
  return url;
}

std::string finderDisplayName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path.empty() || path == "/") return "Macintosh HD";
  return std::string(path.substr(path.rfind('/') + 1));
}

void SimFinder::quit() {
  running_ = false;
  frontmost_ = false;
  windows_.clear();
  openMenu_.reset();
  textFieldFocused_ = false;
  changed();
}

void SimFinder::launch() {
  if (running_) return;
  running_ = true;
  changed();
  tellIfActivated(false);
}

void SimFinder::setFrontmost(bool frontmost) {
  const bool wasFrontmost = this->frontmost();
  frontmost_ = frontmost && running_;
  // Menus close when their application is no longer active.
  if (!frontmost_) openMenu_.reset();
  changed();
  tellIfActivated(wasFrontmost);
}

void SimFinder::tellIfActivated(bool wasFrontmost) {
  if (!wasFrontmost && frontmost() && activationObserver_) activationObserver_();
}

int SimFinder::openWindow(std::string path, FinderView view) {
  SimFinderWindow w;
  w.id = nextId_++;
  w.path = std::move(path);
  w.view = view;
  windows_.insert(windows_.begin(), std::move(w));
  changed();
  return windows_.front().id;
}

SimFinderWindow* SimFinder::find(int id) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [id](const auto& w) { return w.id == id; });
  return it == windows_.end() ? nullptr : &*it;
}

const SimFinderWindow* SimFinder::window(int id) const {
  auto it = std::find_if(windows_.begin(), windows_.end(), [id](const auto& w) { return w.id == id; });
  return it == windows_.end() ? nullptr : &*it;
}

void SimFinder::navigate(int id, std::string path) {
  if (auto* w = find(id)) w->path = std::move(path);
  changed();
}

void SimFinder::setView(int id, FinderView view) {
  if (auto* w = find(id)) w->view = view;
  changed();
}

void SimFinder::closeWindow(int id) {
  std::erase_if(windows_, [id](const auto& w) { return w.id == id; });
  changed();
}

void SimFinder::bringToFront(int id) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [id](const auto& w) { return w.id == id; });
  if (it != windows_.end()) std::rotate(windows_.begin(), it, it + 1);
  changed();
}

int SimFinder::openPanel(FinderWindowKind kind, bool modal) {
  SimFinderWindow w;
  w.id = nextId_++;
  w.kind = kind;
  w.modal = modal;
  windows_.insert(windows_.begin(), w);
  changed();
  return w.id;
}

void SimFinder::addSheet(int id) {
  if (auto* w = find(id)) ++w->sheets;
  changed();
}

void SimFinder::removeSheet(int id) {
  if (auto* w = find(id)) w->sheets = std::max(0, w->sheets - 1);
  changed();
}

const SimFinderWindow* SimFinder::frontBrowser() const {
  for (const auto& w : windows_) {
    if (w.kind == FinderWindowKind::browser) return &w;
  }
  return nullptr;
}

const SimFinderWindow* SimFinder::mainWindow() const {
  for (const auto& w : windows_) {
    if (w.kind == FinderWindowKind::browser || w.kind == FinderWindowKind::dialog) return &w;
  }
  return nullptr;
}

void SimFinder::focusTextField(bool focused) {
  textFieldFocused_ = focused;
  changed();
}

FolderArrangement SimFinder::arrangement(const std::string& path, FinderView view) const {
  auto it = arrangements_.find({path, view});
  return it == arrangements_.end() ? FolderArrangement{} : it->second;
}

void SimFinder::setArrangement(const std::string& path, FinderView view, FolderArrangement arrangement) {
  arrangements_[{path, view}] = arrangement;
  changed();
}

FolderArrangement SimFinder::effective(FolderArrangement arrangement, FinderView view) {
  if (view == FinderView::gallery) arrangement.grouped = false;
  if (view == FinderView::list && arrangement.sortKey == ArrangeKey::none) arrangement.sortKey = ArrangeKey::name;
  return arrangement;
}

void SimFinder::setMenuStyle(FinderMenuStyle style) {
  style_ = std::move(style);
  titles_ = finderMenuTitles(style_);
  changed();
}

std::vector<std::string> SimFinder::menuBarTitles() const {
  return {"Apple", "Finder", titles_.file, titles_.edit, titles_.view, titles_.go, titles_.window, titles_.help};
}

void SimFinder::clicked(const std::string& title) {
  menuClicks_.push_back(title);
  if (loseFrontAfter_ > 0 && --loseFrontAfter_ == 0) setFrontmost(false);
}

ViewMenuContent SimFinder::currentViewMenuContent() const {
  ViewMenuContent content = viewMenu_;
  const SimFinderWindow* front = frontBrowser();
  content.hasWindow = front != nullptr;
  if (front) {
    content.view = front->view;
    content.arrangement = effective(arrangement(front->path, front->view), front->view);
  }
  return content;
}

void SimFinder::userOpensMenu(std::size_t index) {
  openMenu_ = index;
  if (index == viewMenuIndex) viewMenu_ = currentViewMenuContent();
  changed();
}

void SimFinder::pressMenuBarItem(std::size_t index) {
  userOpensMenu(index);
  clicked(menuBarTitles().at(index));
}

void SimFinder::pressMenuItem(const std::string& title, const MenuCommand& command) {
  openMenu_.reset();
  run(command);
  changed();
  clicked(title);
}

void SimFinder::pressSubmenuItem(const std::string& title) { clicked(title); }

void SimFinder::run(const MenuCommand& command) {
  const SimFinderWindow* front = frontBrowser();
  if (!front || command.kind == MenuCommand::Kind::none) return;
  if (command.kind == MenuCommand::Kind::setView) {
    setView(front->id, static_cast<FinderView>(command.value));
    return;
  }
  FolderArrangement a = arrangement(front->path, front->view);
  auto key = static_cast<ArrangeKey>(command.value);
  switch (command.kind) {
    case MenuCommand::Kind::useGroups: a.grouped = true; break;
    case MenuCommand::Kind::groupBy:
      a.grouped = key != ArrangeKey::none;
      if (key != ArrangeKey::none) a.groupKey = key;
      break;
    case MenuCommand::Kind::sortBy: a.sortKey = key; break;
    default: break;
  }
  setArrangement(front->path, front->view, a);
}

void SimFinder::cancelMenu() {
  openMenu_.reset();
  changed();
}

void SimFinder::userClicksElsewhere() { cancelMenu(); }

void SimFinder::pressKey(const KeyPress& key) {
  KeyPress recorded = key;
  recorded.reachedFinder = frontmost();
  keyPresses_.push_back(recorded);
  if (recorded.reachedFinder && key.keyCode == periodKeyCode && key.command && key.shift && !key.option && !key.control) {
    showsAllFiles_ = !showsAllFiles_;
    storedShowsAllFiles_ = storedShowsAllFiles();  // an earlier write may have landed meanwhile
    pendingWrite_.reset();
    if (clock_) {
      pendingWrite_.emplace(clock_->now() + preferenceLag_, showsAllFiles_);
    } else {
      storedShowsAllFiles_ = showsAllFiles_;
    }
  }
  changed();
}

void SimFinder::setShowsAllFiles(bool shows) {
  showsAllFiles_ = shows;
  storedShowsAllFiles_ = shows;
  pendingWrite_.reset();
  changed();
}

void SimFinder::setPreferenceLag(const Dispatch& clock, double lag) {
  clock_ = &clock;
  preferenceLag_ = lag;
}

bool SimFinder::storedShowsAllFiles() const {
  if (pendingWrite_ && clock_->now() >= pendingWrite_->first) return pendingWrite_->second;
  return storedShowsAllFiles_;
}

}  // namespace tidyframe
