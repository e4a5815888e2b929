#include "ui/rule_editor_view.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QShortcut>
#include <QVBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "i18n/context_keys.h"
#include "model/mounted_volume.h"
#include "platform/alerts.h"
#include "ui/palette.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

QLabel* wrappedLabel(QWidget* parent, int pixels, QFont::Weight weight = QFont::Normal) {
  auto* label = new QLabel(parent);
  label->setFont(panelFont(*parent, pixels, weight));
  label->setWordWrap(true);
  return label;
}

}  // namespace

RuleEditorView::RuleEditorView(AppModel& model, PanelServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      services_(services),
      folderTile_(new IconTile("folder", Palette::of(*this).accent, this)),
      deviceTile_(new IconTile("externaldrive", Palette::of(*this).accent, this)),
      title_(wrappedLabel(this, 15, QFont::DemiBold)),
      path_(new ElidedLabel(Qt::ElideMiddle, this)),
      nameCaption_(wrappedLabel(this, 11)),
      name_(new QLineEdit(this)),
      mode_(new QComboBox),
      modeRow_(new PreferenceRow("slider.horizontal.3", new QWidget, this)),
      pickerCard_(new Card(this)),
      pickers_(new GroupPickers(true, pickerCard_)),
      children_(new QWidget(this)),
      childrenTitle_(wrappedLabel(children_, 12)),
      childrenSwitch_(new Switch(children_)),
      childrenNote_(wrappedLabel(this, 10)),
      link_(new QWidget(this)),
      linkText_(wrappedLabel(link_, 10)),
      delete_(new QPushButton(this)),
      cancel_(new QPushButton(this)),
      save_(new QPushButton(this)),
      deleteLine_(new QHBoxLayout),
      buttonRow_(new QHBoxLayout) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(16, 14, 16, 12);
  column->setSpacing(9);
  auto* header = new QHBoxLayout;
  header->setSpacing(10);
  header->addWidget(folderTile_, 0, Qt::AlignTop);
  header->addWidget(deviceTile_, 0, Qt::AlignTop);
  auto* heading = new QVBoxLayout;
  heading->setSpacing(2);
  heading->addWidget(title_);
  heading->addWidget(path_);
  header->addLayout(heading, 1);
  column->addLayout(header);
  column->addWidget(nameCaption_);
  column->addWidget(name_);
  auto* modeCard = new Card(this);
  modeCard->content().addWidget(modeRow_);
  // Under its title rather than beside it: the custom-rule choice is long in several languages.
  // Inset from the card's outline, in line with the row's title.
  auto* modeInset = new QHBoxLayout;
  modeInset->setContentsMargins(40, 0, 10, 8);
  modeInset->addWidget(mode_);
  modeCard->content().addLayout(modeInset);
  column->addWidget(modeCard);
  pickerCard_->content().addWidget(pickers_);
  column->addWidget(pickerCard_);
  auto* childrenRow = new QHBoxLayout(children_);
  childrenRow->setContentsMargins(0, 0, 0, 0);
  childrenRow->addWidget(childrenTitle_, 1);
  childrenRow->addWidget(childrenSwitch_);
  column->addWidget(children_);
  column->addWidget(childrenNote_);
  auto* linkRow = new QHBoxLayout(link_);
  linkRow->setContentsMargins(0, 0, 0, 0);
  linkRow->addWidget(new SymbolView("link", 12, link_), 0, Qt::AlignTop);
  linkRow->addWidget(linkText_, 1);
  column->addWidget(link_);
  column->addWidget(new Divider(0, this));
  column->addLayout(deleteLine_);
  buttonRow_->addStretch(1);
  buttonRow_->addWidget(cancel_);
  buttonRow_->addWidget(save_);
  column->addLayout(buttonRow_);
  column->addStretch(1);
  path_->setFont(panelFont(*this, 11));
  path_->setForegroundRole(QPalette::PlaceholderText);
  childrenNote_->setForegroundRole(QPalette::PlaceholderText);
  linkText_->setForegroundRole(QPalette::PlaceholderText);
  delete_->setFlat(true);
  save_->setDefault(true);
  mode_->addItems({QString(), QString()});
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) { rule_.name = text.toStdString(); });
  connect(mode_, &QComboBox::activated, this, [this](int index) {
    rule_.excluded = index == 1;
    if (l_) refresh(*l_);
  });
  connect(&pickers_->groupingBox(), &QComboBox::activated, this, [this] { rule_.grouping = pickers_->grouping(); });
  connect(&pickers_->sortingBox(), &QComboBox::activated, this, [this] { rule_.sorting = pickers_->sorting(); });
  connect(&pickers_->viewBox(), &QComboBox::activated, this, [this] { rule_.view = pickers_->view(); });
  connect(childrenSwitch_, &Switch::clicked, this, [this](bool on) { rule_.includeChildren = on; });
  connect(delete_, &QPushButton::clicked, this, [this] { remove(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { close(); });
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
  connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, [this] { close(); });
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { save(); });
  }
}

bool RuleEditorView::exists() const {
  const auto& rules = model_.preferences()->rules;
  return std::ranges::any_of(rules, [this](const LocationRule& rule) { return rule.id == rule_.id; });
}

void RuleEditorView::edit(const LocationRule& rule, const L& l) {
  rule_ = rule;
  name_->setText(QString::fromStdString(rule_.name));
  refresh(l);
}

void RuleEditorView::refresh(const L& l) {
  l_ = &l;
  const bool device = rule_.scope == RuleScope::device;
  folderTile_->setVisible(!device);
  deviceTile_->setVisible(device);
  title_->setText(qtText(l.t(exists() ? "编辑规则" : "添加专属规则")));
  path_->setFullText(userText(readablePath(rule_.path, services_.home), l.direction() == LayoutDirection::rightToLeft));
  nameCaption_->setText(qtText(l.t("位置名称")));
  name_->setPlaceholderText(qtText(l.t("规则名称")));
  alignToLeadingEdge(*name_);
  name_->setAccessibleName(nameCaption_->text());
  modeRow_->setTexts(qtText(l.t("显示方式")));
  mode_->setAccessibleName(qtText(l.t("显示方式")));
  mode_->setItemText(0, qtText(l.t(arrangementCustomRuleChoice)));
  mode_->setItemText(1, qtText(l.t("保持 Finder 原有设置")));
  mode_->setCurrentIndex(rule_.excluded ? 1 : 0);
  pickerCard_->setVisible(!rule_.excluded);
  pickers_->setValues(rule_.grouping, rule_.sorting, rule_.view, l);
  children_->setVisible(!device);
  childrenNote_->setVisible(!device);
  childrenTitle_->setText(qtText(l.t("同时应用到子文件夹")));
  childrenSwitch_->setAccessibleName(childrenTitle_->text());
  childrenSwitch_->setChecked(rule_.includeChildren);
  childrenNote_->setText(qtText(l.t("更深层的文件夹有自己的规则时，优先使用它的设置。")));
  link_->setVisible(device);
  linkText_->setText(qtText(l.t(rule_.volumeID ? "按磁盘标识记忆，设备更名和重新连接后仍可匹配。"
                                                : "未获得磁盘标识，将按挂载路径记忆。")));
  delete_->setVisible(exists());
  delete_->setText(qtText(l.t("删除规则")));
  QPalette destructive = delete_->palette();
  destructive.setColor(QPalette::ButtonText, QColor(0xd7, 0x37, 0x2f));
  delete_->setPalette(destructive);
  cancel_->setText(qtText(l.t("取消")));
  save_->setText(qtText(l.t("保存规则")));
  placeDeleteButton();
}

// Beside the other two where all three fit the panel's width, on a line of its own above them
// where the language's words are too long.
void RuleEditorView::placeDeleteButton() {
  constexpr int leastGap = 12;
  const QMargins margins = layout()->contentsMargins();
  const int available = WidgetLayout::width - margins.left() - margins.right();
  const int needed = delete_->sizeHint().width() + cancel_->sizeHint().width() + save_->sizeHint().width() +
                     2 * buttonRow_->spacing() + leastGap;
  placeInRowOrAbove(*delete_, *buttonRow_, *deleteLine_, needed <= available);
}

void RuleEditorView::save() {
  model_.saveRule(rule_);
  close();
}

void RuleEditorView::remove() {
  if (!l_ || !exists()) return;
  const AlertRequest request{l_->t("删除这条专属规则？"), l_->t("此位置将恢复继承全局或设备规则。文件内容不受影响。"),
                             {AlertButton::destructive(l_->t("删除规则")), AlertButton::cancel(l_->t("取消"))}};
  if (services_.alerts.runModal(request) != Alerts::firstButton) return;
  model_.deleteRule(rule_.id);
  close();
}

void RuleEditorView::close() { model_.setRuleEditor(std::nullopt); }

}  // namespace tidyframe
