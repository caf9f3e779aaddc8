#!/usr/bin/env bash
# Refreshes translations/pluvionaut_en.ts from the sources, keeping every
# English translation already there.
#
#   scripts/update-translations.sh [build folder]      (default: build)
#
# What counts as a text to translate:
#   - every literal given to Tr("...") (also Tr(QStringLiteral("..."))) or
#     marked with Translatable("...") (game/core/translatable.h, for code without
#     Qt and for constants that reach Tr later) in the game's source folders;
#   - every text the main window passes through Tr while it is built: all
#     menu captions and hints of TMainMenu, also generated ones ("通常の2.0倍
#     の速さで雨が降ってくるよ。") and items added beyond the design.
# The build folder's translation_texts tool collects both (it builds the
# real window on Qt's offscreen platform) and prints them as a C++ file that
# lupdate reads; lupdate merges it into the .ts: new texts arrive as
# unfinished entries, texts no longer in the game are dropped, translations
# of unchanged texts stay. Then fill in the English of every entry marked
# type="unfinished" (Qt Linguist, or by hand: write the translation and
# remove the type attribute); the tests language_test (Translations.*) fail
# while an entry is unfinished or a text of the game has none. A text built
# at run time from pieces cannot be found: give Tr a whole sentence with %1
# and use .arg().
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
ts="$root/translations/pluvionaut_en.ts"

lupdate="$(command -v /usr/lib/qt6/bin/lupdate || command -v lupdate || true)"
if [ -z "$lupdate" ]; then
  echo "update-translations: lupdate not found (Debian package qt6-l10n-tools)" >&2
  exit 1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "update-translations: $build is not a configured build folder" >&2
  exit 1
fi

cmake --build "$build" --target translation_texts pluv_data
texts="$build/translation_texts.cpp"
# The window reads its data from the runtime folder, as the game does.
(cd "$build/bin" && QT_QPA_PLATFORM=offscreen ./translation_texts "$root" >"$texts")
"$lupdate" -silent -locations none -no-obsolete -source-language ja -target-language en "$texts" -ts "$ts"
unfinished="$(grep -c 'type="unfinished"' "$ts" || true)"
echo "update-translations: $ts updated; entries still without English: $unfinished"
