// The texts around opening a song: the window caption made from the file name
// and the song's title, the error box, and the file dialog's filters. Pure
// functions; any thread (they only build strings).
#pragma once

#include <QString>
#include <QStringList>

#include <string>

inline constexpr char kApplicationTitle[] = "Pluvionaut";

// The title without blanks around it: first bytes up to and including the
// space (control characters and spaces) are cut at both ends of the CP932
// text, then leading and trailing ideographic spaces (U+3000) and spaces of
// the Unicode form.
QString TrimSongTitle(const std::string& titleCp932);

// file name without its folder + " [" + trimmed title + "] - Pluvionaut".
QString SongCaption(const QString& filePath, const std::string& titleCp932);

// The error box shown when a song cannot be loaded (its lines separated by
// CR LF, as in every message box text of the game): the Japanese source
// texts, which go through Tr when shown.
const QString& LoadErrorText();
const QString& LoadErrorCaption();
// The box at start-up when the tutorial song cannot be loaded: the load error
// text in the current language and, below it, what was wrong (reason: the
// reader's message, UTF-8).
QString TutorialSongMissingText(const std::string& reason);

// The file dialog's filter in the class library's form: description and
// patterns separated by vertical bars, patterns by semicolons (the Japanese
// source text; its translation keeps the patterns).
const QString& OpenDialogFilter();

// A class-library filter turned into Qt name filters, one per pair:
// "description (pattern pattern ...)". The patterns keep the meaning they
// have on Windows: "*.*" matches every file, "*rmi" any name ending in rmi.
// Pair the result with QFileDialog::HideNameFilterDetails so that the
// description shows as written.
QStringList NameFiltersFromFilter(const QString& filter);
