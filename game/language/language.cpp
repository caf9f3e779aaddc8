#include "game/language/language.h"

#include <QCoreApplication>
#include <QTranslator>

#include <filesystem>

#include "game/language/qt_translations.h"
#include "platform/kernel/paths.h"

namespace {

constexpr char kScriptExtension[] = ".dat";
constexpr char kEnglishScriptSuffix[] = "_en";

}  // namespace

std::string LanguageCode(TLanguage language) {
  return language == TLanguage::English ? kEnglishCode : kJapaneseCode;
}

TLanguage LanguageFromCode(std::string_view code) {
  return code == kEnglishCode ? TLanguage::English : TLanguage::Japanese;
}

std::string ScriptFileFor(const std::string& japaneseScript, TLanguage language) {
  if (language != TLanguage::English) return japaneseScript;
  const std::string::size_type dot = japaneseScript.rfind(kScriptExtension);
  if (dot == std::string::npos) return japaneseScript;
  std::string english = japaneseScript;
  english.insert(dot, kEnglishScriptSuffix);
  std::error_code error;
  return std::filesystem::is_regular_file(TranslatePath(english), error) ? english : japaneseScript;
}

TGameLanguage::TGameLanguage() = default;

TGameLanguage::~TGameLanguage() {
  if (m_game) QCoreApplication::removeTranslator(m_game.get());
}

bool TGameLanguage::SetLanguage(TLanguage language) {
  m_language = language;
  // Removed first: a translator that stays installed would answer before
  // the new one for the texts the new one lacks.
  if (m_game) QCoreApplication::removeTranslator(m_game.get());
  m_game.reset();

  // Qt's own texts: one translator for the whole application, replaced here
  // (without one for English, Qt shows its English source texts).
  InstallQtTranslations(language == TLanguage::English ? QLocale(QLocale::English)
                                                       : QLocale(QLocale::Japanese, QLocale::Japan));
  if (language != TLanguage::English) return true;
  auto game = std::make_unique<QTranslator>();
  if (!game->load(QString::fromStdString(TranslatePath(kGameTranslationFile)))) return false;
  m_game = std::move(game);
  QCoreApplication::installTranslator(m_game.get());
  return true;
}
