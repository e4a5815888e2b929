#include "app/simulated_finder_window.h"

#include <array>
#include <filesystem>

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/simulated_finder_state.h"
#include "sim/sim_home.h"

namespace tidyframe {

namespace {

constexpr int refreshMilliseconds = 150;
constexpr int periodKey = 47;
constexpr int commandRole = Qt::UserRole;

constexpr std::array<const char*, allFinderMenuLanguages.size()> languageNames{
    "English", "Simplified Chinese", "Traditional Chinese", "Japanese", "Korean", "German", "French",
    "Spanish", "Portuguese", "Italian", "Russian", "Arabic", "Hindi", "Dutch (unknown to Tidyframe)"};
constexpr std::array<const char*, 4> viewNames{"Icons", "List", "Columns", "Gallery"};

QString text(const std::string& value) { return QString::fromStdString(value); }

QPushButton* button(const char* label, QWidget* parent, std::function<void()> action) {
  auto* result = new QPushButton(label, parent);
  QObject::connect(result, &QPushButton::clicked, parent, [action = std::move(action)] { action(); });
  return result;
}

}  // namespace

// What the window shows, read under the world lock.
struct SimulatedFinderWindow::Look {
  std::uint64_t generation = 0;
  bool frontmost = false;
  std::optional<SimFinderWindow> front;
  int browserWindows = 0;
  bool showsAllFiles = false;
  std::optional<std::string> card;
  std::vector<std::string> menuBar;
  FinderMenuTitles titles;
  ViewMenuContent menu;
  FinderMenuLanguage language = FinderMenuLanguage::english;
};

SimulatedFinderWindow::SimulatedFinderWindow(SimulatedMac& mac, std::function<void()> changed)
    : mac_(mac), changed_(std::move(changed)) {
  setWindowTitle("Simulated Finder");
  auto* layout = new QVBoxLayout(this);
  name_ = new QLabel(this);
  QFont large = name_->font();
  large.setPointSizeF(large.pointSizeF() * 1.4);
  large.setBold(true);
  name_->setFont(large);
  details_ = new QLabel(this);
  details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  menuBar_ = new QLabel(this);
  viewMenu_ = new QTreeWidget(this);
  viewMenu_->setColumnCount(2);
  viewMenu_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  viewMenu_->setRootIsDecorated(false);
  connect(viewMenu_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { chooseMenuItem(item); });
  layout->addWidget(name_);
  layout->addWidget(details_);
  layout->addWidget(menuBar_);
  layout->addWidget(viewMenu_, 1);
  layout->addWidget(buildControls());
  layout->addWidget(buildCardControls());
  connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
  timer_.start(refreshMilliseconds);
  resize(440, 640);
  refresh();
}

QWidget* SimulatedFinderWindow::buildControls() {
  auto* box = new QWidget(this);
  auto* form = new QFormLayout(box);
  form->setContentsMargins(0, 0, 0, 0);
  folders_ = new QComboBox(box);
  auto* open = new QHBoxLayout;
  open->addWidget(folders_, 1);
  open->addWidget(button("Open", box, [this] { openFolder(folders_->currentText().toStdString()); }));
  open->addWidget(button("Go up", box, [this] { goUp(); }));
  open->addWidget(button("New window", box, [this] { openSecondWindow(); }));
  form->addRow("Folder", open);
  views_ = new QComboBox(box);
  for (const char* view : viewNames) views_->addItem(view);
  connect(views_, &QComboBox::activated, this, [this](int index) { setView(static_cast<FinderView>(index)); });
  auto* view = new QHBoxLayout;
  view->addWidget(views_, 1);
  view->addWidget(button("Show dot files (⌘⇧.)", box, [this] { pressShowDotFiles(); }));
  form->addRow("View", view);
  languages_ = new QComboBox(box);
  for (const char* language : languageNames) languages_->addItem(language);
  connect(languages_, &QComboBox::activated, this,
          [this](int index) { setLanguage(allFinderMenuLanguages[static_cast<std::size_t>(index)]); });
  form->addRow("Finder language", languages_);
  return box;
}

QWidget* SimulatedFinderWindow::buildCardControls() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new QLabel("SD card", box));
  row->addWidget(button("Insert", box, [this] { insertCard(); }));
  cardName_ = new QLineEdit("TRIP", box);
  row->addWidget(cardName_, 1);
  row->addWidget(button("Rename", box, [this] { renameCard(cardName_->text().toStdString()); }));
  row->addWidget(button("Eject", box, [this] { ejectCard(); }));
  return box;
}

void SimulatedFinderWindow::refresh() {
  Look look;
  {
    const auto world = mac_.lockWorld();
    const SimFinder& finder = mac_.finder();
    look.generation = finder.generation();
    look.frontmost = finder.frontmost();
    if (const auto* front = finder.frontBrowser()) look.front = *front;
    for (const auto& window : finder.windows()) look.browserWindows += window.kind == FinderWindowKind::browser;
    look.showsAllFiles = finder.showsAllFiles();
    look.card = SimulatedFinderState::cardMountPath(mac_.volumes);
    look.menuBar = finder.menuBarTitles();
    look.titles = finder.titles();
    look.menu = finder.currentViewMenuContent();
    look.language = finder.menuStyle().language;
  }
  // Someone else brought the Finder forward (the engine, before a command the user asked for).
  if (look.frontmost && !finderWasFrontmost_ && !isActiveWindow() && isVisible()) {
    raise();
    activateWindow();
  }
  finderWasFrontmost_ = look.frontmost;
  if (shownGeneration_ == look.generation && shownCard_ == look.card) return;
  const bool first = !shownGeneration_;
  shownGeneration_ = look.generation;
  shownCard_ = look.card;
  display(look);
  if (!first && changed_) changed_();
}

void SimulatedFinderWindow::display(const Look& look) {
  name_->setText(look.front ? text(finderDisplayName(look.front->path)) : "No Finder window");
  QString details = look.front ? text(look.front->path) + "\n" + viewNames[static_cast<int>(look.front->view)] +
                                     " view, " + QString::number(look.browserWindows) + " window(s)"
                               : QString("Open a folder below.");
  details += look.showsAllFiles ? ", dot files shown" : ", dot files hidden";
  details += look.frontmost ? ", Finder in front" : ", Finder in the background";
  details += look.card ? "\nSD card at " + text(*look.card) + ", volume " + text(SimHome::cardUuid) : "\nno SD card";
  details_->setText(details);
  QString bar;
  for (std::size_t i = 1; i < look.menuBar.size(); ++i) bar += text(look.menuBar[i]) + "   ";
  menuBar_->setText("Menu bar: " + bar.trimmed());
  if (look.front) views_->setCurrentIndex(static_cast<int>(look.front->view));
  languages_->setCurrentIndex(static_cast<int>(look.language));
  const QString current = folders_->currentText();
  folders_->clear();
  for (const auto& folder : openableFolders()) folders_->addItem(text(folder));
  folders_->setCurrentIndex(std::max(0, folders_->findText(current)));
  showViewMenu(look);
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
    const auto parent = std::filesystem::path(front->path).parent_path().string();
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
  if (!shownCard_ || name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return;
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

}  // namespace tidyframe
