#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QTimer>
#include <QWidget>

#include "sim/simulated_mac.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidyframe {

// The simulated Mac's Finder as a window a person can use where there is no Finder: it shows
// the front Finder window's folder and view and the View menu with its check marks as that
// Finder's menu shows them, in the Finder's language, and offers what a user does in a Finder:
// open a folder of the made-up home, go up, switch views, open a second window, insert, rename
// and eject the SD card, press Command-Shift-period and pick the Finder's language. While the
// window is active the Finder is frontmost; when something else brings the Finder to the front
// the window comes up. Borrows the Mac, which must outlive it. Main thread; every look and
// change holds the world lock.
class SimulatedFinderWindow final : public QWidget {
 public:
  // `changed` runs on the main thread after the Finder or the card changed, by this window or
  // by the engine's scripts.
  SimulatedFinderWindow(SimulatedMac& mac, std::function<void()> changed);

  // Reads the Finder again now; the window also does this several times a second.
  void refresh();

  void openFolder(const std::string& path);
  void goUp();
  void openSecondWindow();
  void setView(FinderView view);
  void insertCard();
  // A name that is empty, holds "/" or is the card's present name changes nothing.
  void renameCard(const std::string& name);
  void ejectCard();
  void pressShowDotFiles();
  void setLanguage(FinderMenuLanguage language);

  // The folders a person may open: the home tree and, while the card is in, its photos.
  std::vector<std::string> openableFolders();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  struct Look;
  QWidget* buildControls();
  QWidget* buildCardControls();
  // Runs `change` on the Finder as the user in front of it; the card's notifications follow
  // outside the lock.
  void actAsUser(const std::function<void(SimFinder&)>& change);
  void closeCardWindows(const std::string& mountPath);
  void remountCard(const std::optional<std::string>& from, const std::optional<std::string>& to);
  void display(const Look& look);
  void showViewMenu(const Look& look);
  void chooseMenuItem(QTreeWidgetItem* item);

  SimulatedMac& mac_;
  std::function<void()> changed_;
  QLabel* name_ = nullptr;
  QLabel* details_ = nullptr;
  QLabel* menuBar_ = nullptr;
  QTreeWidget* viewMenu_ = nullptr;
  QComboBox* folders_ = nullptr;
  QComboBox* views_ = nullptr;
  QComboBox* languages_ = nullptr;
  QLineEdit* cardName_ = nullptr;
  QTimer timer_;
  std::optional<std::uint64_t> shownGeneration_;
  std::optional<std::string> shownCard_;
  bool finderWasFrontmost_ = false;
};

}  // namespace tidyframe
