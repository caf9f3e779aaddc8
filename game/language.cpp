#include "game/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <filesystem>

#include "platform/kernel/paths.h"

namespace {

// Qt's own translations of its dialogs and buttons, by language.
constexpr char kQtTranslationBase[] = "qtbase";
constexpr char kScriptExtension[] = ".dat";
constexpr char kEnglishScriptSuffix[] = "_en";

QString QtLocaleName(TLanguage language) {
  return QString::fromLatin1(language == TLanguage::English ? kEnglishCode : kJapaneseCode);
}

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
  if (m_qt) QCoreApplication::removeTranslator(m_qt.get());
}

bool TGameLanguage::SetLanguage(TLanguage language) {
  m_language = language;
  // Removed first: a translator that stays installed would answer before
  // the new one for the texts the new one lacks.
  if (m_game) QCoreApplication::removeTranslator(m_game.get());
  if (m_qt) QCoreApplication::removeTranslator(m_qt.get());
  m_game.reset();
  m_qt.reset();

  auto qt = std::make_unique<QTranslator>();
  if (qt->load(QString::fromLatin1(kQtTranslationBase) + QLatin1Char('_') + QtLocaleName(language),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    m_qt = std::move(qt);
    QCoreApplication::installTranslator(m_qt.get());
  }
  if (language != TLanguage::English) return true;
  auto game = std::make_unique<QTranslator>();
  if (!game->load(QString::fromStdString(TranslatePath(kGameTranslationFile)))) return false;
  m_game = std::move(game);
  QCoreApplication::installTranslator(m_game.get());
  return true;
}
