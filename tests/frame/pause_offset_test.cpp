// The play field of a paused game and with a timing offset: the field dimmed
// under the pause picture, the ready picture while it counts in again, and
// drops drawn where the song stood the offset earlier.
#include <gtest/gtest.h>

#include <cmath>

#include "frame_fixture.h"
#include "game/frame/drawn_position.h"

namespace {

constexpr uint32_t kHalfBlackOnWhite = 0x7F7F7Fu;
constexpr int32_t kTempo = 500000;  // 120 bpm
constexpr int32_t kDivision = 500;  // one tick per millisecond at that tempo

TEST(DrawnPositionTest, NoOffsetIsThePositionItself) {
  const TDrawnPosition p = DrawnPosition(1234, 777, 0, kDivision, kTempo);
  EXPECT_EQ(p.PositionMs, 1234);
  EXPECT_EQ(p.PositionTicks, 777);
}

TEST(DrawnPositionTest, TheOffsetMovesBackInMillisecondsAndInTicksAtTheTempoInForce) {
  // 480 ticks a quarter at 120 bpm: 0.96 ticks a millisecond.
  TDrawnPosition p = DrawnPosition(1000, 960, 100, 480, kTempo);
  EXPECT_EQ(p.PositionMs, 900);
  EXPECT_EQ(p.PositionTicks, 864);
  // A negative offset draws ahead; twice the tempo (60 bpm) halves the ticks.
  p = DrawnPosition(1000, 960, -100, 480, 2 * kTempo);
  EXPECT_EQ(p.PositionMs, 1100);
  EXPECT_EQ(p.PositionTicks, 1008);
  // Nothing to turn milliseconds into ticks with: the ticks stay.
  p = DrawnPosition(1000, 960, 50, 480, 0);
  EXPECT_EQ(p.PositionMs, 950);
  EXPECT_EQ(p.PositionTicks, 960);
  p = DrawnPosition(1000, 960, 50, 0, kTempo);
  EXPECT_EQ(p.PositionTicks, 960);
  // Far ends saturate instead of wrapping onto the screen.
  p = DrawnPosition(INT32_MIN + 10, INT32_MIN + 10, 200, kDivision, 1);
  EXPECT_EQ(p.PositionMs, INT32_MIN);
  EXPECT_EQ(p.PositionTicks, INT32_MIN);
}

TEST(DrawnPositionTest, AFrameMakesUpForTheAgeOfTheLastStepOnlyWithAnOffset) {
  EXPECT_EQ(FrameOffsetSongMs(0, 3.0, 1.0), 0);  // the designed drawing
  EXPECT_EQ(FrameOffsetSongMs(20, 3.0, 1.0), 17);
  EXPECT_EQ(FrameOffsetSongMs(20, 3.0, 1.5), 26);   // 25.5 in song time, rounded away from zero
  EXPECT_EQ(FrameOffsetSongMs(20, 100.0, 1.0), 15);  // never more than one step period
  EXPECT_EQ(FrameOffsetSongMs(20, -4.0, 1.0), 20);   // a step from the future counts as none
  EXPECT_EQ(FrameOffsetSongMs(-30, 2.0, 0.5), -16);
  EXPECT_EQ(FrameOffsetSongMs(20, std::nan(""), 0.0), 20);
}

class PauseOffsetTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    PlainPictures();
    input.Playing = true;
    input.MouseX = 600;
    song.Division = kDivision;
    song.Tempo = kTempo;
    song.EndTime = 60000;
    // A drop caught long ago (its splash fading), drops on several lanes and
    // heights, a chord among them.
    AddNote(300, 300, 0, 59, 100);
    AddNote(1000, 1000, 0, 60, 10);
    AddNote(1200, 1200, 0, 62, 20);
    AddNote(1200, 1200, 0, 64, 40);
    AddNote(1500, 1500, 0, 65, 60);
    AddNote(2100, 2100, 0, 67, 80);
  }
  std::vector<uint32_t> Frame(int32_t ms, int32_t offsetMs) {
    field->FirstLiveEvent = 0;
    At(ms, ms);  // one tick a millisecond
    input.OffsetSongMs = offsetMs;
    EXPECT_TRUE(Draw());
    return capture.Pixels;
  }
};

TEST_F(PauseOffsetTest, WithAnOffsetTheFieldIsTheFieldOfThatMuchEarlier) {
  // The caught drop landed long before both moments: a splash in both.
  static_cast<TMidiEventItemNoteOn*>(song.Events[0])->Caught = true;
  ASSERT_LT(song.Events[0]->Time, 1100 - 125);
  for (int32_t offset : {40, 125, -60}) {
    const std::vector<uint32_t> shifted = Frame(1100, offset);
    const std::vector<uint32_t> reference = Frame(1100 - offset, 0);
    EXPECT_EQ(shifted, reference) << "offset " << offset;
  }
  // And it does move the drops: not the same frame as without the offset.
  EXPECT_NE(Frame(1100, 40), Frame(1100, 0));
}

TEST_F(PauseOffsetTest, ADropCaughtBeforeItsDrawnLandingIsStillFalling) {
  // Caught by the clock at 1200 ms; with 80 ms of offset it is drawn 1120 ms
  // into the song, where that drop has not reached the bar yet.
  auto* first = static_cast<TMidiEventItemNoteOn*>(song.Events[2]);
  auto* second = static_cast<TMidiEventItemNoteOn*>(song.Events[3]);
  ASSERT_EQ(first->Time, 1200);
  first->Caught = second->Caught = true;
  const std::vector<uint32_t> caughtEarly = Frame(1200, 80);
  first->Caught = second->Caught = false;
  const std::vector<uint32_t> notCaught = Frame(1120, 0);
  EXPECT_EQ(caughtEarly, notCaught);
  // Once the drawn song has passed it, the splash shows.
  Frame(1400, 80);
  EXPECT_EQ(capture.At(20 * 5 + 2, 397), kWhiteRgb);  // gone below the bar, silent
  first->Caught = true;
  Frame(1400, 80);                                     // 120 ms after its drawn landing
  EXPECT_NE(capture.At(20 * 5 + 2, 397), kWhiteRgb);  // the splash
}

TEST_F(PauseOffsetTest, APausedFieldIsDimmedUnderThePausePicture) {
  Plain(field->PauseTexture(), 100, 40, 0xFFFFFFFFu);  // at (270, 220)
  input.Pause = TPauseState::None;
  const std::vector<uint32_t> playing = Frame(1100, 0);
  input.Pause = TPauseState::Paused;
  Frame(1100, 0);
  // White field under half black; the drop of lane 10 (cyan) darkened too.
  ASSERT_EQ(song.Events[1]->Time, 1000);
  EXPECT_TRUE(Near(capture.At(5, 5), kHalfBlackOnWhite));
  const int32_t dropTop = static_cast<int32_t>(TPlayField::DropY(1100, 1000, 100, kDivision, kBallHeight));
  EXPECT_EQ(playing[static_cast<size_t>(dropTop + 2) * 640 + 52] & 0xFFFFFFu, kCyanRgb);
  EXPECT_TRUE(Near(capture.At(52, dropTop + 2), 0x007F7Fu));
  // The pause picture in the middle, in white over the dimmed field.
  EXPECT_EQ(capture.At(300, 230), kWhiteRgb);
  EXPECT_EQ(capture.At(270, 220), kWhiteRgb);
  EXPECT_TRUE(Near(capture.At(269, 230), kHalfBlackOnWhite));
  // No ready picture while paused.
  Plain(graphics->ReadyTexture, 100, 40, 0xFFFFFFFFu);
  Frame(1100, 0);
  EXPECT_EQ(capture.At(300, 230), kWhiteRgb);
}

TEST_F(PauseOffsetTest, ResumingShowsTheReadyPictureOverTheUndimmedField) {
  Plain(graphics->ReadyTexture, 100, 40, 0xFFFFFFFFu);
  Plain(field->PauseTexture(), 100, 40, 0xFFFFFFFFu);
  input.Pause = TPauseState::Resuming;
  Frame(1100, 0);
  EXPECT_TRUE(Near(capture.At(300, 230), kHalfBlackOnWhite));  // the ready picture, tinted half black
  EXPECT_EQ(capture.At(5, 5), kWhiteRgb);                       // not dimmed
  input.Pause = TPauseState::None;
  Frame(1100, 0);
  EXPECT_EQ(capture.At(300, 230), kWhiteRgb);
}

}  // namespace
