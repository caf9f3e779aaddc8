// Qt's own texts (the file dialog, message box buttons, context menus) in
// the player's language, from the translations Qt ships (qtbase_<lang>.qm in
// Qt's translations folder). Main thread only; the one translator installed
// here belongs to this unit and is replaced by the next call.
#pragma once

#include <QLocale>
#include <QString>

// Installs Qt's translation for locale in place of the one installed before.
// False when Qt has none for it (Qt's English source texts show then).
bool InstallQtTranslations(const QLocale& locale);
// Where Qt's translation files are looked for.
QString QtTranslationsFolder();
