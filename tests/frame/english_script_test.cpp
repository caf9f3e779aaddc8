// The English scripts as the frame loop draws them: as many lines as the
// Japanese ones, plain ASCII, each line measured with the game's own text
// writer and font at its text size inside the room its text line has.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame_fixture.h"
#include "game/frame/frame_text.h"

namespace {

constexpr int kTutorialTextSize = 12;
constexpr int kTutorialTextX = 12;
constexpr int kScenarioTextSize = 15;
constexpr int kScenarioTextX = 15;
constexpr int kRainOverhang = 25;  // the rain picture's right edge beyond the window
constexpr unsigned char kFirstNonAscii = 0x80;
constexpr unsigned char kSpace = 0x20;
constexpr int kTextTop = 420;   // y of the tutorial line
constexpr int kTextRows = 30;   // the rows a size-12 line covers, with room
constexpr int kDarkTolerance = 0x40;

class EnglishScriptTest : public FrameTest {
 protected:
  // Widest line in pixels at size; every line must stay within room.
  int ExpectLinesFit(const std::vector<std::string>& lines, int size, int room, const char* name) {
    TNQTextWriter& writer = graphics->TextWriter();
    writer.GetFont().SetSize(size);
    int widest = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int width = writer.TextWidth(lines[i]);
      widest = std::max(widest, width);
      EXPECT_LE(width, room) << name << " line " << i + 1 << " is " << width << " px: " << lines[i];
      EXPECT_FALSE(lines[i].empty()) << name << " line " << i + 1;
      for (const char c : lines[i]) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= kSpace && byte < kFirstNonAscii) << name << " line " << i + 1 << ": byte " << int(byte);
      }
    }
    return widest;
  }
};

TEST_F(EnglishScriptTest, TutorialLinesFitLeftOfTheRainPicture) {
  const std::vector<std::string> english = ReadScriptFile("dat\\tutorial_en.dat");
  const std::vector<std::string> japanese = ReadScriptFile("dat\\tutorial.dat");
  ASSERT_FALSE(japanese.empty());
  // Same count, so each line meets the same moment of the tutorial song.
  EXPECT_EQ(english.size(), japanese.size());
  // During the tutorial the rain picture stands at the right edge, over the
  // end of the line's texture.
  ASSERT_GT(graphics->RainTexture->Width, 0u);
  const int rainLeft = TGameGraphics::kClientWidth + kRainOverhang - static_cast<int>(graphics->RainTexture->Width);
  const int widest = ExpectLinesFit(english, kTutorialTextSize, rainLeft - kTutorialTextX, "tutorial_en.dat");
  EXPECT_GT(widest, 0);
  // The texture holds the line too (text textures are 640 wide).
  EXPECT_LE(widest, static_cast<int>(graphics->TutorialTextTexture->Width));
}

TEST_F(EnglishScriptTest, ScenarioLinesFitTheResultScreen) {
  const std::vector<std::string> english = ReadScriptFile("dat\\scenario_en.dat");
  const std::vector<std::string> japanese = ReadScriptFile("dat\\scenario.dat");
  ASSERT_FALSE(japanese.empty());
  EXPECT_EQ(english.size(), japanese.size());
  ExpectLinesFit(english, kScenarioTextSize, TGameGraphics::kClientWidth - kScenarioTextX, "scenario_en.dat");
  // The line after each unlocking game tells what came free, as the
  // Japanese one does.
  ASSERT_GE(english.size(), 128u);
  const std::vector<std::pair<int, std::string>> unlocks = {
      {1, "open"},       {4, "rain speed"},   {9, "HIDDEN"},      {16, "where the rain falls"},
      {32, "channels"}, {64, "music speed"}, {128, "bar length"},
  };
  for (const auto& [game, words] : unlocks) {
    EXPECT_NE(english[static_cast<std::size_t>(game - 1)].find(words), std::string::npos)
        << "game " << game << ": " << english[static_cast<std::size_t>(game - 1)];
  }
}

TEST_F(EnglishScriptTest, AnEnglishLineIsDrawnWhereTheTutorialShowsIt) {
  // The tutorial's first English line drawn through the frame loop: its
  // pixels reach no further right than its measured width.
  const std::vector<std::string> english = ReadScriptFile("dat\\tutorial_en.dat");
  ASSERT_FALSE(english.empty());
  field->TutorialSong = true;
  field->TutorialLines = english;
  input.Playing = true;
  AddNote(0, 0, 0, 60, 60);
  AddOther(1920, 2000);
  song.EndTime = 2000;
  At(1, 1);
  ASSERT_TRUE(Draw());
  graphics->TextWriter().GetFont().SetSize(kTutorialTextSize);
  const int width = graphics->TextWriter().TextWidth(english.front());
  // Left of the rain picture, which is drawn before the line.
  const int rainLeft = TGameGraphics::kClientWidth + kRainOverhang - static_cast<int>(graphics->RainTexture->Width);
  int rightmostDark = -1;
  for (int y = kTextTop; y < kTextTop + kTextRows; ++y) {
    for (int x = 0; x < rainLeft; ++x) {
      if (Near(capture.At(x, y), 0x000000u, kDarkTolerance)) rightmostDark = std::max(rightmostDark, x);
    }
  }
  EXPECT_GT(rightmostDark, kTutorialTextX);
  EXPECT_LT(rightmostDark, kTutorialTextX + width);
}

}  // namespace
