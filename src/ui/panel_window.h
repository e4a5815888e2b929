#pragma once

#include <functional>

#include <QWidget>

namespace tidyframe {

class RootView;

// The window that holds the panel. As a popover it is frameless and transient: it closes when
// another application becomes active, and stays open while its own menus and dialogs are.
// Without a status bar it is an ordinary small window whose closing is reported, so the
// application can quit. Owns the panel it shows.
class PanelWindow final : public QWidget {
 public:
  enum class Kind { popover, window };

  PanelWindow(Kind kind, std::function<void()> closedByUser);
  void setPanel(RootView* panel);
  RootView* panel() const { return panel_; }
  Kind kind() const { return kind_; }
  // Shows the window with its top edge at `anchor`'s bottom centre, kept on the screen.
  void showBelow(QPoint anchor);
  // Shows the window near the top-right corner of the screen under the cursor.
  void showNearTopRight();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Escape that no page took closes the popover; an ordinary window stays, as closing it quits.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showAt(QPoint topLeft, const QRect& screen);

  Kind kind_;
  std::function<void()> closedByUser_;
  RootView* panel_ = nullptr;
};

}  // namespace tidyframe
