// The song library's item of the ファイル menu: "曲ライブラリ(&L)..." (Ctrl+L)
// just below Open, which shows the song-select window. It appears with
// Open, from the first completed game. Main thread only; the action belongs
// to the menu bar.
#pragma once

#include <functional>

class QAction;
class TMainMenu;

class TLibraryMenu {
 public:
  // Adds the item to menu's ファイル menu; showLibrary shows the window.
  TLibraryMenu(TMainMenu& menu, std::function<void()> showLibrary);

  // Shows the item from the play count at which Open appears.
  void ApplyVisibility(int playCount);
  QAction* LibraryItem() const { return m_item; }

 private:
  QAction* m_item = nullptr;
};
