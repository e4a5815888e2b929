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
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidyframe {

class FinderItemsView;
class L;

// The simulated Mac's Finder as a window a person can use where there is no Finder: it shows
// the front Finder window's folder with its items, grouped and sorted as that Finder would show
// them in that window's view, and the View menu with its check marks as that Finder's menu shows
// them, in the Finder's language; everything else speaks the interface language. It offers what
// a user does in a Finder: open a folder (double-click or the location box), go up, switch
// views, open a second window, insert, rename and eject the SD card, press Command-Shift-period
// and pick the Finder's language. While the window is active the Finder is frontmost; closing
// only hides it, and the Finder then stays in the background with its windows. When something
// else brings the Finder to the front a shown window comes up. Borrows the Mac and the lookup,
// which must outlive it. Main thread; every look and change holds the world lock.
class SimulatedFinderWindow final : public QWidget {
 public:
  // `changed` runs on the main thread after the Finder or the card changed, by this window or
  // by the engine's scripts.
  SimulatedFinderWindow(SimulatedMac& mac, const L& l, std::function<void()> changed);

  // Reads the Finder again now; the window also does this several times a second.
  void refresh();
  // Shows the window again, in front.
  void bringBack();

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
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Look;
  QWidget* buildToolbar();
  QWidget* buildSidePanel();
  QWidget* buildFooter();
  void retranslate();
  Look look();
  // Runs `change` on the Finder as the user in front of it; the card's notifications follow
  // outside the lock.
  void actAsUser(const std::function<void(SimFinder&)>& change);
  void closeCardWindows(const std::string& mountPath);
  void remountCard(const std::optional<std::string>& from, const std::optional<std::string>& to);
  void openItem(const std::string& name);
  void display(const Look& look);
  void showStatus(const Look& look);
  void showLocation(const Look& look);
  void showViewMenu(const Look& look);
  void showCard();
  void chooseMenuItem(QTreeWidgetItem* item);

  SimulatedMac& mac_;
  const L& l_;
  std::function<void()> changed_;
  QLabel* explanation_ = nullptr;
  QToolButton* up_ = nullptr;
  QComboBox* folders_ = nullptr;
  QPushButton* newWindow_ = nullptr;
  QComboBox* views_ = nullptr;
  QPushButton* dotFiles_ = nullptr;
  QLabel* name_ = nullptr;
  FinderItemsView* items_ = nullptr;
  QLabel* count_ = nullptr;
  QLabel* menuBarTitle_ = nullptr;
  QLabel* menuBar_ = nullptr;
  QTreeWidget* viewMenu_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* languageTitle_ = nullptr;
  QComboBox* languages_ = nullptr;
  QLabel* cardTitle_ = nullptr;
  QLabel* cardState_ = nullptr;
  QPushButton* insert_ = nullptr;
  QLineEdit* cardName_ = nullptr;
  QPushButton* rename_ = nullptr;
  QPushButton* eject_ = nullptr;
  QTimer timer_;
  // What the window last showed: the Finder's state, the card and the interface language.
  std::optional<std::uint64_t> shownGeneration_;
  std::optional<std::string> shownCard_;
  std::string shownLanguage_;
  bool finderWasFrontmost_ = false;
};

}  // namespace tidyframe
