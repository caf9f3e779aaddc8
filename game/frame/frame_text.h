// The texts and numbers the frame loop derives from the sequencer's state:
// the result screen's Good and Bad lines, which tutorial and scenario line
// is shown, and a splash's size and alpha. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// "<Count> :<percent>%", the percentage Count x 100 / Total with no decimals
// right-aligned in three characters (123 of 129 gives "123 : 95%"). Total
// must be above 0.
std::string ResultLineText(int32_t Count, int32_t Total);

// The record lines beside the result: "MAX COMBO <n>" and "BEST <percent>%"
// (the percentage rounded as in the result lines, without padding).
std::string MaxComboText(int32_t MaxCombo);
std::string BestText(int32_t Good, int32_t Bad);
// The text of the new-record mark.
const std::string& NewRecordText();

// The tutorial line shown at PositionMs of a song EndTime ms long: the lines
// spread evenly over the song, line 0 during the count-in, the last line held
// once the position reaches the end, line 0 for a song of no length. -1 when
// there are no lines.
int32_t TutorialLineIndex(int32_t LineCount, int32_t PositionMs, int32_t EndTime);

// The scenario line of the result screen after PlayCount games: line
// PlayCount - 1, or -1 when the script is shorter or no game has been
// counted yet.
int32_t ScenarioLineIndex(int32_t LineCount, int32_t PlayCount);

// A caught drop's splash AgeMs after its note: half size in pixels and the
// alpha of its colour (from 64, fading to 0 within one second).
struct TSplashLook {
  int32_t HalfSize;
  int32_t Alpha;
  uint32_t Color;  // Alpha in the top byte over white
};
TSplashLook SplashLook(int32_t AgeMs);

// Splits a script into its lines at CR LF, a lone LF or a lone CR; a final
// line break adds no empty line. Bytes are kept as they are (CP932).
std::vector<std::string> SplitScriptLines(const std::string& Text);
// The lines of a script file ("dat\tutorial.dat" style names work); no lines
// when the file cannot be read.
std::vector<std::string> ReadScriptFile(const std::string& FileName);
