// The main window's size on the screen: x1, x2, x3 or fitted to the work
// area, or full screen with the picture letterboxed; the menu bar's font
// grows with the picture so that a larger window looks like the x1 window
// magnified (the status bar scales itself with the drawing). Main thread
// only; owned by the main window, which owns the widgets it changes.
#pragma once


#include <QPoint>
#include <QSize>

#include <optional>

#include "game/view/view_geometry.h"

class QMainWindow;
class TMenuItemStyle;
class TDrawArea;

class TWindowView {
 public:
  TWindowView(QMainWindow* window, TDrawArea* area);

  // The size asked for; the one shown falls back to the largest that fits
  // the screen (EffectiveScale).
  void SetScale(TWindowScale scale);
  TWindowScale RequestedScale() const { return m_requested; }
  TWindowScale EffectiveScale() const;
  void SetFullScreen(bool fullScreen);
  bool FullScreen() const { return m_fullScreen; }
  void SetSmooth(bool smooth);
  // Lays the window out again for its screen (after a screen change, or a
  // full-screen state the desktop changed).
  void Apply();
  // What the window's screen offers: work area, frame, menu bar at x1.
  TWindowRoom Room() const;
  // Whether a window size fits the screen as it is now.
  bool Fits(TWindowScale scale) const;
  TDrawArea* Area() const { return m_area; }
  // The menu bar's magnification now.
  double MenuScale() const { return m_menuScale; }

 private:
  void ApplyWindowed();
  void ApplyFullScreen();
  void SetMenuScale(double scale);
  void KeepOnScreen();

  QMainWindow* m_window;
  TDrawArea* m_area;
  TWindowScale m_requested = TWindowScale::X1;
  bool m_fullScreen = false;
  bool m_shownFullScreen = false;
  int m_menuBarHeight = 0;  // pixels at x1
  int m_fontPixels = 0;     // the window font's height at x1
  double m_menuScale = 1.0;
  TMenuItemStyle* m_menuStyle = nullptr;  // the menus' style, a child of the window
  QPoint m_normalPosition;
  // Where the player had the window before a larger size moved it into the
  // work area, and where it was moved to: a smaller size that fits there
  // again goes back, unless the player has moved the window since.
  std::optional<QPoint> m_placeBeforeMove;
  QPoint m_movedTo;
};
