#include "ui/locations_view.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "base/unicode.h"
#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/grouping.h"
#include "model/rule_resolver.h"
#include "ui/palette.h"
#include "ui/symbols.h"

namespace tidyframe {

namespace {

// "List · Kind · Name": the view leads where the rule chooses one.
std::string summary(const LocationRule& rule, const L& l) {
  const std::string arrangement = title(rule.grouping, l) + " · " + title(rule.sorting, l);
  return rule.view ? title(*rule.view, l) + " · " + arrangement : arrangement;
}

QLabel* smallLabel(QWidget* parent, int pixels, QFont::Weight weight = QFont::Normal) {
  auto* label = new QLabel(parent);
  label->setFont(panelFont(*parent, pixels, weight));
  return label;
}

bool matches(std::string_view search, std::string_view name, std::string_view path) {
  return unicode::containsFolded(name, search) || unicode::containsFolded(path, search);
}

}  // namespace

LocationRow::LocationRow(QWidget* parent)
    : QWidget(parent),
      symbol_(new SymbolView("folder", 18, this)),
      name_(new ElidedLabel(Qt::ElideRight, this)),
      tag_(smallLabel(this, 10)),
      detail_(smallLabel(this, 10)),
      status_(smallLabel(this, 10)),
      switch_(new Switch(this)),
      button_(new QPushButton(this)) {
  name_->setFont(panelFont(*this, 12, QFont::Medium));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(10, 6, 10, 6);
  row->setSpacing(8);
  row->addWidget(symbol_);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(1);
  auto* title = new QHBoxLayout;
  title->setSpacing(5);
  title->addWidget(name_, 1);
  title->addWidget(tag_);
  texts->addLayout(title);
  texts->addWidget(detail_);
  texts->addWidget(status_);
  row->addLayout(texts, 1);
  row->addWidget(switch_);
  row->addWidget(button_);
  symbol_->setFixedSize(22, 22);
  // The lines under the name wrap: beside a switch and a button a translation seldom fits.
  detail_->setWordWrap(true);
  status_->setWordWrap(true);
  detail_->setForegroundRole(QPalette::PlaceholderText);
  status_->setForegroundRole(QPalette::PlaceholderText);
  tag_->setForegroundRole(QPalette::PlaceholderText);
  button_->setFont(panelFont(*this, 11));
  setContextMenuPolicy(Qt::CustomContextMenu);
}

LocationsView::LocationsView(AppModel& model, PanelServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      services_(services),
      search_(new QLineEdit(this)),
      add_(new QToolButton(this)),
      addMenu_(new QMenu(this)),
      addFolder_(addMenu_->addAction(QString())),
      excludeFolder_(addMenu_->addAction(QString())),
      refresh_(new QToolButton(this)),
      empty_(smallLabel(this, 12)),
      rowsColumn_(new QVBoxLayout) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(14, 2, 14, 4);
  column->setSpacing(8);
  auto* tools = new QHBoxLayout;
  tools->setSpacing(4);
  tools->addWidget(search_, 1);
  tools->addWidget(add_);
  tools->addWidget(refresh_);
  column->addLayout(tools);
  column->addWidget(empty_);
  auto* scroll = new AppScrollView(this);
  auto* list = new QWidget(scroll);
  list->setLayout(rowsColumn_);
  rowsColumn_->setContentsMargins(0, 0, 0, 0);
  rowsColumn_->setSpacing(6);
  rowsColumn_->addStretch(1);
  scroll->setWidget(list);
  column->addWidget(scroll, 1);
  empty_->setForegroundRole(QPalette::PlaceholderText);
  add_->setMenu(addMenu_);
  add_->setPopupMode(QToolButton::InstantPopup);
  add_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  refresh_->setAutoRaise(true);
  search_->setClearButtonEnabled(true);
  connect(search_, &QLineEdit::textChanged, this, [this] {
    if (l_) refresh(*l_);
  });
  connect(addFolder_, &QAction::triggered, this, [this] { model_.chooseFolder(false); });
  connect(excludeFolder_, &QAction::triggered, this, [this] { model_.chooseFolder(true); });
  connect(refresh_, &QToolButton::clicked, this, [this] { model_.refreshEnvironment(true); });
}

std::vector<LocationsView::Entry> LocationsView::entries() const {
  const std::string search = search_->text().toStdString();
  const auto& rules = model_.preferences()->rules;
  std::vector<Entry> shown;
  for (const auto& rule : rules) {
    if (matches(search, rule.name, rule.path)) shown.push_back({rule, std::nullopt});
  }
  for (const auto& volume : model_.volumes().get()) {
    const bool covered = std::ranges::any_of(rules, [&volume](const LocationRule& rule) {
      return RuleResolver::matchesDevice(rule, volume.uuid, volume.path);
    });
    if (!covered && matches(search, volume.name, volume.path)) shown.push_back({std::nullopt, volume});
  }
  return shown;
}

void LocationsView::refresh(const L& l) {
  l_ = &l;
  const Palette& colours = Palette::of(*this);
  search_->setPlaceholderText(qtText(l.t("查找位置")));
  search_->setAccessibleName(search_->placeholderText());
  if (search_->actions().isEmpty()) search_->addAction(QIcon(), QLineEdit::LeadingPosition);
  search_->actions().front()->setIcon(symbolIcon("magnifyingglass", colours.secondary, 14, devicePixelRatioF()));
  add_->setText(qtText(l.t("添加")));
  add_->setIcon(symbolIcon("plus", colours.text, 14, devicePixelRatioF()));
  addFolder_->setText(qtText(l.t("添加文件夹")));
  excludeFolder_->setText(qtText(l.t("排除文件夹")));
  addMenu_->setLayoutDirection(layoutDirection());
  addMenu_->setPalette(colours.qtPalette());
  refresh_->setIcon(symbolIcon("arrow.clockwise", colours.text, 15, devicePixelRatioF()));
  refresh_->setToolTip(qtText(l.t("刷新设备")));
  refresh_->setAccessibleName(refresh_->toolTip());
  const std::vector<Entry> shown = entries();
  empty_->setVisible(shown.empty());
  empty_->setText(qtText(l.t(search_->text().isEmpty() ? "尚未添加规则" : "没有匹配的位置")));
  rebuildRows(shown);
  for (std::size_t index = 0; index < shown.size(); ++index) {
    LocationRow& row = *rows_[index];
    row.rule = shown[index].rule;
    row.volume = shown[index].volume;
    if (row.rule) {
      showRule(row, l);
    } else {
      showVolume(row, l);
    }
  }
}

// Rows are replaced only when the list itself changes, so a row whose switch is being clicked
// is never deleted under it.
void LocationsView::rebuildRows(const std::vector<Entry>& shown) {
  std::vector<std::string> keys;
  for (const auto& entry : shown) keys.push_back(entry.key());
  if (keys == keys_) return;
  keys_ = std::move(keys);
  for (LocationRow* row : rows_) delete row;
  rows_.clear();
  for (std::size_t index = 0; index < shown.size(); ++index) {
    rows_.push_back(makeRow());
    rowsColumn_->insertWidget(static_cast<int>(index), rows_.back());
  }
}

LocationRow* LocationsView::makeRow() {
  auto* row = new LocationRow(rowsColumn_->parentWidget());
  connect(&row->enabledSwitch(), &Switch::clicked, this, [this, row](bool on) {
    if (row->rule) setEnabled(row->rule->id, on);
  });
  connect(&row->button(), &QPushButton::clicked, this, [this, row] {
    if (row->rule) {
      model_.setRuleEditor(*row->rule);
    } else if (row->volume) {
      model_.editDevice(*row->volume);
    }
  });
  connect(row, &QWidget::customContextMenuRequested, this, [this, row](const QPoint& at) {
    if (!l_) return;
    QMenu menu(row);
    menu.setLayoutDirection(layoutDirection());
    menu.setPalette(Palette::of(*this).qtPalette());
    QAction* open = menu.addAction(qtText(l_->t("在 Finder 中打开")));
    if (menu.exec(row->mapToGlobal(at)) == open) openInFinder(*row);
  });
  return row;
}

std::string LocationsView::locationPath(const LocationRule& rule) const {
  if (rule.scope != RuleScope::device) return rule.path;
  for (const auto& volume : model_.volumes().get()) {
    if (RuleResolver::matchesDevice(rule, volume.uuid, volume.path)) return volume.path;
  }
  return rule.path;
}

void LocationsView::showRule(LocationRow& row, const L& l) {
  const LocationRule& rule = *row.rule;
  const bool device = rule.scope == RuleScope::device;
  row.symbol().setSymbol(device ? "externaldrive" : rule.excluded ? "folder.badge.minus" : "folder");
  row.name().setFullText(userText(rule.name, l.direction() == LayoutDirection::rightToLeft));
  row.tag().hide();
  row.detail().setText(qtText(rule.excluded ? l.t("保持原有设置") : summary(rule, l)));
  row.status().hide();
  row.setToolTip(qtText(readablePath(locationPath(rule), services_.home)));
  row.enabledSwitch().show();
  row.enabledSwitch().setChecked(rule.enabled);
  row.enabledSwitch().setAccessibleName(qtText(l.f("启用 %@", rule.name)));
  row.button().setText(qtText(l.t("编辑规则")));
  row.button().setAccessibleName(qtText(l.f("编辑规则 %@", rule.name)));
}

void LocationsView::showVolume(LocationRow& row, const L& l) {
  const MountedVolume& volume = *row.volume;
  row.symbol().setSymbol(std::string(volume.symbol()));
  row.name().setFullText(userText(volume.name, l.direction() == LayoutDirection::rightToLeft));
  row.tag().setVisible(volume.readOnly);
  row.tag().setText(qtText(l.t("只读")));
  row.detail().setText(
      qtText(l.f("%@ · 可用 %@", formattedBytes(volume.total, l), formattedBytes(volume.available, l))));
  row.status().show();
  row.status().setText(qtText(l.t(model_.preferences()->externalEnabled ? "继承全局默认" : "保持原有设置")));
  row.setToolTip(qtText(readablePath(volume.path, services_.home)));
  row.enabledSwitch().hide();
  row.button().setText(qtText(l.t("自定义规则")));
  row.button().setAccessibleName(qtText(l.f("自定义规则 %@", volume.name)));
}

void LocationsView::setEnabled(const std::string& id, bool on) {
  Preferences preferences = model_.preferences().get();
  const auto rule = std::ranges::find(preferences.rules, id, &LocationRule::id);
  if (rule == preferences.rules.end()) return;
  rule->enabled = on;
  model_.setPreferences(std::move(preferences));
}

void LocationsView::openInFinder(const LocationRow& row) {
  model_.openLocation(row.rule ? locationPath(*row.rule) : row.volume->path);
}

}  // namespace tidyframe
