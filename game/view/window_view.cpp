#include "game/view/window_view.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <cmath>

#include "game/view/draw_area.h"
#include "game/view/menu_item_style.h"

namespace {

QScreen* ScreenOf(const QWidget* window) {
  QScreen* screen = window->screen();
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

TWindowView::TWindowView(QMainWindow* window, TDrawArea* area)
    : m_window(window), m_area(area), m_menuBarHeight(window->menuBar()->sizeHint().height()),
      m_fontPixels(window->font().pixelSize()) {}

TWindowScale TWindowView::EffectiveScale() const { return ::EffectiveScale(m_requested, Room()); }

TWindowRoom TWindowView::Room() const {
  TWindowRoom room;
  const QScreen* screen = ScreenOf(m_window);
  room.WorkArea = screen != nullptr ? screen->availableGeometry().size() : QSize(kPictureWidth, kPictureHeight);
  // The desktop's decoration, known once the window has been shown.
  room.Frame = m_window->frameGeometry().size() - m_window->geometry().size();
  room.MenuBarHeight = m_menuBarHeight;
  return room;
}

bool TWindowView::Fits(TWindowScale scale) const {
  if (scale == TWindowScale::X1 || scale == TWindowScale::Fit) return true;
  return ::EffectiveScale(scale, Room()) == scale;
}

void TWindowView::SetScale(TWindowScale scale) {
  m_requested = scale;
  if (!m_fullScreen) ApplyWindowed();
}

void TWindowView::SetFullScreen(bool fullScreen) {
  if (m_fullScreen == fullScreen) return;
  m_fullScreen = fullScreen;
  Apply();
}

void TWindowView::SetSmooth(bool smooth) { m_area->SetSmooth(smooth); }

void TWindowView::Apply() {
  if (m_fullScreen) {
    ApplyFullScreen();
  } else {
    ApplyWindowed();
  }
}

void TWindowView::SetMenuScale(double scale) {
  m_menuScale = scale;
  QMenuBar* bar = m_window->menuBar();
  if (m_menuStyle == nullptr) {
    // Owned by the window, made after its menu bar: it goes after the menus.
    m_menuStyle = new TMenuItemStyle();
    m_menuStyle->setParent(m_window);
  }
  m_menuStyle->SetScale(scale);
  // Menus are windows of their own and take the bar's font only when told to
  // (menus added since the window was made included); they measure their
  // items with the style that knows the scale.
  for (QMenu* menu : bar->findChildren<QMenu*>()) {
    menu->setAttribute(Qt::WA_WindowPropagation, true);
    if (menu->style() != m_menuStyle) menu->setStyle(m_menuStyle);
  }
  if (scale == 1.0 || m_fontPixels <= 0) {
    // The window's own font again.
    bar->setFont(QFont());
  } else {
    QFont font = m_window->font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(m_fontPixels * scale))));
    bar->setFont(font);
  }
}

void TWindowView::ApplyWindowed() {
  if (m_shownFullScreen) {
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowFullScreen);
    m_shownFullScreen = false;
  }
  const QSize picture = PictureSizeFor(m_requested, Room());
  SetMenuScale(PictureScale(QRect(QPoint(), picture)));
  // Fixed to its layout again: the window is as large as its drawing and
  // menu bar, and the player cannot drag its size.
  m_window->setMinimumSize(0, 0);
  m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  m_window->layout()->setSizeConstraint(QLayout::SetFixedSize);
  m_area->SetPictureSize(picture);
  // Sized now, also before the window is first shown (the layout would
  // otherwise catch up only when its posted request arrives).
  m_window->layout()->invalidate();
  m_window->layout()->activate();
  if (!m_normalPosition.isNull()) {
    m_window->move(m_normalPosition);
    m_normalPosition = {};
  }
  KeepOnScreen();
}

void TWindowView::KeepOnScreen() {
  const QScreen* screen = ScreenOf(m_window);
  if (screen == nullptr) return;
  const QRect work = screen->availableGeometry();
  const QRect frame = m_window->frameGeometry();
  const QSize outer(frame.width(), std::max(frame.height(), m_window->height()));
  // Moved only when it would reach past the work area; the x1 window keeps
  // its designed place.
  if (m_placeBeforeMove && frame.topLeft() != m_movedTo) m_placeBeforeMove.reset();  // moved by the player
  if (m_placeBeforeMove && work.contains(QRect(*m_placeBeforeMove, outer))) {
    m_window->move(*m_placeBeforeMove);
    m_placeBeforeMove.reset();
    return;
  }
  if (work.contains(QRect(frame.topLeft(), outer))) return;
  const int left = std::clamp(frame.x(), work.left(), std::max(work.left(), work.right() + 1 - outer.width()));
  const int top = std::clamp(frame.y(), work.top(), std::max(work.top(), work.bottom() + 1 - outer.height()));
  if (!m_placeBeforeMove) m_placeBeforeMove = frame.topLeft();
  m_window->move(left, top);
  m_movedTo = m_window->frameGeometry().topLeft();
}

void TWindowView::ApplyFullScreen() {
  const QScreen* screen = ScreenOf(m_window);
  const QRect whole = screen != nullptr ? screen->geometry() : QRect(0, 0, kPictureWidth, kPictureHeight);
  if (!m_shownFullScreen) m_normalPosition = m_window->pos();
  // The menu bar keeps the proportion it has to the picture in a window.
  const double scale = std::min(static_cast<double>(whole.width()) / kPictureWidth,
                                static_cast<double>(whole.height()) / (kPictureHeight + m_menuBarHeight));
  SetMenuScale(std::max(1.0, scale));
  m_window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
  m_window->setMinimumSize(0, 0);
  m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  m_area->SetFreeSize();
  m_window->setWindowState(m_window->windowState() | Qt::WindowFullScreen);
  // A desktop without a window manager does not act on the state: cover the
  // screen ourselves (a manager that does gives the same geometry). A Wayland
  // compositor always sizes a full-screen window itself, and a geometry set
  // there would turn the window back into a normal one of that size.
  if (QGuiApplication::platformName() != QStringLiteral("wayland")) m_window->setGeometry(whole);
  m_shownFullScreen = true;
}
