#include "ui/setup_view.h"

#include <QHBoxLayout>
#include <QShortcut>
#include <QVBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "ui/palette.h"
#include "ui/panel_services.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

QLabel* label(QWidget* parent, int pixels, QFont::Weight weight = QFont::Normal) {
  auto* text = new QLabel(parent);
  text->setFont(panelFont(*parent, pixels, weight));
  text->setWordWrap(true);
  return text;
}

}  // namespace

SetupView::SetupView(AppModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      card_(new Card(this)),
      title_(label(this, 14, QFont::DemiBold)),
      instruction_(label(this, 11)),
      message_(label(this, 11, QFont::Medium)),
      accessibilitySymbol_(new SymbolView("1.circle", 16, this)),
      accessibilityTitle_(label(this, 12, QFont::Medium)),
      accessibilityButton_(new QPushButton(this)),
      automationSymbol_(new SymbolView("2.circle", 16, this)),
      automationTitle_(label(this, 12, QFont::Medium)),
      automationButton_(new QPushButton(this)),
      refresh_(new QPushButton(this)),
      later_(new QPushButton(this)),
      start_(new QPushButton(this)),
      refreshLine_(new QHBoxLayout),
      buttonRow_(new QHBoxLayout) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(12, 12, 12, 12);
  outer->addWidget(card_);
  outer->addStretch(1);
  QVBoxLayout& column = card_->content();
  column.setContentsMargins(12, 12, 12, 12);
  column.setSpacing(9);
  auto* heading = new QHBoxLayout;
  heading->addWidget(new SymbolView("lock.shield", 18, this), 0, Qt::AlignTop);
  heading->addWidget(title_, 1);
  column.addLayout(heading);
  column.addWidget(instruction_);
  column.addWidget(message_);
  column.addWidget(stepRow(accessibilitySymbol_, accessibilityTitle_, accessibilityButton_));
  column.addWidget(new Divider(0, this));
  column.addWidget(stepRow(automationSymbol_, automationTitle_, automationButton_));
  column.addLayout(refreshLine_);
  buttonRow_->addStretch(1);
  buttonRow_->addWidget(later_);
  buttonRow_->addWidget(start_);
  column.addLayout(buttonRow_);
  instruction_->setForegroundRole(QPalette::PlaceholderText);
  refresh_->setFlat(true);
  for (QPushButton* button : {accessibilityButton_, automationButton_, refresh_, later_, start_}) {
    button->setFont(panelFont(*this, 11));
  }
  start_->setDefault(true);
  connect(accessibilityButton_, &QPushButton::clicked, this, [this] { model_.openAccessibility(); });
  connect(automationButton_, &QPushButton::clicked, this, [this] { model_.openAutomation(); });
  connect(refresh_, &QPushButton::clicked, this, [this] { model_.refreshEnvironment(true); });
  connect(later_, &QPushButton::clicked, this, [this] { model_.setShowSetup(false); });
  connect(start_, &QPushButton::clicked, this, [this] { start(); });
  connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, [this] { model_.setShowSetup(false); });
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { start(); });
  }
}

QWidget* SetupView::stepRow(SymbolView* symbol, QLabel* title, QPushButton* button) {
  auto* row = new QWidget(this);
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  symbol->setParent(row);
  title->setParent(row);
  button->setParent(row);
  line->addWidget(symbol, 0, Qt::AlignTop);
  // The button goes under the step's name: "打开系统设置" is long in most languages.
  auto* texts = new QVBoxLayout;
  texts->addWidget(title);
  texts->addWidget(button, 0, Qt::AlignLeading);
  line->addLayout(texts, 1);
  return row;
}

// The shortcut answers even while the button is disabled, so it asks the same question.
void SetupView::start() {
  if (!model_.busy().get()) model_.start();
}

void SetupView::refresh(const L& l) {
  const Palette& colours = Palette::of(*this);
  title_->setText(qtText(l.t("允许 Tidyframe 整理 Finder 窗口")));
  instruction_->setText(qtText(
      l.t("在“辅助功能”中添加此应用并开启开关。回到这里后点击“检查并开启”，系统可能会弹出两次自动化授权。请逐项允许。")));
  const auto& message = model_.message().get();
  message_->setVisible(message.has_value());
  QPalette warning = message_->palette();
  warning.setColor(QPalette::WindowText, colours.warning);
  message_->setPalette(warning);
  message_->setText(qtText(message.value_or("")));
  const bool accessibility = model_.accessibilityGranted().get();
  const bool automation = model_.automationGranted().get();
  accessibilitySymbol_->setSymbol(accessibility ? "checkmark.circle" : "1.circle");
  automationSymbol_->setSymbol(automation ? "checkmark.circle" : "2.circle");
  accessibilitySymbol_->setAccessibleName(qtText(accessibility ? l.t("已允许") : l.t("未允许")));
  automationSymbol_->setAccessibleName(qtText(automation ? l.t("已允许") : l.t("未允许")));
  accessibilityTitle_->setText(qtText(l.t("辅助功能")));
  automationTitle_->setText(qtText(l.t("自动化")));
  accessibilityButton_->setVisible(!accessibility);
  automationButton_->setVisible(!automation);
  accessibilityButton_->setText(qtText(l.t("打开系统设置")));
  automationButton_->setText(qtText(l.t("查看权限")));
  refresh_->setText(qtText(l.t("刷新状态")));
  later_->setText(qtText(l.t("稍后")));
  start_->setText(qtText(l.t("检查并开启")));
  start_->setEnabled(!model_.busy().get());
  placeRefreshButton();
}

// At the leading end of the row of buttons where the three fit, on a line of its own just above
// them where the words are too long; either way its text keeps the same small inset from the
// card's edge, which a borderless button padded to the style's least width would not.
void SetupView::placeRefreshButton() {
  constexpr int padding = 8;
  constexpr int leastGap = 12;
  refresh_->setFixedWidth(refresh_->fontMetrics().horizontalAdvance(refresh_->text()) + 2 * padding);
  const QMargins card = card_->content().contentsMargins();
  const QMargins outer = layout()->contentsMargins();
  const int available = WidgetLayout::width - outer.left() - outer.right() - card.left() - card.right();
  const int needed = refresh_->width() + later_->sizeHint().width() + start_->sizeHint().width() +
                     2 * buttonRow_->spacing() + leastGap;
  placeInRowOrAbove(*refresh_, *buttonRow_, *refreshLine_, needed <= available);
}

}  // namespace tidyframe
