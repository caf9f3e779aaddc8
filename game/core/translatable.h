// Translatable: marks a Japanese text (UTF-8) that is translated only where it
// is shown, for code without Qt (the sequencer's unlock boxes) and for
// constants that Tr receives later. The text itself is returned unchanged;
// scripts/update-translations.sh collects every marked text for the English
// translation. Header only; any thread.
#pragma once

constexpr const char* Translatable(const char* japaneseUtf8) { return japaneseUtf8; }

// StatusText: a translatable text (as above) shown as a line in the status
// bar's first panel; the tests measure every one against the panel in both
// languages.
constexpr const char* StatusText(const char* japaneseUtf8) { return japaneseUtf8; }
