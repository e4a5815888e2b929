#include "ui/activity_view.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QPointer>
#include <QScrollBar>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/mounted_volume.h"
#include "ui/palette.h"

namespace tidyframe {

namespace {

QLabel* smallLabel(QWidget* parent, int pixels) {
  auto* label = new QLabel(parent);
  label->setFont(panelFont(*parent, pixels));
  return label;
}

}  // namespace

ActivityRow::ActivityRow(QWidget* parent)
    : QWidget(parent),
      symbol_(new SymbolView("checkmark.circle", 16, this)),
      title_(new ElidedLabel(Qt::ElideRight, this)),
      detail_(new ElidedLabel(Qt::ElideRight, this)),
      folder_(new ElidedLabel(Qt::ElideMiddle, this)),
      time_(smallLabel(this, 10)),
      undo_(new QPushButton(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 6, 6, 6);
  row->setSpacing(8);
  row->addWidget(symbol_, 0, Qt::AlignTop);
  // The title shares its line only with the time; the undo button sits beside the lines below.
  auto* column = new QVBoxLayout;
  column->setSpacing(1);
  auto* heading = new QHBoxLayout;
  heading->setSpacing(6);
  heading->addWidget(title_, 1);
  heading->addWidget(time_);
  column->addLayout(heading);
  auto* body = new QHBoxLayout;
  body->setSpacing(6);
  auto* lines = new QVBoxLayout;
  lines->setSpacing(1);
  lines->addWidget(detail_);
  lines->addWidget(folder_);
  body->addLayout(lines, 1);
  body->addWidget(undo_, 0, Qt::AlignTop);
  column->addLayout(body);
  row->addLayout(column, 1);
  title_->setFont(panelFont(*this, 12, QFont::Medium));
  for (QLabel* line : {static_cast<QLabel*>(detail_), static_cast<QLabel*>(folder_), time_}) {
    line->setFont(panelFont(*this, 10));
    line->setForegroundRole(QPalette::PlaceholderText);
  }
  undo_->setFont(panelFont(*this, 11));
}

ActivityView::ActivityView(AppModel& model, PanelServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      services_(services),
      export_(new QPushButton(this)),
      empty_(smallLabel(this, 12)),
      scroll_(new AppScrollView(this)),
      rowsColumn_(new QVBoxLayout) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(14, 2, 14, 4);
  column->setSpacing(8);
  column->addWidget(export_, 0, Qt::AlignTrailing);
  column->addWidget(empty_);
  auto* list = new QWidget(scroll_);
  list->setLayout(rowsColumn_);
  rowsColumn_->setContentsMargins(0, 0, 0, 0);
  rowsColumn_->setSpacing(2);
  rowsColumn_->addStretch(1);
  scroll_->setWidget(list);
  column->addWidget(scroll_, 1);
  export_->setFont(panelFont(*this, 11));
  empty_->setForegroundRole(QPalette::PlaceholderText);
  connect(export_, &QPushButton::clicked, this, [this] { model_.exportActivity(); });
  connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { buildMoreIfScrolledToEnd(); });
}

void ActivityView::refresh(const L& l) {
  l_ = &l;
  export_->setText(qtText(l.t("导出运行记录…")));
  const auto& entries = model_.activities().get();
  empty_->setVisible(entries.empty());
  empty_->setText(qtText(l.t("暂无运行记录")));
  const std::size_t shown = std::min(entries.size(), wanted_);
  while (rows_.size() > shown) {
    delete rows_.back();
    rows_.pop_back();
  }
  while (rows_.size() < shown) {
    auto* row = new ActivityRow(rowsColumn_->parentWidget());
    // A copy: undoing re-renders the page, which refills the row while the engine reads it.
    connect(&row->undoButton(), &QPushButton::clicked, this, [this, row] {
      const ActivityEntry entry = row->entry;
      model_.undo(entry);
    });
    rowsColumn_->insertWidget(static_cast<int>(rows_.size()), row);
    rows_.push_back(row);
  }
  for (std::size_t index = 0; index < shown; ++index) {
    rows_[index]->entry = entries[index];
    showRow(*rows_[index], l);
  }
}

void ActivityView::showRow(ActivityRow& row, const L& l) const {
  const ActivityEntry& entry = row.entry;
  const Palette& colours = Palette::of(*this);
  const bool rightToLeft = l.direction() == LayoutDirection::rightToLeft;
  row.symbol().setSymbol(entry.success ? "checkmark.circle" : "exclamationmark.triangle");
  row.symbol().setColor(entry.success ? colours.secondary : colours.warning);
  row.symbol().setAccessibleName(qtText(entry.success ? l.t("已完成") : l.t("未完成")));
  // Entries keep the language they were written in: their texts are shown as stored.
  row.title().setFullText(userText(entry.title, rightToLeft));
  row.detail().setFullText(userText(entry.detail, rightToLeft));
  row.detail().setVisible(!entry.detail.empty());
  const std::string folder = entry.path ? readablePath(*entry.path, services_.home) : std::string();
  row.folder().setFullText(userText(folder, rightToLeft), qtText(folder));
  row.folder().setVisible(entry.path.has_value());
  row.undoButton().setVisible(model_.canUndo(entry));
  row.undoButton().setEnabled(!model_.busy().get());
  row.undoButton().setText(qtText(l.t("撤销")));
  showTime(row, l);
}

// The undo button's name tells the entry apart from its neighbours, the time included.
void ActivityView::showTime(ActivityRow& row, const L& l) const {
  const ActivityEntry& entry = row.entry;
  const std::string ago = l.relativeTime(services_.dispatch.now() - entry.date);
  row.time().setText(qtText(ago));
  const std::string where = entry.path ? lastPathComponent(*entry.path) : std::string();
  row.undoButton().setAccessibleName(qtText(l.f("撤销 %@", entry.title + " · " + where + " · " + ago)));
}

void ActivityView::showTimes() {
  if (!l_) return;
  for (ActivityRow* row : rows_) showTime(*row, *l_);
}

void ActivityView::buildMoreIfScrolledToEnd() {
  const QScrollBar& bar = *scroll_->verticalScrollBar();
  if (bar.value() < bar.maximum() || rows_.size() < wanted_ || !l_) return;
  wanted_ += batch;
  refresh(*l_);
}

void ActivityView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QPointer<ActivityView> weak(this);
  clock_ = services_.dispatch.scheduleRepeating(services_.dispatch.main(), timeRefreshInterval, 1, [weak] {
    if (weak) weak->showTimes();
  });
}

void ActivityView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  clock_.reset();
  wanted_ = batch;
}

}  // namespace tidyframe
