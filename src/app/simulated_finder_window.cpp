#include "app/simulated_finder_window.h"

#include <array>
#include <filesystem>

#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/finder_items_view.h"
#include "app/simulated_finder_state.h"
#include "i18n/app_language.h"
#include "i18n/l.h"
#include "sim/sim_home.h"
#include "ui/symbols.h"

namespace tidyframe {

namespace {

constexpr int refreshMilliseconds = 150;
constexpr int periodKey = 47;
constexpr int commandRole = Qt::UserRole;

constexpr std::array<const char*, 4> viewSources{"图标", "列表", "分栏", "画廊"};

// Command-Shift-period on a Mac; on Linux the same keys with Control, which Qt names natively.
const QKeySequence showDotFilesKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_Period);

QString text(const std::string& value) { return QString::fromStdString(value); }

QPushButton* button(QWidget* parent, std::function<void()> action) {
  auto* result = new QPushButton(parent);
  QObject::connect(result, &QPushButton::clicked, parent, [action = std::move(action)] { action(); });
  return result;
}

// The Finder's languages as the interface's language picker names them, each in itself; the
// last one is a language Tidyframe has no titles for.
QString languageName(FinderMenuLanguage language, const L& l) {
  const auto index = static_cast<std::size_t>(language) + 1;
  if (index >= RawCases<AppLanguage>::cases.size()) return QStringLiteral("Nederlands");
  return text(title(RawCases<AppLanguage>::cases[index].first, l));
}

// A name the card can be renamed to: a single path component.
bool isCardName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

// A path reads left to right in a right-to-left window too, its leading slash included.
QString pathText(const std::string& path) { return QChar(0x200E) + text(path) + QChar(0x200E); }

std::string parentOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

}  // namespace

// What the window shows, read under the world lock.
struct SimulatedFinderWindow::Look {
  std::uint64_t generation = 0;
  bool frontmost = false;
  std::optional<SimFinderWindow> front;
  FolderArrangement arrangement;
  int browserWindows = 0;
  bool showsAllFiles = false;
  std::optional<std::string> card;
  std::vector<std::string> menuBar;
  FinderMenuTitles titles;
  ViewMenuContent menu;
  FinderMenuLanguage language = FinderMenuLanguage::english;
};

SimulatedFinderWindow::SimulatedFinderWindow(SimulatedMac& mac, const L& l, std::function<void()> changed)
    : mac_(mac), l_(l), changed_(std::move(changed)) {
  auto* layout = new QVBoxLayout(this);
  explanation_ = new QLabel(this);
  explanation_->setWordWrap(true);
  explanation_->setAutoFillBackground(true);
  explanation_->setBackgroundRole(QPalette::AlternateBase);
  explanation_->setMargin(8);
  layout->addWidget(explanation_);
  layout->addWidget(buildToolbar());
  auto* split = new QSplitter(this);
  auto* content = new QWidget(split);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  auto* heading = new QHBoxLayout;
  heading->setContentsMargins(2, 0, 2, 0);
  name_ = new QLabel(content);
  QFont large = name_->font();
  large.setPointSizeF(large.pointSizeF() * 1.3);
  large.setBold(true);
  name_->setFont(large);
  count_ = new QLabel(content);
  count_->setForegroundRole(QPalette::PlaceholderText);
  heading->addWidget(name_, 1);
  heading->addWidget(count_);
  column->addLayout(heading);
  items_ = new FinderItemsView([this](const std::string& item) { openItem(item); }, content);
  column->addWidget(items_, 1);
  split->addWidget(content);
  split->addWidget(buildSidePanel());
  split->setStretchFactor(0, 1);
  layout->addWidget(split, 1);
  layout->addWidget(buildFooter());
  auto* keys = new QShortcut(showDotFilesKeys, this);
  connect(keys, &QShortcut::activated, this, [this] { pressShowDotFiles(); });
  connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
  timer_.start(refreshMilliseconds);
  resize(980, 660);
  split->setSizes({700, 280});
  refresh();
}

QWidget* SimulatedFinderWindow::buildToolbar() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  up_ = new QToolButton(bar);
  up_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  up_->setIcon(symbolIcon("arrow.up", palette().color(QPalette::ButtonText), 16, devicePixelRatioF()));
  connect(up_, &QToolButton::clicked, this, [this] { goUp(); });
  folders_ = new QComboBox(bar);
  connect(folders_, &QComboBox::activated, this,
          [this](int index) { openFolder(folders_->itemData(index).toString().toStdString()); });
  views_ = new QComboBox(bar);
  for (std::size_t i = 0; i < viewSources.size(); ++i) views_->addItem(QString());
  connect(views_, &QComboBox::activated, this, [this](int index) { setView(static_cast<FinderView>(index)); });
  newWindow_ = button(bar, [this] { openSecondWindow(); });
  row->addWidget(up_);
  row->addWidget(folders_, 1);
  row->addWidget(views_);
  row->addWidget(newWindow_);
  return bar;
}

// The Finder's menu bar and its View menu, where the engine's clicks show as moving check marks.
QWidget* SimulatedFinderWindow::buildSidePanel() {
  auto* panel = new QWidget(this);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  menuBarTitle_ = new QLabel(panel);
  QFont heading = menuBarTitle_->font();
  heading.setBold(true);
  menuBarTitle_->setFont(heading);
  menuBar_ = new QLabel(panel);
  menuBar_->setWordWrap(true);
  viewMenu_ = new QTreeWidget(panel);
  viewMenu_->setColumnCount(2);
  viewMenu_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  viewMenu_->setRootIsDecorated(false);
  connect(viewMenu_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { chooseMenuItem(item); });
  column->addWidget(menuBarTitle_);
  column->addWidget(menuBar_);
  column->addWidget(viewMenu_, 1);
  return panel;
}

QWidget* SimulatedFinderWindow::buildFooter() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  status_ = new QLabel(box);
  status_->setWordWrap(true);
  column->addWidget(status_);
  auto* finder = new QHBoxLayout;
  languageTitle_ = new QLabel(box);
  languages_ = new QComboBox(box);
  // Sized without measuring every language's name: that alone would load a font per script.
  languages_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  languages_->setMinimumContentsLength(16);
  for (std::size_t i = 0; i < allFinderMenuLanguages.size(); ++i) languages_->addItem(QString());
  connect(languages_, &QComboBox::activated, this,
          [this](int index) { setLanguage(allFinderMenuLanguages[static_cast<std::size_t>(index)]); });
  dotFiles_ = button(box, [this] { pressShowDotFiles(); });
  finder->addWidget(languageTitle_);
  finder->addWidget(languages_);
  finder->addStretch(1);
  finder->addWidget(dotFiles_);
  column->addLayout(finder);
  auto* card = new QHBoxLayout;
  cardTitle_ = new QLabel(box);
  cardState_ = new QLabel(box);
  insert_ = button(box, [this] { insertCard(); });
  cardName_ = new QLineEdit("TRIP", box);
  connect(cardName_, &QLineEdit::textChanged, this, [this] { showCard(); });
  rename_ = button(box, [this] { renameCard(cardName_->text().toStdString()); });
  eject_ = button(box, [this] { ejectCard(); });
  card->addWidget(cardTitle_);
  card->addWidget(cardState_, 1);
  card->addWidget(insert_);
  card->addWidget(cardName_);
  card->addWidget(rename_);
  card->addWidget(eject_);
  column->addLayout(card);
  return box;
}

// Every text of the window's own, in the interface language and its direction.
void SimulatedFinderWindow::retranslate() {
  shownLanguage_ = l_.resolved();
  setLayoutDirection(l_.direction() == LayoutDirection::rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  setLocale(QLocale(text(shownLanguage_)));
  setWindowTitle(text(l_.t("模拟 Finder")));
  explanation_->setText(text(l_.t("此窗口代替 macOS 的 Finder：在这里打开文件夹，看 Tidyframe 如何排列它们。")));
  up_->setText(text(l_.t("上一级")));
  folders_->setToolTip(text(l_.t("前往文件夹")));
  for (std::size_t i = 0; i < viewSources.size(); ++i) {
    views_->setItemText(static_cast<int>(i), text(l_.t(viewSources[i])));
  }
  newWindow_->setText(text(l_.t("新窗口")));
  menuBarTitle_->setText(text(l_.t("Finder 的菜单栏")));
  languageTitle_->setText(text(l_.t("Finder 语言")));
  for (std::size_t i = 0; i < allFinderMenuLanguages.size(); ++i) {
    languages_->setItemText(static_cast<int>(i), languageName(allFinderMenuLanguages[i], l_));
  }
  dotFiles_->setText(text(l_.t("显示点文件")) + "  " + showDotFilesKeys.toString(QKeySequence::NativeText));
  cardTitle_->setText(text(l_.t("SD 卡")));
  insert_->setText(text(l_.t("插入")));
  rename_->setText(text(l_.t("重命名")));
  eject_->setText(text(l_.t("推出")));
}

SimulatedFinderWindow::Look SimulatedFinderWindow::look() {
  Look look;
  const auto world = mac_.lockWorld();
  const SimFinder& finder = mac_.finder();
  look.generation = finder.generation();
  look.frontmost = finder.frontmost();
  if (const auto* front = finder.frontBrowser()) {
    look.front = *front;
    look.arrangement = SimFinder::effective(finder.arrangement(front->path, front->view), front->view);
  }
  for (const auto& window : finder.windows()) look.browserWindows += window.kind == FinderWindowKind::browser;
  look.showsAllFiles = finder.showsAllFiles();
  look.card = SimulatedFinderState::cardMountPath(mac_.volumes);
  look.menuBar = finder.menuBarTitles();
  look.titles = finder.titles();
  look.menu = finder.currentViewMenuContent();
  look.language = finder.menuStyle().language;
  return look;
}

void SimulatedFinderWindow::refresh() {
  const Look now = look();
  // Someone else brought the Finder forward (the engine, before a command the user asked for).
  if (now.frontmost && !finderWasFrontmost_ && !isActiveWindow() && isVisible()) {
    raise();
    activateWindow();
  }
  finderWasFrontmost_ = now.frontmost;
  const bool retranslated = shownLanguage_ != l_.resolved();
  if (retranslated) retranslate();
  const bool finderChanged = shownGeneration_ != now.generation || shownCard_ != now.card;
  if (!finderChanged && !retranslated) return;
  const bool first = !shownGeneration_;
  shownGeneration_ = now.generation;
  shownCard_ = now.card;
  display(now);
  if (finderChanged && !first && changed_) changed_();
}

void SimulatedFinderWindow::bringBack() {
  show();
  raise();
  activateWindow();
}

void SimulatedFinderWindow::display(const Look& look) {
  name_->setText(look.front ? text(finderDisplayName(look.front->path)) : text(l_.t("没有 Finder 窗口")));
  std::vector<FinderItem> shown;
  if (look.front) shown = mac_.volumes.items(look.front->path);
  if (!look.showsAllFiles) std::erase_if(shown, [](const FinderItem& item) { return item.isDotFile(); });
  count_->setText(text(l_.f("%@ 个项目", l_.number(static_cast<std::int64_t>(shown.size())))));
  count_->setVisible(look.front.has_value());
  const ItemColumnTitles titles{text(l_.t("名称")), text(l_.t("修改日期")), text(l_.t("文件大小")),
                                text(l_.t("文件种类"))};
  const FinderView view = look.front ? look.front->view : FinderView::icon;
  items_->display(view, arrangeFinderItems(std::move(shown), look.arrangement, mac_.volumes.now()),
                  QLocale(text(shownLanguage_)), titles);
  showLocation(look);
  showStatus(look);
  QString bar;
  for (std::size_t i = 1; i < look.menuBar.size(); ++i) bar += text(look.menuBar[i]) + "   ";
  menuBar_->setText(bar.trimmed());
  languages_->setCurrentIndex(static_cast<int>(look.language));
  showViewMenu(look);
  showCard();
}

// The location box and the up button follow the front window.
void SimulatedFinderWindow::showLocation(const Look& look) {
  const auto folders = openableFolders();
  folders_->clear();
  for (const auto& folder : folders) folders_->addItem(pathText(folder), text(folder));
  const int current = look.front ? folders_->findData(text(look.front->path)) : -1;
  if (current < 0 && look.front) folders_->addItem(pathText(look.front->path), text(look.front->path));
  folders_->setCurrentIndex(current < 0 ? folders_->count() - 1 : current);
  const bool hasParent = look.front && std::ranges::find(folders, parentOf(look.front->path)) != folders.end();
  up_->setEnabled(hasParent);
  views_->setEnabled(look.front.has_value());
  if (look.front) views_->setCurrentIndex(static_cast<int>(look.front->view));
}

// Whether Tidyframe can arrange here now, and why not.
void SimulatedFinderWindow::showStatus(const Look& look) {
  QStringList lines;
  lines << text(look.frontmost ? l_.t("Finder 在前台：Tidyframe 会排列这里打开的文件夹。")
                               : l_.t("Finder 在后台：只有此窗口处于活动状态时，Tidyframe 才会排列。"));
  if (look.language == FinderMenuLanguage::dutch) {
    lines << text(l_.t("Tidyframe 读不懂这种语言的 Finder 菜单，因此不会排列。"));
  }
  QString details = text(l_.f("Finder 窗口：%@", l_.number(look.browserWindows)));
  if (look.showsAllFiles) details += "  ·  " + text(l_.t("正在显示点文件"));
  if (!look.front) details += "  ·  " + text(l_.t("点击“新窗口”打开一个。"));
  lines << details;
  status_->setText(lines.join("\n"));
}

// The card's controls are enabled only where they can act.
void SimulatedFinderWindow::showCard() {
  const bool in = shownCard_.has_value();
  cardState_->setText(in ? text(l_.f("已插入，名为“%@”", finderDisplayName(*shownCard_))) : text(l_.t("未插入")));
  cardState_->setToolTip(in ? text(SimHome::cardUuid) : QString());
  insert_->setEnabled(!in);
  eject_->setEnabled(in);
  const std::string name = cardName_->text().toStdString();
  rename_->setEnabled(in && isCardName(name) && "/Volumes/" + name != *shownCard_);
}

void SimulatedFinderWindow::showViewMenu(const Look& look) {
  viewMenu_->clear();
  viewMenu_->setHeaderLabels({"", text(look.titles.view)});
  const std::function<void(QTreeWidgetItem*, const std::vector<ViewMenuItem>&)> add =
      [&](QTreeWidgetItem* parent, const std::vector<ViewMenuItem>& items) {
        for (const auto& entry : items) {
          auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(viewMenu_);
          item->setText(0, entry.marked ? "✓" : "");
          const QString indent = parent ? "      " : "";
          item->setText(1, entry.title ? indent + text(*entry.title) + (entry.hasSubmenu ? "  ▸" : "") : "──────");
          item->setData(0, commandRole, QList<QVariant>{static_cast<int>(entry.command.kind), entry.command.value});
          add(item, entry.submenu);
          item->setExpanded(true);
        }
      };
  add(nullptr, finderViewMenu(look.titles, look.menu));
}

// A menu item chosen here is a click in the Finder's own View menu.
void SimulatedFinderWindow::chooseMenuItem(QTreeWidgetItem* item) {
  const auto command = item->data(0, commandRole).toList();
  if (command.size() != 2 || command[0].toInt() == static_cast<int>(MenuCommand::Kind::none)) return;
  const MenuCommand chosen{static_cast<MenuCommand::Kind>(command[0].toInt()), command[1].toInt()};
  const std::string title = item->text(1).trimmed().toStdString();
  actAsUser([&](SimFinder& finder) { finder.pressMenuItem(title, chosen); });
}

void SimulatedFinderWindow::actAsUser(const std::function<void(SimFinder&)>& change) {
  {
    const auto world = mac_.lockWorld();
    mac_.finder().setFrontmost(true);
    change(mac_.finder());
  }
  refresh();
}

std::vector<std::string> SimulatedFinderWindow::openableFolders() {
  std::vector<std::string> folders = SimHome::folders();
  const auto world = mac_.lockWorld();
  if (const auto card = SimulatedFinderState::cardMountPath(mac_.volumes)) folders.push_back(*card + "/DCIM");
  return folders;
}

// A folder double-clicked in the front window opens in it.
void SimulatedFinderWindow::openItem(const std::string& name) {
  std::optional<std::string> folder;
  {
    const auto world = mac_.lockWorld();
    if (const auto* front = mac_.finder().frontBrowser()) folder = front->path + "/" + name;
  }
  const auto folders = openableFolders();
  if (folder && std::ranges::find(folders, *folder) != folders.end()) openFolder(*folder);
}

void SimulatedFinderWindow::openFolder(const std::string& path) {
  actAsUser([&](SimFinder& finder) {
    if (const auto* front = finder.frontBrowser()) {
      finder.navigate(front->id, path);
    } else {
      finder.openWindow(path);
    }
  });
}

// Up to the parent while it is one of the folders a person may open.
void SimulatedFinderWindow::goUp() {
  const auto folders = openableFolders();
  actAsUser([&](SimFinder& finder) {
    const auto* front = finder.frontBrowser();
    if (!front) return;
    const auto parent = parentOf(front->path);
    if (std::ranges::find(folders, parent) != folders.end()) finder.navigate(front->id, parent);
  });
}

void SimulatedFinderWindow::openSecondWindow() {
  actAsUser([](SimFinder& finder) {
    const auto* front = finder.frontBrowser();
    finder.openWindow(front ? front->path : SimHome::home);
  });
}

void SimulatedFinderWindow::setView(FinderView view) {
  actAsUser([view](SimFinder& finder) {
    if (const auto* front = finder.frontBrowser()) finder.setView(front->id, view);
  });
}

void SimulatedFinderWindow::pressShowDotFiles() {
  actAsUser([](SimFinder& finder) { finder.pressKey(KeyPress{.keyCode = periodKey, .command = true, .shift = true}); });
  mac_.input.typed();
}

void SimulatedFinderWindow::setLanguage(FinderMenuLanguage language) {
  FinderMenuStyle style;
  style.language = language;
  actAsUser([&style](SimFinder& finder) { finder.setMenuStyle(style); });
}

// The Finder closes the windows of a volume that goes away.
void SimulatedFinderWindow::closeCardWindows(const std::string& mountPath) {
  std::vector<int> onCard;
  for (const auto& window : mac_.finder().windows()) {
    if (window.path == mountPath || window.path.starts_with(mountPath + "/")) onCard.push_back(window.id);
  }
  for (const int id : onCard) mac_.finder().closeWindow(id);
}

// Moves the card from one mount to another (either may be none), opening its photos when it
// arrives, and tells the engine as the system does, after the volume changed.
void SimulatedFinderWindow::remountCard(const std::optional<std::string>& from, const std::optional<std::string>& to) {
  {
    const auto world = mac_.lockWorld();
    if (from) {
      closeCardWindows(*from);
      mac_.volumes.unmount(*from);
    }
    if (to) {
      SimHome::insertCard(mac_.volumes, *to);
      mac_.finder().openWindow(*to + "/DCIM");
      mac_.finder().setFrontmost(true);
    }
  }
  if (from) mac_.workspace.postDidUnmount();
  if (to) mac_.workspace.postDidMount();
  refresh();
}

void SimulatedFinderWindow::insertCard() {
  if (!shownCard_) remountCard(std::nullopt, SimHome::card);
}

void SimulatedFinderWindow::renameCard(const std::string& name) {
  if (!shownCard_ || !isCardName(name)) return;
  const std::string to = "/Volumes/" + name;
  if (to != *shownCard_) remountCard(shownCard_, to);
}

void SimulatedFinderWindow::ejectCard() {
  if (shownCard_) remountCard(shownCard_, std::nullopt);
}

void SimulatedFinderWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  {
    const auto world = mac_.lockWorld();
    mac_.finder().setFrontmost(active);
  }
  finderWasFrontmost_ = active;
}

// Closing only hides: the Finder keeps its windows but is no longer in front, so the engine
// waits until the window comes back.
void SimulatedFinderWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
  {
    const auto world = mac_.lockWorld();
    mac_.finder().setFrontmost(false);
  }
  finderWasFrontmost_ = false;
}

}  // namespace tidyframe
