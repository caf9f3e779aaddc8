// Turns the UTF-8 sources of the game's scripts (tutorial, scenario) into the
// CP932 text with CR LF line breaks that the game reads. Build-time tool code;
// any thread, no shared state.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A script source that cannot become a game script: text CP932 cannot hold,
// a line too wide for the screen, broken UTF-8. The message names the source
// and the line.
class EScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Splits text into lines at LF, CR LF or a lone CR. A break at the very end
// closes the last line instead of opening an empty one, the way text boxes
// read files.
std::vector<std::string> SplitScriptLines(std::string_view text);

// Width of a CP932 line in half-width columns in a monospaced font: a
// double-byte character takes two, a single byte one, so it equals the byte
// count of a valid line.
int Cp932Columns(std::string_view cp932Line);

// Converts a UTF-8 script (an optional byte-order mark is dropped) into CP932
// lines joined by CR LF, with no break after the last line so that every
// reader counts the same lines. Throws EScriptError, naming sourceName and
// the 1-based line, when a character has no CP932 form or a line is wider
// than maxColumns half-width columns (0: no limit).
std::string ConvertScript(std::string_view utf8, std::string_view sourceName, int maxColumns);
