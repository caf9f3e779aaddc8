// TForm1's language: read from the settings before the menus are built,
// the submenu "言語 / Language", and the switch at run time (translators,
// captions and hints, the hint on the status bar, the scripts).
#include <QAction>
#include <QCoreApplication>
#include <QStatusTipEvent>

#include "game/core/extended_settings.h"
#include "game/frame/frame_text.h"
#include "game/frame/play_field.h"
#include "game/language/language.h"
#include "game/language/language_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"

void TForm1::InstallLanguage() {
  m_language = std::make_unique<TGameLanguage>();
  m_language->SetLanguage(LanguageFromCode(m_extendedSettings->String(kLanguageSetting)));
}

void TForm1::BuildLanguageMenu() {
  m_languageMenu = std::make_unique<TLanguageMenu>(*m_menu, m_language->Language(),
                                                   [this](TLanguage language) { SetLanguage(language); });
}

TLanguage TForm1::Language() const { return m_language->Language(); }

void TForm1::SetLanguage(TLanguage language) {
  m_languageMenu->SetChecked(language);
  if (language == m_language->Language()) return;
  m_language->SetLanguage(language);
  m_extendedSettings->SetString(kLanguageKey, LanguageCode(language));

  // The hint on the status bar belongs to an item; it is shown again in the
  // new language once the item has its new text.
  QAction* hinted = nullptr;
  std::vector<QAction*> items = m_menu->AllItems();
  items.insert(items.end(), m_menu->ExtensionItems().begin(), m_menu->ExtensionItems().end());
  for (QAction* item : items) {
    if (!m_hint.isEmpty() && item->statusTip() == m_hint) hinted = item;
  }
  m_menu->Retranslate();
  if (hinted != nullptr) {
    QStatusTipEvent tip(hinted->statusTip());
    QCoreApplication::sendEvent(this, &tip);
  }
  LoadScripts();
}

void TForm1::LoadScripts() {
  Memo1 = ReadScriptFile(ScriptFileFor(kTutorialScript, m_language->Language()));
  Memo2 = ReadScriptFile(ScriptFileFor(kScenarioScript, m_language->Language()));
  if (m_playField) {
    // The line caches compare texts, so a changed line is drawn anew.
    m_playField->TutorialLines = Memo1;
    m_playField->ScenarioLines = Memo2;
  }
  if (m_graphics) m_graphics->UseEnglishTitle(m_language->Language() == TLanguage::English);
}
