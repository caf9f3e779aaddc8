// Tr: every text the player reads in a Qt widget goes through here. The
// Japanese text is the source text; a translator installed on the
// application (the English one) replaces it. Call it when the text is shown,
// so that a language change reaches texts shown later; texts that stay on
// screen (menus, status texts) are applied again by their owners when the
// language changes. Main thread only.
#pragma once

#include <QCoreApplication>
#include <QString>

// The one translation context of the game's own texts.
inline constexpr char kTrContext[] = "Pluvionaut";

inline QString Tr(const char* japaneseUtf8) { return QCoreApplication::translate(kTrContext, japaneseUtf8); }
inline QString Tr(const QString& japanese) {
  const QByteArray source = japanese.toUtf8();
  return QCoreApplication::translate(kTrContext, source.constData());
}
