// Hints of greyed-out menu items: Qt's menus report the hint of an item under
// the pointer only when it is enabled; the class library the game was made
// with shows it for every item (Stop while no game runs says what it would
// do). Watches the mouse over the menus of one window's menu bar and sends
// the hint of a disabled item to the window as a status tip. Main thread
// only; owned by the window, filters the application's events.
#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMainWindow;

class TDisabledItemHints : public QObject {
 public:
  explicit TDisabledItemHints(QMainWindow* window);
  ~TDisabledItemHints() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool BelongsToWindow(const QObject* menu) const;

  QMainWindow* m_window;
  QPointer<QAction> m_shown;
};
