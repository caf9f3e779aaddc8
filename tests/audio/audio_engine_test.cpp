#include "platform/audio/audio_engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "audio_test_support.h"

namespace {

using namespace std::chrono_literals;
using TClock = TAudioEngine::TClock;

constexpr size_t kBuffer = 256;
constexpr std::uint8_t kNoteOn[] = {0x90, 60, 100};

// A virtual clock far from the real one, so nothing depends on when the test runs.
const TClock::time_point kT0 = TClock::time_point(1000s);

class AudioEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!engine.OpenSynthesizer()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  }

  // Renders seconds of sound from the virtual moment start, in stream-sized buffers.
  std::vector<float> Render(TClock::time_point start, double seconds) {
    const size_t frames = static_cast<size_t>(seconds * engine.SampleRate());
    std::vector<float> out(2 * frames);
    for (size_t done = 0; done < frames; done += kBuffer) {
      const size_t count = std::min(kBuffer, frames - done);
      const auto at = start + std::chrono::nanoseconds(static_cast<std::int64_t>(done) * 1'000'000'000 /
                                                       engine.SampleRate());
      EXPECT_TRUE(engine.RenderOffline(out.data() + 2 * done, count, at));
    }
    clock = start + std::chrono::nanoseconds(static_cast<std::int64_t>(frames) * 1'000'000'000 /
                                             engine.SampleRate());
    return out;
  }

  TAudioEngine engine{OfflineOptions()};
  TClock::time_point clock = kT0;
};

TEST(AudioEngineNoSoundFontTest, OpeningFailsAndMessagesAreRefused) {
  TAudioEngineOptions options;
  options.deviceOutput = false;
  options.soundFontPaths = {"/nonexistent/none.sf2", PLUV_TEST_DATA_DIR "/no-such.sf2"};
  TAudioEngine engine(options);
  EXPECT_FALSE(engine.OpenSynthesizer());
  EXPECT_FALSE(engine.SynthesizerReady());
  EXPECT_FALSE(engine.SendMidi(kNoteOn, 3, kT0));
  engine.ResetSynthesizer();  // harmless without a synthesizer
  std::vector<float> out(2 * kBuffer, 1.0f);
  ASSERT_TRUE(engine.RenderOffline(out.data(), kBuffer, kT0));
  EXPECT_EQ(Peak(out, 0, kBuffer), 0.0);
}

TEST(AudioEngineDeviceTest, DisabledOutputHasNoStreamButRequestedSettings) {
  TAudioEngine engine(OfflineOptions());
  engine.EnsureOutput();
  EXPECT_FALSE(engine.StreamRunning());
  EXPECT_FALSE(engine.StreamAbsentReason().empty());
  const TStreamSettings settings = engine.StreamSettings();
  EXPECT_EQ(settings.sampleRate, 48000u);
  EXPECT_EQ(settings.bufferFrames, 256u);
  // The delay covers one timer step and one buffer.
  EXPECT_GE(engine.SchedulingDelay(), TAudioEngine::kTimerStep + 5333us);
}

TEST_F(AudioEngineTest, SilenceWithoutMessages) {
  auto out = Render(kT0, 0.2);
  EXPECT_LT(Peak(out, 0, out.size() / 2), 1e-6);
}

TEST_F(AudioEngineTest, NoteOnSoundsAndResetSilences) {
  ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, kT0));
  auto sounding = Render(kT0, 0.3);
  EXPECT_GT(Peak(sounding, 0, sounding.size() / 2), 0.01);
  engine.ResetSynthesizer();
  // The reverb's tail dies away within the first second after the reset.
  auto after = Render(clock, 1.5);
  const size_t frames = after.size() / 2;
  EXPECT_LT(Peak(after, frames - frames / 3, frames), 1e-4);
}

TEST_F(AudioEngineTest, NoteStartsAtTheBlockOfItsDueTimePlusTheDelay) {
  const std::uint64_t before = engine.RenderedFrames();
  const auto due = kT0 + 37ms + 123us;
  ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, due));
  auto out = Render(kT0, 0.2);
  const double rate = engine.SampleRate();
  const double exactFrame = std::chrono::duration<double>(due + engine.SchedulingDelay() - kT0).count() * rate;
  // FluidSynth applies messages at its 64-frame block boundaries: the nearest one.
  const std::int64_t absolute = static_cast<std::int64_t>(before) + static_cast<std::int64_t>(std::llround(exactFrame));
  const std::int64_t block = TSynthesizer::kBlockFrames;
  const std::int64_t boundary = (absolute + block / 2) / block * block - static_cast<std::int64_t>(before);
  const size_t onset = Onset(out);
  EXPECT_GE(static_cast<std::int64_t>(onset), boundary);
  EXPECT_LT(static_cast<std::int64_t>(onset), boundary + block);
  EXPECT_LE(std::fabs(static_cast<double>(boundary) - exactFrame), block / 2.0 + 1);
}

TEST_F(AudioEngineTest, BufferSizeDoesNotMoveTheOnset) {
  // Same message, rendered once in 256-frame and once in odd-sized buffers:
  // the onset stays on the same frame.
  TAudioEngine other(OfflineOptions());
  ASSERT_TRUE(other.OpenSynthesizer());
  const auto due = kT0 + 20ms;
  ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, due));
  ASSERT_TRUE(other.SendMidi(kNoteOn, 3, due));
  auto regular = Render(kT0, 0.1);
  std::vector<float> odd(regular.size());
  const size_t frames = odd.size() / 2;
  constexpr size_t kOddBuffer = 97;
  for (size_t done = 0; done < frames; done += kOddBuffer) {
    const size_t count = std::min(kOddBuffer, frames - done);
    ASSERT_TRUE(other.RenderOffline(odd.data() + 2 * done, count,
                                    kT0 + std::chrono::nanoseconds(static_cast<std::int64_t>(done) * 1'000'000'000 /
                                                                   other.SampleRate())));
  }
  EXPECT_EQ(Onset(regular), Onset(odd));
}

TEST_F(AudioEngineTest, LateMessageStartsInTheNextBuffer) {
  // Due long before the rendered time: it cannot be early, it starts at once.
  auto first = Render(kT0, 0.1);
  ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, kT0 - 10s));
  auto second = Render(clock, 0.1);
  EXPECT_LT(Onset(second), static_cast<size_t>(TSynthesizer::kBlockFrames));
}

TEST_F(AudioEngineTest, ResetDropsMessagesNotYetPlayed) {
  ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, kT0 + 100ms));
  engine.ResetSynthesizer();
  auto out = Render(kT0, 0.3);
  EXPECT_LT(Peak(out, 0, out.size() / 2), 1e-6);
  // Messages sent after the reset play again.
  ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, clock));
  auto later = Render(clock, 0.2);
  EXPECT_GT(Peak(later, 0, later.size() / 2), 0.01);
}

TEST_F(AudioEngineTest, ResetMessagesReachTheSynthesizer) {
  // Volume 0 silences channel 0; GM System On, a GS reset and XG System On
  // each restore the default volume.
  const std::uint8_t volumeZero[] = {0xB0, 7, 0};
  const std::vector<std::vector<std::uint8_t>> resets = {
      {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
      {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
      {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7},
  };
  for (const auto& reset : resets) {
    ASSERT_TRUE(engine.SendMidi(volumeZero, 3, clock));
    ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, clock));
    auto muted = Render(clock, 0.2);
    EXPECT_LT(Peak(muted, 0, muted.size() / 2), 1e-4);
    ASSERT_TRUE(engine.SendMidi(reset.data(), reset.size(), clock));
    ASSERT_TRUE(engine.SendMidi(kNoteOn, 3, clock));
    auto audible = Render(clock, 0.2);
    EXPECT_GT(Peak(audible, 0, audible.size() / 2), 0.01) << "reset message of " << reset.size() << " bytes";
    engine.ResetSynthesizer();
    Render(clock, 1.0);
  }
}

TEST_F(AudioEngineTest, OfflineRenderingIsDeterministic) {
  TAudioEngine other(OfflineOptions());
  ASSERT_TRUE(other.OpenSynthesizer());
  const std::uint8_t program[] = {0xC0, 48};
  for (TAudioEngine* e : {&engine, &other}) {
    ASSERT_TRUE(e->SendMidi(program, 2, kT0));
    ASSERT_TRUE(e->SendMidi(kNoteOn, 3, kT0 + 3ms));
  }
  auto a = Render(kT0, 0.2);
  std::vector<float> b(a.size());
  for (size_t done = 0; done < b.size() / 2; done += kBuffer) {
    ASSERT_TRUE(other.RenderOffline(b.data() + 2 * done, std::min(kBuffer, b.size() / 2 - done),
                                    kT0 + std::chrono::nanoseconds(static_cast<std::int64_t>(done) * 1'000'000'000 /
                                                                   48000)));
  }
  EXPECT_EQ(a, b);
  EXPECT_GT(Peak(a, 0, a.size() / 2), 0.01);
}

TEST_F(AudioEngineTest, VoiceIsMixedIntoTheOutput) {
  auto voice = std::make_unique<TVoiceBuffer>();
  voice->samples.assign(2 * 100, 0.25f);
  engine.Voice().Play(std::move(voice));
  auto out = Render(kT0, 0.01);
  // The idle synthesizer adds only its tiny anti-denormal noise.
  EXPECT_NEAR(out[0], 0.25f, 1e-6);
  EXPECT_NEAR(out[199], 0.25f, 1e-6);
  EXPECT_NEAR(out[200], 0.0f, 1e-6);
  EXPECT_FALSE(engine.Voice().Playing());
}

}  // namespace
