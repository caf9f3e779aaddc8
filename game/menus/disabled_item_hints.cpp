#include "game/menus/disabled_item_hints.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusTipEvent>

TDisabledItemHints::TDisabledItemHints(QMainWindow* window) : QObject(window), m_window(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

TDisabledItemHints::~TDisabledItemHints() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

bool TDisabledItemHints::BelongsToWindow(const QObject* menu) const {
  // Menus are children of the menu bar or of their parent menu.
  for (const QObject* o = menu; o != nullptr; o = o->parent()) {
    if (o == m_window->menuBar()) return true;
  }
  return false;
}

bool TDisabledItemHints::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseMove) return false;
  auto* menu = qobject_cast<QMenu*>(watched);
  if (menu == nullptr || !BelongsToWindow(menu)) return false;
  QAction* action = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
  if (action == nullptr || action->isEnabled() || action->isSeparator()) {
    m_shown = nullptr;
    return false;
  }
  if (action == m_shown) return false;
  m_shown = action;
  // Posted, so it comes after whatever the menu itself reports for the move
  // (it clears the hint when the pointer leaves an enabled item).
  QCoreApplication::postEvent(m_window, new QStatusTipEvent(action->statusTip()));
  return false;
}
