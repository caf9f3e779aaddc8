// The View menu (表示): the window sizes x1, x2, x3 and fitted to the screen
// (one radio group), full screen (also F11) and smooth magnification, read
// from and written to the section 拡張設定, applied through the window's
// TWindowView. Main thread only; made and owned by the main window after its
// menus and drawing; the menu bar owns the items.
#pragma once

#include <QString>

#include <memory>

#include "game/core/setting_declarations.h"
#include "game/view/view_geometry.h"

class QAction;
class QMainWindow;
class TDrawArea;
class TExtendedSettings;
class TMainMenu;
class TWindowView;


class TViewMenu {
 public:
  // Adds the items to menu.ViewMenu(), reads the settings and lays the
  // window out with them.
  TViewMenu(TMainMenu& menu, TExtendedSettings& settings, QMainWindow* window, TDrawArea* area);
  ~TViewMenu();
  TViewMenu(const TViewMenu&) = delete;
  TViewMenu& operator=(const TViewMenu&) = delete;

  TWindowView& View() { return *m_view; }
  // The item of a window size.
  QAction* ScaleItem(TWindowScale scale) const;
  QAction* FullScreenItem() const { return m_fullScreen; }
  QAction* SmoothItem() const { return m_smooth; }
  // The desktop changed the window's full-screen state itself: follow it.
  void WindowStateChanged(bool fullScreen);
  // The window moved to another screen: sizes that no longer fit fall back.
  void ScreenChanged();

 private:
  void ChooseScale(TWindowScale scale);
  void ChooseFullScreen(bool on);
  void ChooseSmooth(bool on);
  void ShowState();

  TMainMenu& m_menu;
  TExtendedSettings& m_settings;
  std::unique_ptr<TWindowView> m_view;
  QAction* m_scaleItems[4] = {};
  QAction* m_fullScreen = nullptr;
  QAction* m_smooth = nullptr;
};
