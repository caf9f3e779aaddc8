// The game's language: Japanese (the source language of every text) or
// English. TGameLanguage installs the game's own translation and Qt's
// translation of its standard texts on the application, and names the
// script files of the chosen language. Main thread only; it owns its
// translators and removes them when it goes.
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>

#include "game/core/setting_declarations.h"

class QTranslator;

enum class TLanguage { Japanese, English };

// The compiled English translation, beside the data folders.
inline constexpr char kGameTranslationFile[] = "translations\\pluvionaut_en.qm";

std::string LanguageCode(TLanguage language);
// "en" is English; anything else (also a missing key) is Japanese.
TLanguage LanguageFromCode(std::string_view code);

// The script of the chosen language: for English "dat\tutorial.dat" becomes
// "dat\tutorial_en.dat" when that file exists; otherwise the Japanese one.
std::string ScriptFileFor(const std::string& japaneseScript, TLanguage language);

class TGameLanguage {
 public:
  TGameLanguage();
  ~TGameLanguage();
  TGameLanguage(const TGameLanguage&) = delete;
  TGameLanguage& operator=(const TGameLanguage&) = delete;

  // Installs the translators of language (Qt's own texts in Japanese, or the
  // game's English translation with Qt's English texts). False when the
  // game's English translation could not be loaded: the game then stays
  // readable in Japanese texts.
  bool SetLanguage(TLanguage language);
  TLanguage Language() const { return m_language; }

 private:
  TLanguage m_language = TLanguage::Japanese;
  std::unique_ptr<QTranslator> m_game;
};
