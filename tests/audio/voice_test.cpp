#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "audio_test_support.h"
#include "platform/audio/voice_decoder.h"
#include "platform/audio/voice_player.h"

namespace {

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("pluv_voice_" + std::to_string(::getpid()) + "_" + name)).string();
}

std::unique_ptr<TVoiceBuffer> Constant(size_t frames, float value) {
  auto buffer = std::make_unique<TVoiceBuffer>();
  buffer->samples.assign(2 * frames, value);
  return buffer;
}

int ZeroCrossings(const std::vector<float>& interleaved, size_t first, size_t last) {
  int crossings = 0;
  for (size_t f = first + 1; f < last; ++f) {
    if ((interleaved[2 * (f - 1)] < 0) != (interleaved[2 * f] < 0)) ++crossings;
  }
  return crossings;
}

TEST(VoiceDecoderTest, MissingOrUnreadableFileGivesNothing) {
  EXPECT_EQ(DecodeVoiceFile("/nonexistent/uwa.wav", 48000), nullptr);
  const std::string junk = TempPath("junk.wav");
  FILE* f = std::fopen(junk.c_str(), "wb");
  std::fputs("RIFF\x04\x00\x00\x00WAVEjunk", f);
  std::fclose(f);
  EXPECT_EQ(DecodeVoiceFile(junk, 48000), nullptr);
  std::remove(junk.c_str());
}

TEST(VoiceDecoderTest, WavAtAnotherRateIsResampledToTheSameDuration) {
  const std::string path = TempPath("22k.wav");
  WriteSineWav(path, 22050, 1, 1.0, 441.0);
  auto buffer = DecodeVoiceFile(path, 48000);
  std::remove(path.c_str());
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->Frames(), 48000u);
  // Still 441 Hz: 882 zero crossings in a second, counted away from the edges.
  const int crossings = ZeroCrossings(buffer->samples, 4800, 43200);
  EXPECT_NEAR(crossings, 882 * 0.8, 2);
  // Mono is heard on both sides, at the level it was written.
  EXPECT_EQ(buffer->samples[2 * 1000], buffer->samples[2 * 1000 + 1]);
  double peak = 0;
  for (size_t f = 4800; f < 43200; ++f) peak = std::max(peak, static_cast<double>(std::fabs(buffer->samples[2 * f])));
  EXPECT_NEAR(peak, 0.5, 0.01);
}

TEST(VoiceDecoderTest, DownsamplingRemovesContentAboveTheNewNyquist) {
  // 18 kHz at 44.1 kHz cannot exist at 32 kHz (Nyquist 16 kHz): it must not alias down.
  const std::string path = TempPath("44k.wav");
  WriteSineWav(path, 44100, 2, 0.5, 18000.0);
  auto buffer = DecodeVoiceFile(path, 32000);
  std::remove(path.c_str());
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->Frames(), 16000u);
  double peak = 0;
  for (size_t i = 2 * 2000; i < 2 * 14000; ++i) peak = std::max(peak, static_cast<double>(std::fabs(buffer->samples[i])));
  EXPECT_LT(peak, 0.02);
}

TEST(VoiceDecoderTest, SameRateIsCopiedExactly) {
  std::vector<float> source = {0.1f, -0.1f, 0.2f, -0.2f, 0.3f, -0.3f};
  EXPECT_EQ(ResampleInterleaved(source, 2, 48000, 48000), source);
  EXPECT_TRUE(ResampleInterleaved(source, 0, 48000, 44100).empty());
  EXPECT_TRUE(ResampleInterleaved(source, 2, 0, 44100).empty());
}

TEST(VoicePlayerTest, PlaysToTheEndThenStops) {
  TVoicePlayer player;
  EXPECT_FALSE(player.Playing());
  player.Play(Constant(300, 0.5f));
  EXPECT_TRUE(player.Playing());
  std::vector<float> out(2 * 256, 0.0f);
  player.MixInto(out.data(), 256);
  EXPECT_FLOAT_EQ(out[511], 0.5f);
  EXPECT_TRUE(player.Playing());
  std::fill(out.begin(), out.end(), 0.0f);
  player.MixInto(out.data(), 256);
  EXPECT_FLOAT_EQ(out[2 * 43 + 1], 0.5f);
  EXPECT_FLOAT_EQ(out[2 * 44], 0.0f);
  EXPECT_FALSE(player.Playing());
}

TEST(VoicePlayerTest, ANewLineReplacesTheOnePlaying) {
  TVoicePlayer player;
  player.Play(Constant(1000, 0.5f));
  std::vector<float> out(2 * 100, 0.0f);
  player.MixInto(out.data(), 100);
  player.Play(Constant(1000, -0.25f));
  std::fill(out.begin(), out.end(), 0.0f);
  player.MixInto(out.data(), 100);
  EXPECT_FLOAT_EQ(out[0], -0.25f);
  // Lines replaced before the mixer saw them are dropped, never leaked.
  for (int i = 0; i < 50; ++i) player.Play(Constant(10, 0.1f));
  std::fill(out.begin(), out.end(), 0.0f);
  player.MixInto(out.data(), 100);
  EXPECT_FLOAT_EQ(out[0], 0.1f);
}

TEST(VoicePlayerTest, StopSilences) {
  TVoicePlayer player;
  player.Play(Constant(1000, 0.5f));
  std::vector<float> out(2 * 100, 0.0f);
  player.MixInto(out.data(), 100);
  player.Stop();
  std::fill(out.begin(), out.end(), 0.0f);
  player.MixInto(out.data(), 100);
  EXPECT_FLOAT_EQ(out[0], 0.0f);
  EXPECT_FALSE(player.Playing());
}

}  // namespace

TEST(VoiceDecoderTest, TabledAndDirectKernelsBothReproduceASine) {
  // 44100 -> 48000 uses the per-phase weight table; 44101 -> 48000 has too
  // many phases for it and evaluates the kernel directly. Both must follow
  // the ideal signal away from the edges.
  for (const unsigned sourceRate : {44100u, 44101u}) {
    const double frequency = 1000.0;
    std::vector<float> source(2 * sourceRate / 2);
    for (size_t f = 0; f < source.size() / 2; ++f) {
      const float v = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * f / sourceRate));
      source[2 * f] = v;
      source[2 * f + 1] = -v;
    }
    const std::vector<float> out = ResampleInterleaved(source, 2, sourceRate, 48000);
    ASSERT_EQ(out.size() / 2, static_cast<size_t>(source.size() / 2) * 48000 / sourceRate);
    double worst = 0.0;
    for (size_t j = 1000; j < out.size() / 2 - 1000; ++j) {
      const double ideal = 0.5 * std::sin(2.0 * M_PI * frequency * static_cast<double>(j) / 48000.0);
      worst = std::max(worst, std::fabs(out[2 * j] - ideal));
      worst = std::max(worst, std::fabs(out[2 * j + 1] + ideal));
    }
    EXPECT_LT(worst, 1e-3) << sourceRate;
  }
}

TEST(VoiceDecoderTest, ALineShorterThanTheWeightTableResamplesLikeTheStartOfALongOne) {
  // 44100 -> 48000 has 160 phases: 100 frames go through the direct kernel,
  // 4,410 through the table. Frames clear of the short line's end depend on
  // the same input and must agree.
  std::vector<float> source(2 * 4410);
  for (size_t f = 0; f < source.size() / 2; ++f) {
    source[2 * f] = static_cast<float>(0.5 * std::sin(0.07 * static_cast<double>(f)));
    source[2 * f + 1] = static_cast<float>(0.25 * std::cos(0.011 * static_cast<double>(f)));
  }
  const std::vector<float> shortLine(source.begin(), source.begin() + 2 * 100);
  const std::vector<float> tabled = ResampleInterleaved(source, 2, 44100, 48000);
  const std::vector<float> direct = ResampleInterleaved(shortLine, 2, 44100, 48000);
  ASSERT_EQ(direct.size(), 2u * 108);
  for (size_t i = 0; i < 2 * 80; ++i) EXPECT_NEAR(direct[i], tabled[i], 1e-5) << i;
}
