#include "game/language/language_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "game/menus/main_menu.h"

namespace {

// The submenu's caption and the language names read the same in both
// languages, so a player finds them whatever language is shown; the hints
// speak both languages for the same reason.
constexpr char kLanguageCaption[] = "言語 / Language";
constexpr char kLanguageHint[] = "ゲームの言葉を選べるよ。 / Pick the language of the game.";
constexpr char kJapaneseCaption[] = "日本語";
constexpr char kJapaneseHint[] = "日本語でお話しするよ。 / I'll talk in Japanese.";
constexpr char kEnglishCaption[] = "English";
constexpr char kEnglishHint[] = "英語でお話しするよ。 / I'll talk in English.";

}  // namespace

TLanguageMenu::TLanguageMenu(TMainMenu& menu, TLanguage language, std::function<void(TLanguage)> onChoose) {
  QMenu* languages = menu.AddSubmenu(menu.ViewMenu(), "LanguageMenu", QString::fromUtf8(kLanguageCaption),
                                     QString::fromUtf8(kLanguageHint));
  // A menu is a window of its own; it takes the form's font like the others.
  languages->setAttribute(Qt::WA_WindowPropagation, true);
  QActionGroup* group = menu.NewRadioGroup();
  m_japanese = menu.AddRadio(languages, group, "LanguageJapanese", QString::fromUtf8(kJapaneseCaption),
                             QString::fromUtf8(kJapaneseHint), language == TLanguage::Japanese);
  m_english = menu.AddRadio(languages, group, "LanguageEnglish", QString::fromUtf8(kEnglishCaption),
                            QString::fromUtf8(kEnglishHint), language == TLanguage::English);
  menu.ShowFilledMenus();
  for (const TLanguage each : {TLanguage::Japanese, TLanguage::English}) {
    QObject::connect(Item(each), &QAction::triggered, Item(each), [this, each, onChoose] {
      SetChecked(each);
      onChoose(each);
    });
  }
}

QAction* TLanguageMenu::Item(TLanguage language) const {
  return language == TLanguage::English ? m_english : m_japanese;
}

void TLanguageMenu::SetChecked(TLanguage language) { Item(language)->setChecked(true); }
