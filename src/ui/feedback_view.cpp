#include "ui/feedback_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "engine/app_model.h"
#include "i18n/l.h"
#include "ui/palette.h"

namespace tidyframe {

namespace {

// The editor's own placeholder is drawn from the left in any panel; a label laid over the empty
// editor follows the panel's direction like every other text.
void showPromptInside(QPlainTextEdit& editor, QLabel& prompt) {
  auto* over = new QVBoxLayout(editor.viewport());
  const int margin = static_cast<int>(editor.document()->documentMargin());
  over->setContentsMargins(margin, margin, margin, margin);
  over->addWidget(&prompt);
  over->addStretch(1);
  prompt.setWordWrap(true);
  prompt.setForegroundRole(QPalette::PlaceholderText);
  prompt.setAttribute(Qt::WA_TransparentForMouseEvents);
}

}  // namespace

FeedbackView::FeedbackView(AppModel& model, PanelServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      services_(services),
      caption_(new QLabel(this)),
      editor_(new QPlainTextEdit(this)),
      includeTitle_(new QLabel(this)),
      include_(new Switch(this)),
      copy_(new QPushButton(this)),
      save_(new QPushButton(this)),
      error_(new QLabel(this)),
      prompt_(new QLabel(editor_->viewport())) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(14, 4, 14, 4);
  column->setSpacing(8);
  column->addWidget(caption_);
  column->addWidget(editor_);
  auto* includeRow = new QHBoxLayout;
  includeRow->addWidget(includeTitle_, 1);
  includeRow->addWidget(include_);
  column->addLayout(includeRow);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy_, 1);
  buttons->addWidget(save_, 1);
  column->addLayout(buttons);
  column->addWidget(error_);
  // The page gets the panel's whole height; what is left over goes below the buttons.
  column->addStretch(1);
  caption_->setFont(panelFont(*this, 12));
  editor_->setFont(panelFont(*this, 12));
  editor_->setFixedHeight(155);
  // A feedback text needs no tab characters; Tab moves on, as everywhere else in the panel.
  editor_->setTabChangesFocus(true);
  editor_->document()->setDocumentMargin(8);
  prompt_->setFont(panelFont(*this, 12));
  showPromptInside(*editor_, *prompt_);
  includeTitle_->setFont(panelFont(*this, 12));
  includeTitle_->setWordWrap(true);
  error_->setWordWrap(true);
  copy_->setFont(panelFont(*this, 11));
  save_->setFont(panelFont(*this, 11));
  connect(editor_, &QPlainTextEdit::textChanged, this,
          [this] { model_.setFeedbackDraft(editor_->toPlainText().toStdString()); });
  connect(include_, &Switch::clicked, this, [this](bool on) { model_.setFeedbackIncludesSystem(on); });
  connect(copy_, &QPushButton::clicked, this, [this] { copy(); });
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
}

std::string FeedbackView::report() const {
  return FeedbackReport::make(model_.feedbackDraft().get(), model_.feedbackIncludesSystem().get(), services_.versions);
}

void FeedbackView::copy() {
  QGuiApplication::clipboard()->setText(qtText(report()));
  copied_ = model_.feedbackDraft().get();
  if (l_) refresh(*l_);
}

void FeedbackView::save() {
  if (!l_) return;
  FeedbackReport::save(report(), services_.alerts, *l_, saveError_);
  refresh(*l_);
}

void FeedbackView::refresh(const L& l) {
  l_ = &l;
  const std::string& draft = model_.feedbackDraft().get();
  if (editor_->toPlainText().toStdString() != draft) editor_->setPlainText(qtText(draft));
  if (copied_ && *copied_ != draft) copied_.reset();
  caption_->setText(qtText(l.t("反馈内容")));
  prompt_->setText(qtText(l.t("遇到了什么问题，或想改进什么？")));
  prompt_->setVisible(draft.empty());
  editor_->setAccessibleDescription(prompt_->text());
  editor_->setAccessibleName(caption_->text());
  includeTitle_->setText(qtText(l.t("附带版本与系统信息")));
  include_->setAccessibleName(includeTitle_->text());
  include_->setChecked(model_.feedbackIncludesSystem().get());
  copy_->setText(qtText(l.t(copied_ ? "已复制" : "复制反馈")));
  save_->setText(qtText(l.t("保存反馈")));
  copy_->setEnabled(!draft.empty());
  save_->setEnabled(!draft.empty());
  QPalette palette = error_->palette();
  palette.setColor(QPalette::WindowText, Palette::of(*this).warning);
  error_->setPalette(palette);
  error_->setVisible(saveError_.has_value());
  error_->setText(qtText(saveError_.value_or("")));
}

}  // namespace tidyframe
