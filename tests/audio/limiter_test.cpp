// The mix's peak limiter on its own (the ceiling holds for any input, a quiet
// signal passes untouched, the gain recovers) and in the engine (a dense song
// at velocity 127 stays below full scale, the volumes scale music and voice).
#include "platform/audio/limiter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "audio_test_support.h"
#include "platform/audio/audio_engine.h"

namespace {

using namespace std::chrono_literals;
using TClock = TAudioEngine::TClock;

constexpr unsigned kRate = 48000;
constexpr float kCeiling = 0.9f;
constexpr double kRelease = 0.05;

std::vector<float> NoiseBursts(size_t frames, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  std::uniform_real_distribution<float> level(0.05f, 8.0f);
  std::vector<float> out(2 * frames);
  float current = 1.0f;
  for (size_t f = 0; f < frames; ++f) {
    if (f % 97 == 0) current = level(random);  // the loudness jumps every 97 frames
    out[2 * f] = current * sample(random);
    out[2 * f + 1] = current * sample(random);
  }
  return out;
}

double LargestMagnitude(const std::vector<float>& buffer) {
  double peak = 0.0;
  for (float v : buffer) peak = std::max(peak, static_cast<double>(std::fabs(v)));
  return peak;
}

TEST(LimiterTest, NoSampleExceedsTheCeilingWhateverComesIn) {
  for (size_t lookAhead : {size_t{0}, size_t{16}, TLimiter::kMaxLookAheadFrames}) {
    TLimiter limiter(kCeiling, lookAhead, kRelease);
    limiter.Reset(kRate);
    auto buffer = NoiseBursts(kRate, static_cast<unsigned>(lookAhead) + 1);
    // Odd block sizes: the state carries over from one call to the next.
    for (size_t done = 0, block = 1; done < buffer.size() / 2; done += block, block = block * 7 % 301 + 1) {
      limiter.Process(buffer.data() + 2 * done, std::min(block, buffer.size() / 2 - done));
    }
    EXPECT_LE(LargestMagnitude(buffer), kCeiling * (1.0 + 1e-5)) << "look-ahead " << lookAhead;
    EXPECT_GT(LargestMagnitude(buffer), kCeiling * 0.9) << "the loud parts stay loud";
  }
}

TEST(LimiterTest, QuietSignalPassesUnchangedAfterTheLookAhead) {
  for (size_t lookAhead : {size_t{0}, size_t{16}}) {
    TLimiter limiter(kCeiling, lookAhead, kRelease);
    limiter.Reset(kRate);
    std::vector<float> input(2 * 1000);
    for (size_t i = 0; i < input.size(); ++i) input[i] = 0.8f * static_cast<float>(std::sin(0.01 * static_cast<double>(i)));
    auto output = input;
    limiter.Process(output.data(), output.size() / 2);
    for (size_t f = 0; f < lookAhead; ++f) EXPECT_EQ(output[2 * f], 0.0f);
    for (size_t f = lookAhead; f < input.size() / 2; ++f) {
      ASSERT_EQ(output[2 * f], input[2 * (f - lookAhead)]) << "frame " << f;
      ASSERT_EQ(output[2 * f + 1], input[2 * (f - lookAhead) + 1]) << "frame " << f;
    }
    EXPECT_EQ(limiter.CurrentGain(), 1.0f);
  }
}

TEST(LimiterTest, GainComesBackWithTheReleaseTime) {
  TLimiter limiter(kCeiling, 0, kRelease);
  limiter.Reset(kRate);
  std::vector<float> loud(2 * 10, 4.0f);
  limiter.Process(loud.data(), 10);
  EXPECT_NEAR(limiter.CurrentGain(), kCeiling / 4.0f, 1e-6);
  std::vector<float> quiet(2 * static_cast<size_t>(kRelease * kRate), 0.1f);
  limiter.Process(quiet.data(), quiet.size() / 2);
  // One release time brings it 1 - 1/e of the way back.
  const float expected = 1.0f - (1.0f - kCeiling / 4.0f) * static_cast<float>(std::exp(-1.0));
  EXPECT_NEAR(limiter.CurrentGain(), expected, 0.01);
  std::vector<float> more(2 * static_cast<size_t>(10 * kRelease * kRate), 0.1f);
  limiter.Process(more.data(), more.size() / 2);
  EXPECT_GT(limiter.CurrentGain(), 0.999f);
}

class MixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!engine.OpenSynthesizer()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  }
  std::vector<float> Render(double seconds) {
    const size_t frames = static_cast<size_t>(seconds * engine.SampleRate());
    std::vector<float> out(2 * frames);
    constexpr size_t kBuffer = 256;
    for (size_t done = 0; done < frames; done += kBuffer) {
      const size_t count = std::min(kBuffer, frames - done);
      EXPECT_TRUE(engine.RenderOffline(out.data() + 2 * done, count, clock));
      clock += std::chrono::nanoseconds(static_cast<std::int64_t>(count) * 1'000'000'000 / engine.SampleRate());
    }
    return out;
  }
  void Send(std::initializer_list<std::uint8_t> bytes) {
    const std::vector<std::uint8_t> message(bytes);
    ASSERT_TRUE(engine.SendMidi(message.data(), message.size(), clock));
  }

  TAudioEngine engine{OfflineOptions()};
  TClock::time_point clock = TClock::time_point(3000s);
};

TEST_F(MixTest, DenseVelocity127SongNeverReachesFullScale) {
  constexpr int kChannels = 16;
  for (std::uint8_t channel = 0; channel < kChannels; ++channel) {
    Send({static_cast<std::uint8_t>(0xB0 | channel), 7, 127});
    Send({static_cast<std::uint8_t>(0xB0 | channel), 11, 127});
    Send({static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(channel * 8)});
  }
  double loudest = 0.0;
  for (int beat = 0; beat < 8; ++beat) {
    for (std::uint8_t channel = 0; channel < kChannels; ++channel) {
      for (std::uint8_t key : {36, 43, 48, 55, 60, 67}) {
        Send({static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key + channel % 5), 127});
      }
    }
    const auto out = Render(0.25);
    loudest = std::max(loudest, LargestMagnitude(out));
  }
  EXPECT_LE(loudest, TAudioEngine::kMusicCeiling * (1.0 + 1e-5));
  EXPECT_GT(loudest, 0.5);
}

TEST_F(MixTest, VolumesScaleMusicAndVoiceAndSilenceAtZero) {
  TAudioEngine half(OfflineOptions());
  ASSERT_TRUE(half.OpenSynthesizer());
  half.SetMusicVolume(0.5f);
  const std::uint8_t noteOn[] = {0x90, 60, 90};
  ASSERT_TRUE(engine.SendMidi(noteOn, 3, clock));
  ASSERT_TRUE(half.SendMidi(noteOn, 3, clock));
  const auto full = Render(0.3);
  std::vector<float> halved(full.size());
  ASSERT_TRUE(half.RenderOffline(halved.data(), halved.size() / 2, clock - 300ms));
  // Rendered in one buffer instead of many, the first glide aside, every
  // sample is half as loud.
  for (size_t i = 2 * 256; i < full.size(); i += 101) EXPECT_NEAR(halved[i], 0.5f * full[i], 1e-5) << i;

  engine.SetMusicVolume(0.0f);
  engine.SetVoiceVolume(0.25f);
  auto voice = std::make_unique<TVoiceBuffer>();
  voice->samples.assign(2 * 4800, 0.5f);
  engine.Voice().Play(std::move(voice));
  ASSERT_TRUE(engine.SendMidi(noteOn, 3, clock));
  const auto muted = Render(0.1);
  // After the glide only the voice is left, at a quarter.
  for (size_t i = 2 * 256; i < 2 * 4800; i += 37) EXPECT_NEAR(muted[i], 0.125f, 1e-6) << i;
  EXPECT_FLOAT_EQ(engine.MusicVolume(), 0.0f);
  engine.SetVoiceVolume(7.0f);  // out of range: clamped
  EXPECT_FLOAT_EQ(engine.VoiceVolume(), 1.0f);
}

}  // namespace
