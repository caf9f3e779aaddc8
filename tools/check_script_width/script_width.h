// Measures the lines of a game script (CP932, one line a line as the game
// reads them) as the play field draws them: the game's face "ＭＳ ゴシック"
// through the text writer at a given text size. Main thread of a tool or a
// test; the measurer owns its text writer and glyph cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TNQTextWriter;

struct TTooWideLine {
  int lineNumber = 0;  // 1-based
  int32_t width = 0;   // drawn width, pixels
  std::string text;    // the line as in the script (CP932)
};

class TScriptWidth {
 public:
  explicit TScriptWidth(int textSize);
  ~TScriptWidth();
  TScriptWidth(const TScriptWidth&) = delete;
  TScriptWidth& operator=(const TScriptWidth&) = delete;

  // Drawn width in pixels of one CP932 line.
  int32_t Width(const std::string& cp932Line);
  // The lines of a script's bytes wider than maxWidth pixels.
  std::vector<TTooWideLine> TooWide(const std::string& scriptBytes, int32_t maxWidth);

 private:
  std::unique_ptr<TNQTextWriter> m_writer;
};
