#include "game/input/bar_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

TBarKeys::TBarKeys(QWidget* window, TBarMotion& motion, std::function<bool()> mayMove, std::function<int()> barX,
                   std::function<int()> mouseX)
    : QObject(window),
      m_window(window),
      m_motion(motion),
      m_mayMove(std::move(mayMove)),
      m_barX(std::move(barX)),
      m_mouseX(std::move(mouseX)) {
  qApp->installEventFilter(this);
}

TBarKeys::~TBarKeys() { qApp->removeEventFilter(this); }

void TBarKeys::SetBindings(const TKeyBindings& bindings) {
  ReleaseAll(m_motion.NowMs());
  m_bindings = bindings;
}

void TBarKeys::Poll() {
  const bool held = !m_heldLeft.isEmpty() || !m_heldRight.isEmpty() || !m_heldDash.isEmpty();
  if (held && !m_mayMove()) ReleaseAll(m_motion.NowMs());
}

void TBarKeys::ReleaseAll(double atMs) {
  m_heldLeft.clear();
  m_heldRight.clear();
  m_heldDash.clear();
  if (m_motion.Owner() == TBarInput::Keyboard) m_motion.SetVelocity(0.0, atMs);
}

bool TBarKeys::KeyChanged(int key, bool down, double atMs) {
  TKeyAction action{};
  if (!m_bindings.Find(key, action) || action == TKeyAction::Pause) return false;
  QList<int>& held = action == TKeyAction::Left ? m_heldLeft : action == TKeyAction::Right ? m_heldRight : m_heldDash;
  if (down) {
    if (!m_mayMove()) return false;
    if (!held.contains(key)) held.append(key);
    // A walking key takes the bar from the mouse or the pad where it stands.
    if (action != TKeyAction::Dash && m_motion.Owner() != TBarInput::Keyboard) {
      m_motion.Take(TBarInput::Keyboard, m_barX(), m_mouseX(), atMs);
    }
  } else {
    held.removeAll(key);
  }
  Apply(atMs);
  return true;
}

void TBarKeys::Apply(double atMs) {
  if (m_motion.Owner() != TBarInput::Keyboard) return;
  m_motion.SetVelocity(KeyVelocity(!m_heldLeft.isEmpty(), !m_heldRight.isEmpty(), !m_heldDash.isEmpty()), atMs);
}

bool TBarKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::ApplicationDeactivate || (type == QEvent::WindowDeactivate && watched == m_window)) {
    // The releases will go elsewhere.
    ReleaseAll(m_motion.NowMs());
    return false;
  }
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  // Every key event passes the filter once for each object it is offered
  // to: count it at the widget of the main window only.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != m_window) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->isAutoRepeat()) {
    TKeyAction action{};
    return m_mayMove() && m_bindings.Find(key->key(), action) && action != TKeyAction::Pause;
  }
  const double atMs = m_times.ToLocalMs(key->timestamp(), m_motion.NowMs());
  return KeyChanged(key->key(), type == QEvent::KeyPress, atMs) && m_mayMove();
}
