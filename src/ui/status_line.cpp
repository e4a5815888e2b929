#include "ui/status_line.h"

#include <algorithm>

#include <QHBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "model/mounted_volume.h"
#include "ui/palette.h"

namespace tidyframe {

namespace {

constexpr int sourceRoom = 140;

}  // namespace

StatusLine::StatusLine(AppModel& model, PanelServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      services_(services),
      symbol_(new SymbolView("folder", 13, this)),
      folder_(new ElidedLabel(Qt::ElideMiddle, this)),
      text_(new ElidedLabel(Qt::ElideRight, this)),
      action_(new QPushButton(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(16, 0, 14, 6);
  row->setSpacing(5);
  row->addWidget(symbol_);
  row->addWidget(folder_);
  row->addWidget(text_, 1);
  row->addWidget(action_);
  folder_->setFont(panelFont(*this, 11, QFont::Medium));
  text_->setFont(panelFont(*this, 11));
  text_->setForegroundRole(QPalette::PlaceholderText);
  action_->setFont(panelFont(*this, 11));
  connect(action_, &QPushButton::clicked, this, [this] { model_.start(); });
}

StatusLine::State StatusLine::stateOf(const AppModel& model) {
  if (model.legacyRunning().get()) return State::legacyRunning;
  if (!model.preferences()->engineEnabled) return State::paused;
  if (!model.accessibilityGranted().get() || !model.automationGranted().get()) return State::permissionMissing;
  return model.currentPath()->has_value() ? State::folder : State::waiting;
}

void StatusLine::refresh(const L& l) {
  const Palette& colours = Palette::of(*this);
  const State state = stateOf(model_);
  const bool warning = state == State::legacyRunning || state == State::permissionMissing;
  symbol_->setColor(warning ? colours.warning : colours.secondary);
  folder_->setVisible(state == State::folder);
  action_->setVisible(state == State::legacyRunning);
  text_->setMinimumWidth(0);
  action_->setText(qtText(l.t("由新版接管")));
  switch (state) {
    case State::legacyRunning:
      symbol_->setSymbol("exclamationmark.triangle");
      text_->setFullText(qtText(l.t("旧版服务仍在运行")));
      return;
    case State::paused:
      symbol_->setSymbol("pause.circle");
      text_->setFullText(qtText(l.t("自动分组已暂停")));
      return;
    case State::permissionMissing:
      symbol_->setSymbol("lock.shield");
      text_->setFullText(qtText(l.t("缺少权限，请点按下方的“检查权限”")));
      return;
    case State::waiting:
      symbol_->setSymbol("folder");
      text_->setFullText(qtText(l.t("等待打开 Finder 文件夹")));
      return;
    case State::folder: break;
  }
  const std::string& path = *model_.currentPath().get();
  const bool rightToLeft = l.direction() == LayoutDirection::rightToLeft;
  symbol_->setSymbol("folder");
  folder_->setFullText(userText(lastPathComponent(path), rightToLeft), qtText(readablePath(path, services_.home)));
  // The source is the engine's text in the interface language; it runs in the panel's direction.
  text_->setFullText(QStringLiteral("· ") + qtText(model_.currentSource().get()));
  // A long folder name gives way first; the source keeps room for a word or two.
  text_->setMinimumWidth(std::min(text_->sizeHint().width(), sourceRoom));
}

}  // namespace tidyframe
