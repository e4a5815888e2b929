#include "ui/components.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "i18n/l.h"
#include "ui/brand_artwork.h"
#include "ui/palette.h"
#include "ui/panel_services.h"
#include "ui/symbols.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

constexpr int minimumPickerWidth = 60;

QColor faded(QColor color, double alpha) {
  color.setAlphaF(static_cast<float>(alpha));
  return color;
}

QLabel* label(QWidget* parent, int pixels, QFont::Weight weight) {
  auto* text = new QLabel(parent);
  text->setFont(panelFont(*parent, pixels, weight));
  return text;
}

void setOptionalText(QLabel& label, const QString& text) {
  label.setText(text);
  label.setVisible(!text.isEmpty());
}

QString qt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QFont panelFont(const QWidget& widget, int pixels, QFont::Weight weight) {
  QFont font = widget.font();
  font.setPixelSize(pixels);
  font.setWeight(weight);
  return font;
}

void alignToLeadingEdge(QLineEdit& field) {
  const bool rightToLeft = field.layoutDirection() == Qt::RightToLeft;
  field.setAlignment(Qt::AlignVCenter | Qt::AlignAbsolute | (rightToLeft ? Qt::AlignRight : Qt::AlignLeft));
}

void placeInRowOrAbove(QWidget& button, QHBoxLayout& row, QHBoxLayout& line, bool fits) {
  QHBoxLayout& from = fits ? line : row;
  from.removeWidget(&button);
  if (fits && row.indexOf(&button) < 0) row.insertWidget(0, &button);
  if (!fits && line.indexOf(&button) < 0) line.addWidget(&button, 0, Qt::AlignLeading);
}

Switch::Switch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Switch::sizeHint() const { return {WidgetLayout::switchWidth, 20}; }

void Switch::setPending(bool pending) {
  if (pending == pending_) return;
  pending_ = pending;
  update();
}

void Switch::paintEvent(QPaintEvent*) {
  const Palette& colours = Palette::of(*this);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool on = isChecked() || pending_;
  // The focus ring takes the outer two points, so it shows on the accent track as well. Like
  // the platform's own, it shows once the keyboard moves the focus, not after a click.
  if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
    painter.setPen(QPen(colours.accent, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(track.adjusted(0.5, 0.5, -0.5, -0.5), track.height() / 2, track.height() / 2);
    track.adjust(3, 3, -3, -3);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(pending_ ? faded(colours.accent, 0.45) : on ? colours.accent : colours.offTrack);
  painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
  const double knob = track.height() - 3;
  const bool trailing = on != (layoutDirection() == Qt::RightToLeft);
  const double x = trailing ? track.right() - 1.5 - knob : track.left() + 1.5;
  painter.setBrush(Qt::white);
  painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
}

Card::Card(QWidget* parent) : QFrame(parent), content_(new QVBoxLayout(this)) {
  content_->setContentsMargins(0, 2, 0, 2);
  content_->setSpacing(0);
}

void Card::paintEvent(QPaintEvent*) {
  const Palette& colours = Palette::of(*this);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(colours.line, 0.5));
  painter.setBrush(colours.card);
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 12, 12);
}

Divider::Divider(int leadingIndent, QWidget* parent) : QWidget(parent), indent_(leadingIndent) { setFixedHeight(1); }

void Divider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
  const int start = rightToLeft ? 0 : indent_;
  const int end = rightToLeft ? width() - indent_ : width();
  painter.fillRect(QRect(start, 0, end - start, 1), Palette::of(*this).line);
}

SymbolView::SymbolView(std::string symbol, int points, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), points_(points) {
  setFixedSize(points, points);
}

void SymbolView::setSymbol(std::string symbol) {
  symbol_ = std::move(symbol);
  update();
}

void SymbolView::setColor(QColor color) {
  color_ = color;
  update();
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor color = color_.isValid() ? color_ : Palette::of(*this).text;
  painter.drawPixmap(0, 0, symbolPixmap(symbol_, color, points_, devicePixelRatioF()));
}

SectionCaption::SectionCaption(QWidget* parent)
    : QWidget(parent), title_(label(this, 13, QFont::DemiBold)), detail_(label(this, 11, QFont::Normal)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 2, 4, 0);
  column->setSpacing(1);
  column->addWidget(title_);
  column->addWidget(detail_);
  detail_->setWordWrap(true);
  detail_->setForegroundRole(QPalette::PlaceholderText);
  detail_->hide();
}

void SectionCaption::setTexts(const QString& title, const QString& detail) {
  title_->setText(title);
  setOptionalText(*detail_, detail);
}

PreferenceRow::PreferenceRow(std::string symbol, QWidget* control, QWidget* parent)
    : QWidget(parent), title_(label(this, 12, QFont::Medium)), detail_(label(this, 10, QFont::Normal)), control_(control) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(10, 6, 10, 6);
  row->setSpacing(8);
  auto* icon = new SymbolView(std::move(symbol), 15, this);
  auto* frame = new QWidget(this);
  frame->setFixedWidth(22);
  auto* centred = new QHBoxLayout(frame);
  centred->setContentsMargins(0, 0, 0, 0);
  centred->addWidget(icon, 0, Qt::AlignCenter);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(0);
  texts->addWidget(title_);
  texts->addWidget(detail_);
  detail_->setForegroundRole(QPalette::PlaceholderText);
  detail_->hide();
  row->addWidget(frame);
  row->addLayout(texts, 1);
  control_->setParent(this);
  row->addWidget(control_, 0, Qt::AlignVCenter);
}

void PreferenceRow::setTexts(const QString& title, const QString& detail) {
  title_->setText(title);
  setOptionalText(*detail_, detail);
}

IconTile::IconTile(std::string symbol, QColor color, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), color_(color) {
  setFixedSize(sizeHint());
}

void IconTile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(faded(color_, 0.09));
  painter.drawRoundedRect(QRectF(rect()), 10, 10);
  const QRect symbol(QPoint(0, 0), QSize(18, 18));
  painter.drawPixmap(symbol.translated(rect().center() - symbol.center()),
                     symbolPixmap(symbol_, color_, 18, devicePixelRatioF()));
}

ThinScroller::ThinScroller(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setFixedWidth(12);
  setAttribute(Qt::WA_TranslucentBackground);
}

void ThinScroller::paintEvent(QPaintEvent*) {
  if (maximum() <= minimum()) return;
  const double span = maximum() - minimum() + pageStep();
  const double knobHeight = std::max(20.0, height() * pageStep() / span);
  const double knobTop = (height() - knobHeight) * (value() - minimum()) / (maximum() - minimum());
  if (knobHeight <= 0) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(faded(Palette::of(*this).text, 0.32));
  painter.drawRoundedRect(QRectF(width() / 2.0 - 2.5, knobTop, 5, knobHeight), 2.5, 2.5);
}

AppScrollView::AppScrollView(QWidget* parent) : QScrollArea(parent), scroller_(new ThinScroller(this)) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab goes to the controls inside, which scroll into view as they take the focus.
  setFocusPolicy(Qt::NoFocus);
  viewport()->setAutoFillBackground(false);
  QScrollBar* inner = verticalScrollBar();
  // A scroll bar starts with a range of 0 to 99; content that always fits never changes it.
  scroller_->setRange(inner->minimum(), inner->maximum());
  connect(inner, &QScrollBar::rangeChanged, scroller_, [this](int low, int high) {
    scroller_->setRange(low, high);
    scroller_->setPageStep(verticalScrollBar()->pageStep());
  });
  connect(inner, &QScrollBar::valueChanged, scroller_, &QScrollBar::setValue);
  connect(scroller_, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
}

void AppScrollView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  placeScroller();
}

void AppScrollView::placeScroller() {
  const QRect area = viewport()->geometry();
  const int x = layoutDirection() == Qt::RightToLeft ? area.left() : area.right() - scroller_->width() + 1;
  scroller_->setGeometry(x, area.top(), scroller_->width(), area.height());
  scroller_->raise();
}

BrandMark::BrandMark(int points, QWidget* parent) : QLabel(parent) {
  setFixedSize(points, points);
  setScaledContents(true);
  setPixmap(QPixmap::fromImage(BrandArtwork::image(devicePixelRatioF() * points / 32.0)));
}

GroupPickers::GroupPickers(bool followsDefault, QWidget* parent)
    : QWidget(parent),
      followsDefault_(followsDefault),
      grouping_(new QComboBox(this)),
      sorting_(new QComboBox(this)),
      view_(new QComboBox(this)),
      groupingRow_(new PreferenceRow("square.grid.2x2", grouping_, this)),
      sortingRow_(new PreferenceRow("arrow.up.arrow.down", sorting_, this)),
      viewRow_(new PreferenceRow("list.bullet", view_, this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(groupingRow_);
  column->addWidget(new Divider(55, this));
  column->addWidget(sortingRow_);
  column->addWidget(new Divider(55, this));
  column->addWidget(viewRow_);
  // As wide as the longest choice where there is room, narrower where the row title is long:
  // the list that opens is wide enough for every choice anyway.
  for (auto* box : {grouping_, sorting_, view_}) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setMinimumWidth(minimumPickerWidth);
  }
}

void GroupPickers::setValues(Grouping grouping, Sorting sorting, std::optional<FinderViewChoice> view, const L& l) {
  const QSignalBlocker quietGrouping(grouping_);
  const QSignalBlocker quietSorting(sorting_);
  const QSignalBlocker quietView(view_);
  if (const auto language = l.resolved(); language != language_) {
    language_ = language;
    groupingRow_->setTexts(qt(l.t("分组依据")));
    sortingRow_->setTexts(qt(l.t("组内排序")));
    grouping_->setAccessibleName(qt(l.t("分组依据")));
    sorting_->setAccessibleName(qt(l.t("组内排序")));
    grouping_->clear();
    for (const auto& [value, raw] : RawCases<Grouping>::cases) grouping_->addItem(qt(title(value, l)));
    sorting_->clear();
    for (const auto& [value, raw] : RawCases<Sorting>::cases) sorting_->addItem(qt(title(value, l)));
    viewRow_->setTexts(qt(l.t(finderViewHeading)));
    view_->setAccessibleName(qt(l.t(finderViewHeading)));
    view_->clear();
    if (followsDefault_) view_->addItem(qt(l.t(finderViewAsDefault)));
    for (const auto& [value, raw] : RawCases<FinderViewChoice>::cases) view_->addItem(qt(title(value, l)));
  }
  grouping_->setCurrentIndex(static_cast<int>(grouping));
  sorting_->setCurrentIndex(static_cast<int>(sorting));
  const int offset = followsDefault_ ? 1 : 0;
  view_->setCurrentIndex(view ? static_cast<int>(*view) + offset : 0);
}

Grouping GroupPickers::grouping() const {
  return RawCases<Grouping>::cases.at(static_cast<std::size_t>(grouping_->currentIndex())).first;
}

Sorting GroupPickers::sorting() const {
  return RawCases<Sorting>::cases.at(static_cast<std::size_t>(sorting_->currentIndex())).first;
}

std::optional<FinderViewChoice> GroupPickers::view() const {
  const int index = view_->currentIndex() - (followsDefault_ ? 1 : 0);
  if (index < 0) return std::nullopt;
  return RawCases<FinderViewChoice>::cases.at(static_cast<std::size_t>(index)).first;
}

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {}

void ElidedLabel::setFullText(const QString& text, const QString& tooltip) {
  if (text != full_) updateGeometry();
  full_ = text;
  setToolTip(tooltip.isEmpty() ? text : tooltip);
  elide();
}

QSize ElidedLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  // Measured as drawn, shaping included: joined Arabic letters are wider than the advances of
  // the letters alone.
  return {fontMetrics().size(Qt::TextSingleLine, full_).width() + margins.left() + margins.right() + 2 * margin(),
          QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  elide();
}

// Eliding measures Arabic a few points wider than drawing does; a text as wide as the label
// measures itself to be fits.
void ElidedLabel::elide() {
  const int room = contentsRect().width();
  const bool fits = fontMetrics().size(Qt::TextSingleLine, full_).width() <= room;
  const QString shown = fits ? full_ : fontMetrics().elidedText(full_, mode_, room);
  if (shown != text()) setText(shown);
}

StatusPill::StatusPill(QString text, QColor color, QWidget* parent)
    : QWidget(parent), text_(std::move(text)), color_(color) {
  setFont(panelFont(*this, 11, QFont::Medium));
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize StatusPill::sizeHint() const {
  const QFontMetrics metrics(font());
  return {10 + 5 + 5 + metrics.horizontalAdvance(text_) + 10, metrics.height() + 10};
}

void StatusPill::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(faded(color_, 0.09));
  painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
  const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
  const double dotX = rightToLeft ? width() - 15 : 10;
  painter.setBrush(color_);
  painter.drawEllipse(QRectF(dotX, height() / 2.0 - 2.5, 5, 5));
  painter.setPen(color_);
  const QRect text = rect().adjusted(rightToLeft ? 10 : 20, 0, rightToLeft ? -20 : -10, 0);
  painter.drawText(text, Qt::AlignVCenter | (rightToLeft ? Qt::AlignRight : Qt::AlignLeft), text_);
}

}  // namespace tidyframe
