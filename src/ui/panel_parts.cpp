#include "ui/panel_parts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "i18n/translatable.h"
#include "ui/palette.h"
#include "update/running_version.h"
#include "ui/symbols.h"
#include "ui/widget_layout.h"

namespace tidyframe {

namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QToolButton* plainButton(QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setAutoRaise(true);
  button->setCursor(Qt::PointingHandCursor);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

void setSymbol(QToolButton& button, std::string_view symbol, const QColor& color, int points) {
  button.setIcon(symbolIcon(symbol, color, points, button.devicePixelRatioF()));
  button.setIconSize({points, points});
}

bool rightToLeft(const L& l) { return l.direction() == LayoutDirection::rightToLeft; }

std::string_view pageTitle(Page page) {
  switch (page) {
    case Page::overview: return translatable("Tidyframe");
    case Page::rules: return translatable("专属规则");
    case Page::feedback: return translatable("反馈");
    case Page::activity: return translatable("运行记录");
  }
  return translatable("Tidyframe");
}

}  // namespace

PanelHeader::PanelHeader(AppModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      back_(plainButton(this)),
      brand_(new BrandMark(22, this)),
      title_(new QLabel(this)),
      version_(new QLabel(this)),
      switch_(new Switch(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(14, 12, 14, 8);
  row->setSpacing(7);
  row->addWidget(back_);
  row->addWidget(brand_);
  row->addWidget(title_);
  row->addWidget(version_, 0, Qt::AlignBottom);
  row->addStretch(1);
  row->addWidget(switch_);
  title_->setFont(panelFont(*this, 15, QFont::DemiBold));
  version_->setFont(panelFont(*this, 9, QFont::Normal));
  version_->setForegroundRole(QPalette::PlaceholderText);
  version_->setContentsMargins(0, 0, 0, 2);
  version_->setText(QString::fromStdString("v" + RunningVersion::ofThisBuild().currentVersion));
  connect(back_, &QToolButton::clicked, this, [this] { model_.setSelectedPage(Page::overview); });
  connect(switch_, &Switch::clicked, this, [this](bool on) {
    switch_->setChecked(model_.preferences()->engineEnabled);
    if (on) {
      starting_ = true;
      model_.start();
      showStarting();
    } else {
      model_.pause();
    }
  });
}

void PanelHeader::refresh(const L& l) {
  const Page page = model_.selectedPage().get();
  const bool overview = page == Page::overview;
  back_->setVisible(!overview);
  brand_->setVisible(overview);
  version_->setVisible(overview);
  switch_->setVisible(overview);
  setSymbol(*back_, rightToLeft(l) ? "chevron.right" : "chevron.left", Palette::of(*this).text, 16);
  back_->setAccessibleName(qt(l.t("返回")));
  title_->setText(qt(l.t(pageTitle(page))));
  switch_->setToolTip(qt(l.t("自动分组")));
  switch_->setAccessibleName(qt(l.t("自动分组")));
  switch_->setChecked(model_.preferences()->engineEnabled);
  showStarting();
}

// Starting ends when the engine's check does, turned on or not.
void PanelHeader::showStarting() {
  starting_ = starting_ && model_.busy().get() && !model_.preferences()->engineEnabled;
  switch_->setPending(starting_);
}

MessageBanner::MessageBanner(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), text_(new QLabel(this)), close_(plainButton(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(16, 0, 12, 6);
  row->setSpacing(6);
  row->addWidget(text_, 1);
  row->addWidget(close_, 0, Qt::AlignTop);
  text_->setWordWrap(true);
  text_->setFont(panelFont(*this, 11, QFont::Medium));
  connect(close_, &QToolButton::clicked, this, [this] { model_.setMessage(std::nullopt); });
}

void MessageBanner::refresh(const L& l) {
  const auto& message = model_.message().get();
  setVisible(message.has_value());
  if (!message) return;
  const Palette& colours = Palette::of(*this);
  QPalette palette = text_->palette();
  palette.setColor(QPalette::WindowText, colours.warning);
  text_->setPalette(palette);
  text_->setText(QString::fromStdString(*message));
  setSymbol(*close_, "xmark", colours.secondary, 12);
  close_->setAccessibleName(qt(l.t("关闭提示")));
}

QuickControls::QuickControls(AppModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      permission_(new QPushButton(this)),
      pickers_(new GroupPickers(false, this)),
      caption_(new SectionCaption(this)),
      internal_(new Switch),
      external_(new Switch),
      internalRow_(new PreferenceRow("internaldrive", internal_, this)),
      externalRow_(new PreferenceRow("externaldrive", external_, this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(14, 2, 14, 4);
  column->setSpacing(8);
  column->addWidget(permission_);
  auto* pickerCard = new Card(this);
  pickerCard->content().addWidget(pickers_);
  column->addWidget(pickerCard);
  column->addWidget(caption_);
  auto* scopeCard = new Card(this);
  scopeCard->content().addWidget(internalRow_);
  scopeCard->content().addWidget(new Divider(40, scopeCard));
  scopeCard->content().addWidget(externalRow_);
  column->addWidget(scopeCard);
  connect(permission_, &QPushButton::clicked, this, [this] { model_.setShowSetup(true); });
  connect(&pickers_->groupingBox(), &QComboBox::activated, this,
          [this] { changeSettings([this](Preferences& p) { p.grouping = pickers_->grouping(); }); });
  connect(&pickers_->sortingBox(), &QComboBox::activated, this,
          [this] { changeSettings([this](Preferences& p) { p.sorting = pickers_->sorting(); }); });
  connect(&pickers_->viewBox(), &QComboBox::activated, this, [this] {
    changeSettings([this](Preferences& p) { p.view = pickers_->view().value_or(FinderViewChoice::keep); });
  });
  connect(internal_, &Switch::clicked, this,
          [this](bool on) { changeSettings([on](Preferences& p) { p.internalEnabled = on; }); });
  connect(external_, &Switch::clicked, this,
          [this](bool on) { changeSettings([on](Preferences& p) { p.externalEnabled = on; }); });
}

void QuickControls::changeSettings(const std::function<void(Preferences&)>& change) {
  Preferences preferences = model_.preferences().get();
  change(preferences);
  model_.setPreferences(std::move(preferences));
}

void QuickControls::refresh(const L& l) {
  const bool permissionMissing = model_.legacyRunning().get() || !model_.accessibilityGranted().get() ||
                                 !model_.automationGranted().get();
  permission_->setVisible(permissionMissing);
  permission_->setText(qt(l.t("检查权限")));
  const Preferences& preferences = model_.preferences().get();
  pickers_->setValues(preferences.grouping, preferences.sorting, preferences.view, l);
  caption_->setTexts(qt(l.t("分组会应用到：")));
  internalRow_->setTexts(qt(l.t("本机文件夹")));
  externalRow_->setTexts(qt(l.t("外接设备")));
  internal_->setChecked(preferences.internalEnabled);
  external_->setChecked(preferences.externalEnabled);
  internal_->setAccessibleName(qt(l.t("本机文件夹")));
  external_->setAccessibleName(qt(l.t("外接设备")));
}

PanelFooter::PanelFooter(AppModel& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      rules_(plainButton(this)),
      count_(new QLabel(this)),
      activity_(plainButton(this)),
      settings_(plainButton(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(10, 4, 12, 10);
  row->setSpacing(2);
  row->addWidget(rules_);
  row->addWidget(count_);
  row->addStretch(1);
  row->addWidget(activity_);
  row->addWidget(settings_);
  rules_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  rules_->setFont(panelFont(*this, 12, QFont::Medium));
  count_->setFont(panelFont(*this, 12, QFont::Normal));
  count_->setForegroundRole(QPalette::PlaceholderText);
  connect(rules_, &QToolButton::clicked, this, [this] { model_.setSelectedPage(Page::rules); });
  connect(activity_, &QToolButton::clicked, this, [this] { model_.setSelectedPage(Page::activity); });
}

void PanelFooter::refresh(const L& l) {
  const Palette& colours = Palette::of(*this);
  rules_->setText(qt(l.t("专属规则")));
  setSymbol(*rules_, "folder.badge.gearshape", colours.text, 15);
  const auto rules = static_cast<std::int64_t>(model_.preferences()->rules.size());
  count_->setVisible(rules > 0);
  count_->setText(QString::fromStdString(l.number(rules)));
  setSymbol(*activity_, "clock.arrow.circlepath", colours.text, 16);
  activity_->setToolTip(qt(l.t("运行记录")));
  activity_->setAccessibleName(activity_->toolTip());
  setSymbol(*settings_, "gearshape", colours.text, 16);
  settings_->setAccessibleName(qt(l.t("设置")));
}

}  // namespace tidyframe
