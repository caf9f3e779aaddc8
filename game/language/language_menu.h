// The submenu "言語 / Language" at the end of the 表示 menu: radio items
// "日本語" and "English", always enabled. Choosing one hands the language to
// the window, which switches at once. Main thread only; the menu bar owns
// the items.
#pragma once

#include <functional>

#include "game/language/language.h"

class QAction;
class TMainMenu;

class TLanguageMenu {
 public:
  // Adds the submenu to menu's view menu with language checked; onChoose
  // runs when the player picks the other language.
  TLanguageMenu(TMainMenu& menu, TLanguage language, std::function<void(TLanguage)> onChoose);

  QAction* Item(TLanguage language) const;
  void SetChecked(TLanguage language);

 private:
  QAction* m_japanese = nullptr;
  QAction* m_english = nullptr;
};
