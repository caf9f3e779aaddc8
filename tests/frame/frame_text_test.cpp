// The frame loop's derived texts and numbers: result lines, tutorial and
// scenario line choice, splash looks, script splitting.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "game/frame/frame_text.h"

TEST(ResultLineTextTest, PercentRightAlignedInThreeColumnsAfterTheColon) {
  EXPECT_EQ(ResultLineText(123, 129), "123 : 95%");
  EXPECT_EQ(ResultLineText(6, 129), "6 :  5%");
  EXPECT_EQ(ResultLineText(100, 100), "100 :100%");
  EXPECT_EQ(ResultLineText(0, 100), "0 :  0%");
}

TEST(ResultLineTextTest, HalvesRoundUp) {
  EXPECT_EQ(ResultLineText(1, 8), "1 : 13%");   // 12.5
  EXPECT_EQ(ResultLineText(5, 8), "5 : 63%");   // 62.5
  EXPECT_EQ(ResultLineText(2, 3), "2 : 67%");   // 66.67
  EXPECT_EQ(ResultLineText(1, 3), "1 : 33%");   // 33.33
  EXPECT_EQ(ResultLineText(1999, 2000), "1999 :100%");  // 99.95 shows 100
}

TEST(TutorialLineIndexTest, TenLinesOnAMinuteChangeEverySixSeconds) {
  EXPECT_EQ(TutorialLineIndex(10, 0, 60000), 0);  // count-in
  EXPECT_EQ(TutorialLineIndex(10, 5999, 60000), 0);
  EXPECT_EQ(TutorialLineIndex(10, 6000, 60000), 1);
  EXPECT_EQ(TutorialLineIndex(10, 35999, 60000), 5);
  EXPECT_EQ(TutorialLineIndex(10, 54000, 60000), 9);
  EXPECT_EQ(TutorialLineIndex(10, 59999, 60000), 9);
}

TEST(TutorialLineIndexTest, HeldToTheLastLineAtAndPastTheEnd) {
  EXPECT_EQ(TutorialLineIndex(10, 60000, 60000), 9);
  EXPECT_EQ(TutorialLineIndex(10, 61234, 60000), 9);
  EXPECT_EQ(TutorialLineIndex(1, 60000, 60000), 0);
}

TEST(TutorialLineIndexTest, NoLengthNoLinesAndLargeProducts) {
  EXPECT_EQ(TutorialLineIndex(10, 500, 0), 0);  // a song whose events all lie at 0 ms
  EXPECT_EQ(TutorialLineIndex(10, -5, 60000), 0);
  EXPECT_EQ(TutorialLineIndex(0, 500, 60000), -1);
  // 100000 lines x 3 000 000 ms overflows 32 bits.
  EXPECT_EQ(TutorialLineIndex(100000, 3000000, 6000000), 50000);
}

TEST(ScenarioLineIndexTest, OneLinePerGameUntilTheScriptEnds) {
  EXPECT_EQ(ScenarioLineIndex(3, 1), 0);
  EXPECT_EQ(ScenarioLineIndex(3, 2), 1);
  EXPECT_EQ(ScenarioLineIndex(3, 3), 2);
  EXPECT_EQ(ScenarioLineIndex(3, 4), -1);
  EXPECT_EQ(ScenarioLineIndex(3, 0), -1);  // the play count not raised yet
  EXPECT_EQ(ScenarioLineIndex(0, 1), -1);
}

TEST(SplashLookTest, GrowsAndFadesWithinOneSecond) {
  const TSplashLook start = SplashLook(0);
  EXPECT_EQ(start.HalfSize, 0);
  EXPECT_EQ(start.Alpha, 64);
  EXPECT_EQ(start.Color, 0x40FFFFFFu);
  const TSplashLook half = SplashLook(500);
  EXPECT_EQ(half.HalfSize, 20);
  EXPECT_EQ(half.Alpha, 32);
  EXPECT_EQ(half.Color, 0x20FFFFFFu);
  const TSplashLook late = SplashLook(990);
  EXPECT_EQ(late.HalfSize, 39);
  EXPECT_EQ(late.Alpha, 0);
  EXPECT_EQ(late.Color, 0x00FFFFFFu);
  EXPECT_EQ(SplashLook(999).HalfSize, 39);
  // A frame that reads a position older than the catch shows the start.
  EXPECT_EQ(SplashLook(-5).Alpha, 64);
  EXPECT_EQ(SplashLook(-5).HalfSize, 0);
}

TEST(ScriptLinesTest, SplitsAtEveryKindOfLineBreak) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitScriptLines(""), V{});
  EXPECT_EQ(SplitScriptLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitScriptLines("a\r\n"), V{"a"});
  EXPECT_EQ(SplitScriptLines("a\r\n\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitScriptLines("\n"), V{""});
  // Shift-JIS bytes pass untouched ("ア" is 0x83 0x41).
  EXPECT_EQ(SplitScriptLines("\x83\x41\r\n"), V{"\x83\x41"});
}

TEST(ScriptLinesTest, ReadsAFileAndGivesNothingForAMissingOne) {
  EXPECT_TRUE(ReadScriptFile("no_such_folder\\none.dat").empty());
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "pluv_frame_script.dat";
  {
    std::ofstream out(path, std::ios::binary);
    out << "one\r\ntwo\r\n";
  }
  EXPECT_EQ(ReadScriptFile(path.string()), (std::vector<std::string>{"one", "two"}));
  std::filesystem::remove(path);
}

TEST(ScriptLinesTest, TheGameScriptsHaveLines) {
  // Tests run beside the game's data folders.
  EXPECT_GE(ReadScriptFile("dat\\tutorial.dat").size(), 2u);
  EXPECT_GE(ReadScriptFile("dat\\scenario.dat").size(), 3u);
}
