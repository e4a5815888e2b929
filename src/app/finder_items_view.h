#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QLocale>
#include <QStackedWidget>

#include "sim/finder_items.h"

class QLabel;
class QListWidget;
class QScrollArea;
class QTreeWidget;

namespace tidyframe {

// The titles of the list view's columns, in the interface language.
struct ItemColumnTitles {
  QString name, modified, size, kind;
};

// The items of a Finder window's folder as its view shows them: in icon view a grid of kind
// icons with the name under each, in list view rows with name, date modified, size and kind, in
// column view the folder's column, in gallery view a strip; groups under their headers. Only
// displays: a double-click on a folder asks `open` for it by name. Main thread.
class FinderItemsView final : public QStackedWidget {
 public:
  FinderItemsView(std::function<void(const std::string&)> open, QWidget* parent);

  // `locale` writes dates and sizes.
  void display(FinderView view, std::vector<FinderItemGroup> groups, const QLocale& locale,
               const ItemColumnTitles& titles);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showIcons();
  void showList();
  void showColumn();
  void showGallery();
  void preview(int row);
  int iconColumns() const;

  std::function<void(const std::string&)> open_;
  FinderView view_ = FinderView::icon;
  std::vector<FinderItemGroup> groups_;
  QLocale locale_;
  ItemColumnTitles titles_;
  int shownColumns_ = 0;
  QScrollArea* icons_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QListWidget* column_ = nullptr;
  QWidget* galleryPage_ = nullptr;
  QLabel* preview_ = nullptr;
  QLabel* previewName_ = nullptr;
  QListWidget* gallery_ = nullptr;
  std::vector<FinderItem> galleryItems_;
};

}  // namespace tidyframe
