// CP932 (Shift-JIS) <-> UTF-8 conversion at the boundary between the game's
// byte strings and everything that wants Unicode (Qt, fontconfig, the
// terminal). Any thread; conversions hold no shared state.
#pragma once

#include <string>
#include <string_view>

// Converts CP932 bytes to UTF-8. A byte sequence that is not valid CP932 is
// written as the text "\xNN" for each offending byte, so nothing is lost or
// hidden when a file carries broken text.
std::string Cp932ToUtf8(std::string_view cp932);

// Converts UTF-8 to CP932. Characters that CP932 cannot hold become '?'.
std::string Utf8ToCp932(std::string_view utf8);

// Converts one CP932 character code (a single byte, or lead byte * 256 +
// trail byte) to its Unicode code point; 0 when the code is not valid CP932.
char32_t Cp932CodeToUnicode(unsigned code);
