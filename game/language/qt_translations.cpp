#include "game/language/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

constexpr char kQtBaseCatalogue[] = "qtbase";
constexpr char kCatalogueSeparator[] = "_";

std::unique_ptr<QTranslator>& Installed() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

}  // namespace

QString QtTranslationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool InstallQtTranslations(const QLocale& locale) {
  std::unique_ptr<QTranslator>& installed = Installed();
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  auto translator = std::make_unique<QTranslator>();
  // Tries the locale's UI languages in order ("ja-JP", then "ja").
  if (!translator->load(locale, QString::fromLatin1(kQtBaseCatalogue), QString::fromLatin1(kCatalogueSeparator),
                        QtTranslationsFolder())) {
    return false;
  }
  QCoreApplication::installTranslator(translator.get());
  installed = std::move(translator);
  return true;
}
