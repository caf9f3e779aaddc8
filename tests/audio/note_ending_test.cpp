// How notes end: the synthesizer's reset releases them as their own note-offs
// would, and the GS resets (the reset and the system mode set) reinitialise
// the synthesizer so that a song never inherits the programs of the last one.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "audio_test_support.h"
#include "platform/audio/audio_engine.h"

namespace {

using namespace std::chrono_literals;
using TClock = TAudioEngine::TClock;

constexpr size_t kBuffer = 256;
const TClock::time_point kT0 = TClock::time_point(2000s);
constexpr std::uint8_t kStrings[] = {0xC0, 48};
constexpr std::uint8_t kSustainOn[] = {0xB0, 64, 127};
constexpr std::uint8_t kNoteOn[] = {0x90, 60, 100};
constexpr std::uint8_t kNoteOff[] = {0x80, 60, 64};
constexpr std::uint8_t kGsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr std::uint8_t kGsModeSingle[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7};
constexpr std::uint8_t kGsModeDouble[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x01, 0x00, 0xF7};
// Address 00 00 7F with any other mode is not a mode set: nothing resets.
constexpr std::uint8_t kGsModeUnknown[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x05, 0x7C, 0xF7};

// One offline engine and its virtual clock.
struct TOfflineEngine {
  TAudioEngine engine{OfflineOptions()};
  TClock::time_point clock = kT0;

  std::vector<float> Render(double seconds) {
    const size_t frames = static_cast<size_t>(seconds * engine.SampleRate());
    std::vector<float> out(2 * frames);
    for (size_t done = 0; done < frames; done += kBuffer) {
      const size_t count = std::min(kBuffer, frames - done);
      EXPECT_TRUE(engine.RenderOffline(out.data() + 2 * done, count, clock));
      clock += std::chrono::nanoseconds(static_cast<std::int64_t>(count) * 1'000'000'000 / engine.SampleRate());
    }
    return out;
  }
  void Send(const std::uint8_t* bytes, size_t length) { ASSERT_TRUE(engine.SendMidi(bytes, length, clock)); }
};

double RmsDb(const std::vector<float>& buffer, size_t firstFrame, size_t lastFrame) {
  double sum = 0.0;
  for (size_t i = 2 * firstFrame; i < 2 * lastFrame; ++i) sum += static_cast<double>(buffer[i]) * buffer[i];
  return 10.0 * std::log10(sum / static_cast<double>(2 * (lastFrame - firstFrame)) + 1e-20);
}

class NoteEndingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!reset.engine.OpenSynthesizer() || !noteOff.engine.OpenSynthesizer()) {
      GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
  }
  size_t Ms(double ms) const { return static_cast<size_t>(ms * reset.engine.SampleRate() / 1000.0); }

  TOfflineEngine reset;
  TOfflineEngine noteOff;
};

TEST_F(NoteEndingTest, ResetReleasesHeldNotesLikeTheirNoteOffs) {
  for (TOfflineEngine* e : {&reset, &noteOff}) {
    e->Send(kStrings, sizeof kStrings);
    e->Send(kNoteOn, sizeof kNoteOn);
    e->Render(0.5);
  }
  // The same moment, once as the game's Stop does it and once by the note's own note-off.
  reset.engine.ResetSynthesizer();
  noteOff.Send(kNoteOff, sizeof kNoteOff);
  const auto released = reset.Render(3.0);
  const auto reference = noteOff.Render(3.0);
  // One to six milliseconds after the reset, and later on, the note sounds as
  // loud as its natural release does; a cut leaves only the reverb.
  for (double fromMs : {1.0, 50.0, 200.0}) {
    EXPECT_NEAR(RmsDb(released, Ms(fromMs), Ms(fromMs + 5)), RmsDb(reference, Ms(fromMs), Ms(fromMs + 5)), 3.0)
        << fromMs << " ms after the reset";
  }
  // And it does die away, reverb and all.
  const size_t frames = released.size() / 2;
  EXPECT_LT(RmsDb(released, frames - Ms(100), frames), RmsDb(released, Ms(1), Ms(6)) - 50.0);
}

TEST_F(NoteEndingTest, ResetLiftsTheSustainPedalSoPedalledNotesEndToo) {
  reset.Send(kStrings, sizeof kStrings);
  reset.Send(kSustainOn, sizeof kSustainOn);
  reset.Send(kNoteOn, sizeof kNoteOn);
  reset.Send(kNoteOff, sizeof kNoteOff);  // held by the pedal
  const auto held = reset.Render(0.5);
  reset.engine.ResetSynthesizer();
  const auto after = reset.Render(1.5);
  const size_t frames = after.size() / 2;
  EXPECT_GT(RmsDb(held, Ms(400), Ms(500)), -60.0);
  EXPECT_LT(RmsDb(after, frames - Ms(100), frames), RmsDb(held, Ms(400), Ms(500)) - 40.0);
}

// After a program change on channel 0, a reset message followed by a note
// must sound exactly like the same note after the GS reset; a message that is
// no reset leaves the program in place.
TEST_F(NoteEndingTest, GsSystemModeSetResetsLikeTheGsReset) {
  auto play = [](const std::uint8_t* message, size_t length) {
    TOfflineEngine e;
    if (!e.engine.OpenSynthesizer()) return std::vector<float>();
    e.Send(kStrings, sizeof kStrings);
    e.Render(0.1);
    e.Send(message, length);
    e.Send(kNoteOn, sizeof kNoteOn);
    return e.Render(0.3);
  };
  const auto afterGsReset = play(kGsReset, sizeof kGsReset);
  ASSERT_FALSE(afterGsReset.empty());
  EXPECT_EQ(play(kGsModeSingle, sizeof kGsModeSingle), afterGsReset);
  EXPECT_EQ(play(kGsModeDouble, sizeof kGsModeDouble), afterGsReset);
  const auto unknown = play(kGsModeUnknown, sizeof kGsModeUnknown);
  EXPECT_NE(unknown, afterGsReset);
  EXPECT_GT(Peak(unknown, 0, unknown.size() / 2), 0.01);
}

}  // namespace
