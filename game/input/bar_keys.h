// TBarKeys: the keyboard's side of the bar. Watches the key presses and
// releases that reach the main window (an event filter on the application)
// and turns the held left, right and dash keys into the bar's path, at the
// moments the window system stamped on the events. The keys move the bar
// only while MayMove says so (a game runs, not paused, the window itself has
// the keys: no menu, no dialog); when it stops saying so, or the window
// loses the keys, the bar stops where it is and every key counts as
// released. Main thread only. Refers to the motion and the window (owned by
// the window); owned by Qt's object tree under the window.
#pragma once

#include <QObject>

#include <functional>

#include "game/core/bar_motion.h"
#include "game/input/key_bindings.h"

class QKeyEvent;
class QWidget;

class TBarKeys : public QObject {
 public:
  // window: the main window whose key events count. barX: where the bar is
  // drawn now (the mouse's x while the mouse has it); mouseX: the cursor.
  TBarKeys(QWidget* window, TBarMotion& motion, std::function<bool()> mayMove, std::function<int()> barX,
           std::function<int()> mouseX);
  ~TBarKeys() override;

  void SetBindings(const TKeyBindings& bindings);
  const TKeyBindings& Bindings() const { return m_bindings; }

  // Called with every frame: stops the bar and forgets the held keys once
  // the keys may no longer move it.
  void Poll();
  // One key went down or up at atMs of the motion's clock (the event filter
  // comes here; so may a test). True when the key is one of the bar's.
  bool KeyChanged(int key, bool down, double atMs);
  // Forgets every held key; the bar stands at atMs.
  void ReleaseAll(double atMs);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply(double atMs);

  QWidget* m_window;
  TBarMotion& m_motion;
  std::function<bool()> m_mayMove;
  std::function<int()> m_barX;
  std::function<int()> m_mouseX;
  TKeyBindings m_bindings;
  TEventTimeMap m_times;
  // The held keys of each moving action (a key of its own each: Left and Z
  // may be held together).
  QList<int> m_heldLeft;
  QList<int> m_heldRight;
  QList<int> m_heldDash;
};
