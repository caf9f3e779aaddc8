// The game's translatable texts as they stand in its C++ sources: every
// literal handed to Tr or Translatable, and the C++ text that lupdate reads
// to bring them into the translation file. Build-time tool code; any
// thread, no shared state.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The texts (UTF-8, escapes resolved, adjacent literals joined) of every call
// Tr("..."), Tr(QStringLiteral("...")), Tr(QString::fromUtf8("...")) and
// Translatable("...") or StatusText("...") in source, in order. Calls with
// anything but string literals, and calls inside comments or string
// literals, are not texts.
std::vector<std::string> TranslatableLiterals(std::string_view source);
// Only the texts marked StatusText("..."): the lines of the status bar.
std::vector<std::string> StatusTextLiterals(std::string_view source);

// The folders of the source tree whose code ships in the game: every
// top-level folder except tests, tools, benchmarks, fuzz targets, build
// folders and the non-code ones.
std::vector<std::filesystem::path> GameSourceFolders(const std::filesystem::path& sourceRoot);

// TranslatableLiterals (StatusTextLiterals) of every .cpp and .h file under folders.
std::set<std::string> TranslatableLiteralsIn(const std::vector<std::filesystem::path>& folders);
std::set<std::string> StatusTextLiteralsIn(const std::vector<std::filesystem::path>& folders);

// One QT_TRANSLATE_NOOP(context, text) per text, each text a C++ literal
// with \r, \n, \t, \" and \\ escaped and UTF-8 kept as it is.
std::string LupdateSource(const std::set<std::string>& texts, std::string_view context);
