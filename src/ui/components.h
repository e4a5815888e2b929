#pragma once

#include <optional>
#include <string>

#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include "model/finder_view_choice.h"
#include "model/grouping.h"

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;

namespace tidyframe {

class L;

// A font of `pixels` logical pixels (the panel's points) in `weight`.
QFont panelFont(const QWidget& widget, int pixels, QFont::Weight weight = QFont::Normal);

// Aligns a field's text with the panel's leading edge, whatever direction the text itself has:
// a Latin name in a right-to-left panel starts at the right like everything around it.
void alignToLeadingEdge(QLineEdit& field);

// Puts `button` first in `row` when it fits there, else alone at the leading end of `line`
// (a line laid out just above the row).
void placeInRowOrAbove(QWidget& button, QHBoxLayout& row, QHBoxLayout& line, bool fits);

// An on/off switch, `WidgetLayout::switchWidth` wide, in the accent colour when on.
class Switch final : public QAbstractButton {
 public:
  explicit Switch(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  // Turned on but not on yet (a check runs first): the knob stands on the on side of a pale
  // track.
  void setPending(bool pending);
  bool isPending() const { return pending_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool pending_ = false;
};

// Content on a rounded rectangle of the palette's card fill, outlined by its line colour.
class Card final : public QFrame {
 public:
  explicit Card(QWidget* parent = nullptr);
  QVBoxLayout& content() { return *content_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QVBoxLayout* content_;
};

// A thin rule between rows, starting `leadingIndent` points from the leading edge.
class Divider final : public QWidget {
 public:
  explicit Divider(int leadingIndent, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int indent_;
};

// A system symbol in the palette's text colour (or a colour of its own), repainted in the
// appearance the widget is shown in.
class SymbolView final : public QWidget {
 public:
  SymbolView(std::string symbol, int points, QWidget* parent = nullptr);
  void setSymbol(std::string symbol);
  const std::string& symbol() const { return symbol_; }
  void setColor(QColor color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string symbol_;
  int points_;
  QColor color_;
};

// A title with an optional smaller detail below it.
class SectionCaption final : public QWidget {
 public:
  explicit SectionCaption(QWidget* parent = nullptr);
  void setTexts(const QString& title, const QString& detail = {});

 private:
  QLabel* title_;
  QLabel* detail_;
};

// A settings row: symbol, title with optional detail, and a control at the trailing edge.
class PreferenceRow final : public QWidget {
 public:
  PreferenceRow(std::string symbol, QWidget* control, QWidget* parent = nullptr);
  void setTexts(const QString& title, const QString& detail = {});
  QWidget& control() { return *control_; }

 private:
  QLabel* title_;
  QLabel* detail_;
  QWidget* control_;
};

// A symbol on a rounded tile of its own colour.
class IconTile final : public QWidget {
 public:
  IconTile(std::string symbol, QColor color, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {36, 36}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string symbol_;
  QColor color_;
};

// A scroller that draws only a 5-point rounded knob over the content, no track.
class ThinScroller final : public QScrollBar {
 public:
  explicit ThinScroller(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A vertical scroll view whose thin scroller floats over the content's trailing edge.
class AppScrollView final : public QScrollArea {
 public:
  explicit AppScrollView(QWidget* parent = nullptr);
  ThinScroller& scroller() { return *scroller_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void placeScroller();
  ThinScroller* scroller_;
};

// The brand image at `points` by `points`.
class BrandMark final : public QLabel {
 public:
  explicit BrandMark(int points, QWidget* parent = nullptr);
};

// The pickers of a grouping and a sorting, each in its own row. Emits nothing itself: the
// owner connects to the combo boxes and reads the chosen values.
class GroupPickers final : public QWidget {
 public:
  // `followsDefault`: the view list opens with "As the default", a rule's choice of none.
  explicit GroupPickers(bool followsDefault, QWidget* parent = nullptr);
  // Shows `grouping`, `sorting` and `view` (none: as the default) with every choice titled in
  // the lookup's language.
  void setValues(Grouping grouping, Sorting sorting, std::optional<FinderViewChoice> view, const L& l);
  Grouping grouping() const;
  Sorting sorting() const;
  // Nothing for "As the default".
  std::optional<FinderViewChoice> view() const;
  QComboBox& groupingBox() { return *grouping_; }
  QComboBox& sortingBox() { return *sorting_; }
  QComboBox& viewBox() { return *view_; }

 private:
  bool followsDefault_;
  QComboBox* grouping_;
  QComboBox* sorting_;
  QComboBox* view_;
  PreferenceRow* groupingRow_;
  PreferenceRow* sortingRow_;
  PreferenceRow* viewRow_;
  // The language the choices are titled in; they are rebuilt only when it changes, so a
  // refresh never closes an open list.
  std::string language_;
};

// One line of a text that may be longer than the room it gets: shown elided (a path or a name
// in the middle, so its start and its end stay readable), whole in the tooltip. It asks for
// its whole text's width but makes do with none, so a long text never widens the panel.
class ElidedLabel final : public QLabel {
 public:
  explicit ElidedLabel(Qt::TextElideMode mode = Qt::ElideMiddle, QWidget* parent = nullptr);
  // `tooltip` is what the tooltip shows, the whole text when empty.
  void setFullText(const QString& text, const QString& tooltip = {});
  const QString& fullText() const { return full_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void elide();
  Qt::TextElideMode mode_;
  QString full_;
};

// A coloured dot and text on a faint capsule of the same colour.
class StatusPill final : public QWidget {
 public:
  StatusPill(QString text, QColor color, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QColor color_;
};

}  // namespace tidyframe
