#include "app/finder_items_view.h"

#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/panel_services.h"
#include "ui/symbols.h"

namespace tidyframe {

namespace {

constexpr int tileWidth = 104;
constexpr int tileIcon = 40;
constexpr int rowIcon = 16;
constexpr int galleryIcon = 64;
constexpr int galleryPreview = 160;
constexpr int nameRole = Qt::UserRole;

struct KindLook {
  const char* symbol;
  QRgb colour;
};

// Colours that read on light and dark backgrounds alike.
KindLook lookOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::folder: return {"folder.fill", 0xFF3D8FE0};
    case ItemKind::document: return {"doc.text", 0xFF6A7B90};
    case ItemKind::pdf: return {"doc.richtext", 0xFFD9443A};
    case ItemKind::image: return {"photo", 0xFF2E9E5B};
    case ItemKind::movie: return {"film", 0xFF8E57D6};
    case ItemKind::music: return {"music.note", 0xFFE0457B};
    case ItemKind::archive: return {"archivebox", 0xFFB07A3A};
    case ItemKind::application: return {"app", 0xFF4460E0};
    case ItemKind::other: break;
  }
  return {"doc", 0xFF808080};
}

// A dot file shows faded, as the Finder shows files it would otherwise hide. Each icon is drawn
// from its SVG once and then shared, since a folder shows the same few over and over.
QPixmap kindPixmap(const FinderItem& item, int points, qreal ratio) {
  const KindLook look = lookOf(item.kind);
  QColor colour = QColor::fromRgba(look.colour);
  if (item.isDotFile()) colour.setAlphaF(0.45f);
  const QString key = QStringLiteral("kind:%1:%2:%3:%4").arg(look.symbol).arg(colour.rgba()).arg(points).arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  pixmap = symbolPixmap(look.symbol, colour, points, ratio);
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QIcon kindIcon(const FinderItem& item, int points, qreal ratio) { return QIcon(kindPixmap(item, points, ratio)); }

QString sizeText(const FinderItem& item, const QLocale& locale) {
  if (!item.size) return QStringLiteral("--");
  return locale.formattedDataSize(*item.size, 1, QLocale::DataSizeSIFormat);
}

QString dateText(Date date, const QLocale& locale) {
  const auto seconds = static_cast<qint64>(date.unixTime());
  return locale.toString(QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()), QLocale::ShortFormat);
}

QFont bold(QFont font) {
  font.setBold(true);
  return font;
}

// One icon with the item's name under it; a double-click opens it.
class Tile final : public QWidget {
 public:
  Tile(const FinderItem& item, std::function<void()> open, QWidget* parent) : QWidget(parent), open_(std::move(open)) {
    setFixedWidth(tileWidth);
    setObjectName(qtText(item.name));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 4, 2, 4);
    layout->setSpacing(2);
    auto* icon = new QLabel(this);
    icon->setPixmap(kindPixmap(item, tileIcon, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(qtText(item.name), this);
    name->setWordWrap(true);
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (item.isDotFile()) name->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(icon);
    layout->addWidget(name, 1);
  }

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override {
    if (open_) open_();
  }

 private:
  std::function<void()> open_;
};

void styleRows(QAbstractItemView& view) {
  view.setIconSize(QSize(rowIcon, rowIcon));
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
}

}  // namespace

FinderItemsView::FinderItemsView(std::function<void(const std::string&)> open, QWidget* parent)
    : QStackedWidget(parent), open_(std::move(open)) {
  icons_ = new QScrollArea(this);
  icons_->setWidgetResizable(true);
  icons_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_ = new QTreeWidget(this);
  list_->setColumnCount(4);
  list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  list_->header()->setStretchLastSection(false);
  styleRows(*list_);
  column_ = new QListWidget(this);
  styleRows(*column_);
  // The gallery: the chosen item large, the folder as a strip below it.
  galleryPage_ = new QWidget(this);
  auto* galleryLayout = new QVBoxLayout(galleryPage_);
  galleryLayout->setContentsMargins(2, 0, 2, 0);
  preview_ = new QLabel(galleryPage_);
  preview_->setAlignment(Qt::AlignCenter);
  previewName_ = new QLabel(galleryPage_);
  previewName_->setAlignment(Qt::AlignCenter);
  previewName_->setFont(bold(previewName_->font()));
  gallery_ = new QListWidget(galleryPage_);
  gallery_->setFixedHeight(galleryIcon + 72);
  galleryLayout->addWidget(preview_, 1);
  galleryLayout->addWidget(previewName_);
  galleryLayout->addWidget(gallery_);
  connect(gallery_, &QListWidget::currentRowChanged, this, [this](int row) { preview(row); });
  gallery_->setViewMode(QListView::IconMode);
  gallery_->setFlow(QListView::LeftToRight);
  gallery_->setWrapping(false);
  gallery_->setIconSize(QSize(galleryIcon, galleryIcon));
  gallery_->setGridSize(QSize(tileWidth + 16, galleryIcon + 48));
  gallery_->setMovement(QListView::Static);
  for (QWidget* page : std::initializer_list<QWidget*>{icons_, list_, column_, galleryPage_}) addWidget(page);
  const auto openItem = [this](const QModelIndex& index) {
    const QString name = index.data(nameRole).toString();
    if (!name.isEmpty()) open_(name.toStdString());
  };
  connect(list_, &QTreeWidget::doubleClicked, this, openItem);
  connect(column_, &QListWidget::doubleClicked, this, openItem);
  connect(gallery_, &QListWidget::doubleClicked, this, openItem);
}

void FinderItemsView::display(FinderView view, std::vector<FinderItemGroup> groups, const QLocale& locale,
                              const ItemColumnTitles& titles) {
  view_ = view;
  groups_ = std::move(groups);
  locale_ = locale;
  titles_ = titles;
  switch (view_) {
    case FinderView::icon: showIcons(); break;
    case FinderView::list: showList(); break;
    case FinderView::column: showColumn(); break;
    case FinderView::gallery: showGallery(); break;
  }
}

int FinderItemsView::iconColumns() const {
  const int width = icons_->viewport()->width() - 16;
  return std::max(1, width / tileWidth);
}

void FinderItemsView::resizeEvent(QResizeEvent* event) {
  QStackedWidget::resizeEvent(event);
  if (view_ == FinderView::icon && iconColumns() != shownColumns_) showIcons();
}

void FinderItemsView::showIcons() {
  setCurrentWidget(icons_);
  shownColumns_ = iconColumns();
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  for (const auto& group : groups_) {
    if (!group.header.empty()) {
      auto* header = new QLabel(qtText(group.header), content);
      header->setFont(bold(header->font()));
      layout->addWidget(header);
      auto* line = new QFrame(content);
      line->setFrameShape(QFrame::HLine);
      line->setForegroundRole(QPalette::Mid);
      layout->addWidget(line);
    }
    auto* grid = new QGridLayout;
    grid->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    for (std::size_t i = 0; i < group.items.size(); ++i) {
      const FinderItem& item = group.items[i];
      std::function<void()> open;
      if (item.kind == ItemKind::folder) open = [this, name = item.name] { open_(name); };
      const int index = static_cast<int>(i);
      grid->addWidget(new Tile(item, std::move(open), content), index / shownColumns_, index % shownColumns_);
    }
    layout->addLayout(grid);
  }
  layout->addStretch(1);
  icons_->setWidget(content);
}

void FinderItemsView::showList() {
  setCurrentWidget(list_);
  list_->clear();
  list_->setHeaderLabels({titles_.name, titles_.modified, titles_.size, titles_.kind});
  const bool grouped = !groups_.empty() && !groups_.front().header.empty();
  list_->setRootIsDecorated(false);
  for (const auto& group : groups_) {
    QTreeWidgetItem* parent = nullptr;
    if (grouped) {
      parent = new QTreeWidgetItem(list_, {qtText(group.header)});
      parent->setFont(0, bold(list_->font()));
      parent->setFlags(Qt::ItemIsEnabled);
      parent->setFirstColumnSpanned(true);
      parent->setExpanded(true);
    }
    for (const auto& item : group.items) {
      const QStringList columns{qtText(item.name), dateText(item.modified, locale_), sizeText(item, locale_),
                                qtText(item.kindName)};
      auto* row = parent ? new QTreeWidgetItem(parent, columns) : new QTreeWidgetItem(list_, columns);
      row->setIcon(0, kindIcon(item, rowIcon, devicePixelRatioF()));
      if (item.kind == ItemKind::folder) row->setData(0, nameRole, qtText(item.name));
    }
  }
  list_->expandAll();
  for (int column = 1; column < 4; ++column) list_->resizeColumnToContents(column);
}

void FinderItemsView::showColumn() {
  setCurrentWidget(column_);
  column_->clear();
  for (const auto& group : groups_) {
    if (!group.header.empty()) {
      auto* header = new QListWidgetItem(qtText(group.header), column_);
      header->setFont(bold(column_->font()));
      header->setFlags(Qt::ItemIsEnabled);
    }
    for (const auto& item : group.items) {
      auto* row = new QListWidgetItem(kindIcon(item, rowIcon, devicePixelRatioF()), qtText(item.name), column_);
      if (item.kind == ItemKind::folder) row->setData(nameRole, qtText(item.name));
    }
  }
}

void FinderItemsView::showGallery() {
  setCurrentWidget(galleryPage_);
  galleryItems_.clear();
  for (const auto& group : groups_) galleryItems_.insert(galleryItems_.end(), group.items.begin(), group.items.end());
  const QSignalBlocker quiet(gallery_);
  gallery_->clear();
  for (const auto& item : galleryItems_) {
    auto* tile = new QListWidgetItem(kindIcon(item, galleryIcon, devicePixelRatioF()), qtText(item.name), gallery_);
    if (item.kind == ItemKind::folder) tile->setData(nameRole, qtText(item.name));
  }
  gallery_->setCurrentRow(galleryItems_.empty() ? -1 : 0);
  preview(gallery_->currentRow());
}

void FinderItemsView::preview(int row) {
  const bool shown = row >= 0 && row < static_cast<int>(galleryItems_.size());
  preview_->setPixmap(shown ? kindPixmap(galleryItems_[static_cast<std::size_t>(row)], galleryPreview,
                                         devicePixelRatioF())
                            : QPixmap());
  previewName_->setText(shown ? qtText(galleryItems_[static_cast<std::size_t>(row)].name) : QString());
}

}  // namespace tidyframe
