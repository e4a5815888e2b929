#include "app/desktop_alerts.h"

#include <map>

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/panel_services.h"

namespace tidyframe {

namespace {

constexpr int pathRole = Qt::UserRole;

// Alerts carry no language; an Arabic text lays its dialog out from the right.
Qt::LayoutDirection directionOf(const std::string& text) {
  return qtText(text).isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

QMessageBox::ButtonRole roleOf(const AlertRequest& request, std::size_t index) {
  if (request.buttons[index].role == AlertButtonRole::destructive) return QMessageBox::DestructiveRole;
  if (index == request.cancelButton()) return QMessageBox::RejectRole;
  return index == 0 ? QMessageBox::AcceptRole : QMessageBox::ActionRole;
}

// In the same red as the panel's own destructive buttons.
void markDestructive(QAbstractButton& button) {
  QPalette palette = button.palette();
  palette.setColor(QPalette::ButtonText, QColor(0xd7, 0x37, 0x2f));
  button.setPalette(palette);
}

// Each folder under the nearest folder of the list that holds it; one held by none stands at
// the top under its whole path.
void fillTree(QTreeWidget& tree, const std::vector<std::string>& folders) {
  std::map<std::string, QTreeWidgetItem*> items;
  for (const auto& folder : folders) {
    const std::filesystem::path path(folder);
    const auto parent = items.find(path.parent_path().string());
    auto* item = parent == items.end() ? new QTreeWidgetItem(&tree) : new QTreeWidgetItem(parent->second);
    item->setText(0, qtText(parent == items.end() ? folder : path.filename().string()));
    item->setData(0, pathRole, qtText(folder));
    items.emplace(folder, item);
  }
  tree.expandAll();
  tree.setCurrentItem(tree.topLevelItem(0));
}

}  // namespace

DesktopAlerts::DesktopAlerts(SimulatedMac& mac, std::filesystem::path home,
                             std::function<std::vector<std::string>()> folders)
    : mac_(mac), home_(std::move(home)), folders_(std::move(folders)) {}

void DesktopAlerts::activateApplication() {
  const auto world = mac_.lockWorld();
  mac_.finder().setFrontmost(false);
}

// An alert without buttons has the platform's one "OK", which answers as the first.
int DesktopAlerts::runModal(const AlertRequest& request) {
  activateApplication();
  QMessageBox box;
  box.setWindowTitle("Tidyframe");
  box.setLayoutDirection(directionOf(request.message));
  box.setText(qtText(request.message));
  box.setInformativeText(qtText(request.informative));
  std::vector<QAbstractButton*> buttons;
  for (std::size_t index = 0; index < request.buttons.size(); ++index) {
    const AlertButton& button = request.buttons[index];
    buttons.push_back(box.addButton(qtText(button.title), roleOf(request, index)));
    if (button.role == AlertButtonRole::destructive) markDestructive(*buttons.back());
  }
  if (const auto chosen = request.defaultButton()) box.setDefaultButton(qobject_cast<QPushButton*>(buttons[*chosen]));
  if (const auto cancelling = request.cancelButton()) box.setEscapeButton(buttons[*cancelling]);
  box.exec();
  const auto clicked = std::ranges::find(buttons, box.clickedButton());
  if (clicked != buttons.end()) return firstButton + static_cast<int>(clicked - buttons.begin());
  return firstButton + static_cast<int>(request.cancelButton().value_or(0));
}

std::optional<std::string> DesktopAlerts::runSavePanel(const FilePanelRequest& request) {
  return chooseFile(request, true);
}

std::optional<std::string> DesktopAlerts::runOpenPanel(const FilePanelRequest& request) {
  return request.choosesDirectories ? chooseSimulatedFolder(request) : chooseFile(request, false);
}

// Qt's own dialog rather than the desktop's, so it looks like the rest of the application and
// works where no desktop portal runs.
std::optional<std::string> DesktopAlerts::chooseFile(const FilePanelRequest& request, bool saving) {
  activateApplication();
  QFileDialog dialog(nullptr, qtText(request.message), qtText(home_.string()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QStringList patterns;
  for (const auto& type : request.allowedTypes) patterns << "*." + qtText(type);
  if (!patterns.isEmpty()) {
    dialog.setNameFilter(patterns.join(' '));
    dialog.setDefaultSuffix(qtText(request.allowedTypes.front()));
  }
  if (!request.prompt.empty()) dialog.setLabelText(QFileDialog::Accept, qtText(request.prompt));
  if (saving) dialog.selectFile(qtText(request.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> DesktopAlerts::chooseSimulatedFolder(const FilePanelRequest& request) {
  activateApplication();
  QDialog dialog;
  dialog.setWindowTitle("Tidyframe");
  dialog.setLayoutDirection(directionOf(request.message));
  auto* column = new QVBoxLayout(&dialog);
  auto* message = new QLabel(qtText(request.message), &dialog);
  message->setWordWrap(true);
  auto* tree = new QTreeWidget(&dialog);
  tree->setHeaderHidden(true);
  fillTree(*tree, folders_());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  if (!request.prompt.empty()) buttons->button(QDialogButtonBox::Ok)->setText(qtText(request.prompt));
  column->addWidget(message);
  column->addWidget(tree, 1);
  column->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(tree, &QTreeWidget::itemActivated, &dialog, &QDialog::accept);
  dialog.resize(420, 360);
  if (dialog.exec() != QDialog::Accepted || !tree->currentItem()) return std::nullopt;
  return tree->currentItem()->data(0, pathRole).toString().toStdString();
}

}  // namespace tidyframe
