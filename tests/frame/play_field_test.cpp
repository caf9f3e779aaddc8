// The play field of a running game, rendered by the software device: drop
// heights, bar and judgement line, chord lines, splashes, HIDDEN/SUDDEN, the
// ready picture, the tutorial line and the walk's first live event.
#include <gtest/gtest.h>


#include "frame_fixture.h"

namespace {

constexpr uint32_t kHalfBlackOnWhite = 0x7F7F7Fu;

class PlayFieldTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    PlainPictures();
    input.Playing = true;
    input.MouseX = 600;  // the bar out of the way
    song.Division = 100;  // with rain speed 100: one pixel per tick
    song.EndTime = 60000;
  }
};

TEST(DropYTest, AQuarterNoteAheadIsAHundredPixelsAboveItsLanding) {
  EXPECT_EQ(TPlayField::DropY(0, 480, 100, 480, 10), 290.0f);
  EXPECT_EQ(TPlayField::DropY(480, 480, 100, 480, 10), 390.0f);  // bottom on the bar
  EXPECT_EQ(TPlayField::DropY(240, 480, 100, 480, 10), 340.0f);
  EXPECT_EQ(TPlayField::DropY(960, 480, 600, 480, 10), 990.0f);
  // The division in floating point, the sum stored as a float.
  EXPECT_EQ(TPlayField::DropY(1, 0, 100, 3, 10), static_cast<float>(100.0 / 3 + 390));
  // A note far ahead stays far above, where 32-bit products would wrap.
  EXPECT_LT(TPlayField::DropY(0, 4000000, 600, 480, 10), -4000000.0f);
}

TEST_F(PlayFieldTest, DrawsADropAQuarterNoteAboveItsLanding) {
  song.Division = 480;
  AddNote(480, 500, 0, 60, 20);  // lane 20: x 100..104
  At(1, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(102, 290), kCyanRgb);
  EXPECT_EQ(capture.At(102, 299), kCyanRgb);
  EXPECT_EQ(capture.At(100, 295), kCyanRgb);
  EXPECT_EQ(capture.At(104, 295), kCyanRgb);
  EXPECT_EQ(capture.At(102, 289), kWhiteRgb);
  EXPECT_EQ(capture.At(102, 300), kWhiteRgb);
  EXPECT_EQ(capture.At(105, 295), kWhiteRgb);
}

TEST_F(PlayFieldTest, BarFollowsTheMouseAndTheJudgementLineSpansTheField) {
  input.MouseX = 300;
  input.BarHalfWidth = 15;
  At(1, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(285, 402), 0xFF0000u);
  EXPECT_EQ(capture.At(315, 404), 0xFF0000u);
  EXPECT_NE(capture.At(284, 402), 0xFF0000u);
  EXPECT_NE(capture.At(316, 402), 0xFF0000u);
  EXPECT_EQ(capture.At(300, 405), kWhiteRgb);
  EXPECT_TRUE(Near(capture.At(10, 400), 0xBFBFBFu));
  EXPECT_TRUE(Near(capture.At(639, 400), 0xBFBFBFu));
  EXPECT_EQ(capture.At(10, 401), kWhiteRgb);
  EXPECT_EQ(capture.At(10, 399), kWhiteRgb);
}

TEST_F(PlayFieldTest, ChordOfTwoLanesIsJoinedByALine) {
  AddNote(1000, 500, 0, 60, 10);
  AddNote(1000, 500, 1, 64, 20);
  At(1, 900);  // Y = 290, the line at 292 from x 50 to 99
  ASSERT_TRUE(Draw());
  EXPECT_TRUE(Near(capture.At(75, 292), kHalfBlackOnWhite));
  EXPECT_TRUE(Near(capture.At(99, 292), kHalfBlackOnWhite));
  EXPECT_EQ(capture.At(75, 291), kWhiteRgb);
  EXPECT_EQ(capture.At(75, 293), kWhiteRgb);
  EXPECT_EQ(capture.At(49, 292), kWhiteRgb);
  EXPECT_EQ(capture.At(105, 292), kWhiteRgb);
}

TEST_F(PlayFieldTest, NoChordLineForOneLaneSeparateTimesACatchOrASilentChannel) {
  struct Case {
    const char* name;
    int lane2;
    int32_t time2;
    bool caught;
    bool rains;
  };
  const Case cases[] = {{"same lane", 10, 500, false, true},
                        {"later time", 20, 501, false, true},
                        {"one caught", 20, 500, true, true},
                        {"channel not raining", 20, 500, false, false}};
  for (const Case& c : cases) {
    song.Events.Clear();
    field->FirstLiveEvent = 0;
    field->RainChannels.fill(true);
    AddNote(1000, 500, 0, 60, 10);
    TMidiEventItemNoteOn* second = AddNote(1000, c.time2, 1, 64, c.lane2);
    second->Caught = c.caught;
    field->RainChannels[1] = c.rains;
    At(1, 900);
    ASSERT_TRUE(Draw());
    EXPECT_EQ(capture.At(75, 292), kWhiteRgb) << c.name;
    EXPECT_EQ(capture.At(52, 295), kCyanRgb) << c.name;  // the first drop is still there
  }
}

TEST_F(PlayFieldTest, SplashGrowsAroundAPointAboveTheBarAndFades) {
  TMidiEventItemNoteOn* note = AddNote(0, 1000, 0, 60, 60);  // centre x 302
  note->Caught = true;
  AddNote(100000, 60000, 0, 60, 60);  // far above the window
  At(1500, 100);  // 500 ms after the catch: half size 20, alpha 32
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->FirstLiveEvent, 0);
  EXPECT_TRUE(Near(capture.At(302, 390), 0xDFDFDFu));
  EXPECT_TRUE(Near(capture.At(283, 380), 0xDFDFDFu));
  EXPECT_TRUE(Near(capture.At(321, 416), 0xDFDFDFu));
  EXPECT_EQ(capture.At(280, 390), kWhiteRgb);
  EXPECT_EQ(capture.At(324, 390), kWhiteRgb);
  EXPECT_EQ(capture.At(302, 375), kWhiteRgb);

  At(1990, 100);  // 990 ms: full size, alpha 0
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(302, 390), kWhiteRgb);
  EXPECT_EQ(field->FirstLiveEvent, 0);

  At(2000, 100);  // one second: gone, and never visited again
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->FirstLiveEvent, 1);
}

TEST_F(PlayFieldTest, HiddenAndSuddenSplitTheFieldAtThreeHundred) {
  // Drop tops at 299 or 300 (chord lines at 301 or 302): pixel (52, top + 5)
  // shows the drop on lane 10, (75, top + 2) the line to lane 20.
  struct Case {
    bool hidden, sudden;
    int32_t top;
    bool dropShown, lineShown;
  };
  const Case cases[] = {
      {false, false, 299, true, true},  {false, false, 300, true, true},
      {true, false, 299, true, true},   {true, false, 300, false, false},
      {false, true, 299, false, false}, {false, true, 300, true, true},
      {true, true, 299, false, false},  {true, true, 300, false, false},
  };
  AddNote(1000, 500, 0, 60, 10);
  AddNote(1000, 500, 1, 64, 20);
  for (const Case& c : cases) {
    input.Hidden = c.hidden;
    input.Sudden = c.sudden;
    field->FirstLiveEvent = 0;
    At(1, 1000 - (390 - c.top));
    ASSERT_TRUE(Draw());
    const std::string name = std::string(c.hidden ? "HIDDEN " : "") + (c.sudden ? "SUDDEN " : "") + "top " +
                             std::to_string(c.top);
    EXPECT_EQ(capture.At(52, c.top + 5) == kCyanRgb, c.dropShown) << name;
    EXPECT_EQ(Near(capture.At(75, c.top + 2), kHalfBlackOnWhite), c.lineShown) << name;
  }
}

TEST_F(PlayFieldTest, ReadyPictureOnlyDuringTheCountIn) {
  Plain(graphics->ReadyTexture, 100, 40, 0xFFFFFFFFu);  // at (270, 220)
  At(0, 0);
  ASSERT_TRUE(Draw());
  EXPECT_TRUE(Near(capture.At(300, 230), kHalfBlackOnWhite));
  EXPECT_TRUE(Near(capture.At(270, 220), kHalfBlackOnWhite));
  EXPECT_EQ(capture.At(269, 230), kWhiteRgb);
  EXPECT_EQ(capture.At(370, 230), kWhiteRgb);
  At(1, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(300, 230), kWhiteRgb);
}

TEST_F(PlayFieldTest, RainPictureStandsAtTheRightEdgeOnlyInTheTutorial) {
  Plain(graphics->RainTexture, kRainWidth, 240, 0xFF000000u);  // stretched to 480 rows
  At(1, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(600, 100), kWhiteRgb);
  field->TutorialSong = true;
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(565, 100), 0u);
  EXPECT_EQ(capture.At(639, 470), 0u);
  EXPECT_EQ(capture.At(564, 100), kWhiteRgb);
}

TEST_F(PlayFieldTest, TutorialLinesSpreadOverTheSongAndAreRenderedOnlyWhenTheyChange) {
  field->TutorialSong = true;
  for (int i = 0; i < 10; ++i) field->TutorialLines.push_back("line " + std::to_string(i));
  At(0, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TutorialLineCache, "line 0");
  EXPECT_EQ(field->TextRenders(), 1);
  // Black text at (12, 420).
  bool dark = false;
  for (int y = 420; y < 440 && !dark; ++y) {
    for (int x = 12; x < 80 && !dark; ++x) dark = capture.At(x, y) != kWhiteRgb;
  }
  EXPECT_TRUE(dark);
  At(5999, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TextRenders(), 1);
  At(6000, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TutorialLineCache, "line 1");
  EXPECT_EQ(field->TextRenders(), 2);
  // Past the end while the game is still flagged as playing: the last line.
  At(60000, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TutorialLineCache, "line 9");
  At(65000, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TutorialLineCache, "line 9");
  EXPECT_EQ(field->TextRenders(), 3);
}

TEST_F(PlayFieldTest, TutorialWithoutScriptOrLengthStillDraws) {
  field->TutorialSong = true;
  song.EndTime = 0;
  At(500, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TextRenders(), 0);
  field->TutorialLines = {"only", "second"};
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TutorialLineCache, "only");
}

TEST_F(PlayFieldTest, EmptySongAndZeroDivisionDrawNoDrops) {
  At(1, 100);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->FirstLiveEvent, 0);
  AddNote(100, 100, 0, 60, 10);
  song.Division = 0;
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(52, 395), kWhiteRgb);
  EXPECT_EQ(field->FirstLiveEvent, 0);
}

TEST_F(PlayFieldTest, FirstLiveEventSkipsWhatCanNoLongerBeSeen) {
  AddNote(0, 0, 0, 60, 10);          // Y 1390: fallen out
  AddOther(10, 10);                  // no drop
  AddNote(900, 900, 0, 60, 11);      // Y 490: below the window
  AddNote(950, 950, 0, 60, 12);      // Y 440: visible
  AddNote(5000, 5000, 0, 60, 13);    // far above
  At(1000, 1000);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->FirstLiveEvent, 3);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->FirstLiveEvent, 3);
  // A first live event past the list (a shorter song loaded) is held inside it.
  field->FirstLiveEvent = 99;
  ASSERT_TRUE(Draw());
  EXPECT_LE(field->FirstLiveEvent, 4);
}

TEST_F(PlayFieldTest, LostDeviceDrawsNothing) {
  At(1, 0);
  ASSERT_TRUE(Draw());
  const int frames = capture.Frames;
  SoftwareD3DConfig().CooperativeLevel = D3DERR_DEVICELOST;
  EXPECT_FALSE(Draw());
  EXPECT_EQ(capture.Frames, frames);
  SoftwareD3DConfig().CooperativeLevel = D3D_OK;
  EXPECT_TRUE(Draw());
  EXPECT_EQ(capture.Frames, frames + 1);
}

}  // namespace
