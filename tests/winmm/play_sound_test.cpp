#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "platform/audio/audio_engine.h"
#include "platform/winmm/mmsystem.h"
#include "platform/winmm/play_sound.h"
#include "winmm_test_support.h"

namespace {

namespace fs = std::filesystem;

void WriteWav(const fs::path& path, int rate, double seconds) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr);
  const int frames = static_cast<int>(rate * seconds);
  std::vector<float> samples(static_cast<size_t>(frames));
  for (int f = 0; f < frames; ++f) samples[static_cast<size_t>(f)] = static_cast<float>(0.5 * std::sin(2 * M_PI * 440.0 * f / rate));
  sf_writef_float(file, samples.data(), frames);
  sf_close(file);
}

class PlaySoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseOfflineAudio();
    previous = fs::current_path();
    directory = fs::temp_directory_path() / ("pluv_play_sound_" + std::to_string(::getpid()));
    fs::create_directories(directory / "wav");
    fs::current_path(directory);
  }
  void TearDown() override {
    sndPlaySoundA(nullptr, 0);
    fs::current_path(previous);
    fs::remove_all(directory);
  }

  // Frames of the voice heard when rendering seconds offline.
  size_t HeardFrames(double seconds) {
    TAudioEngine& engine = TAudioEngine::Global();
    const size_t frames = static_cast<size_t>(seconds * engine.SampleRate());
    std::vector<float> out(2 * frames);
    EXPECT_TRUE(engine.RenderOffline(out.data(), frames, TMidiDueTime(std::chrono::seconds(10))));
    size_t last = 0;
    for (size_t f = 0; f < frames; ++f) {
      if (std::fabs(out[2 * f]) > 1e-3) last = f + 1;
    }
    return last;
  }

  fs::path previous;
  fs::path directory;
};

TEST_F(PlaySoundTest, MissingFilePlaysNothingAndReturnsFalse) {
  TPlayedSoundRecorder recorder;
  EXPECT_EQ(sndPlaySoundA("wav\\missing.wav", SND_ASYNC), FALSE);
  EXPECT_FALSE(TAudioEngine::Global().Voice().Playing());
  EXPECT_EQ(recorder.Names(), std::vector<std::string>{"wav\\missing.wav"});
}

TEST_F(PlaySoundTest, UnsupportedFlagsReturnFalse) {
  WriteWav(directory / "wav" / "a.wav", 48000, 0.1);
  EXPECT_EQ(sndPlaySoundA("wav\\a.wav", SND_ASYNC | SND_MEMORY), FALSE);
  EXPECT_EQ(sndPlaySoundA("wav\\a.wav", SND_ASYNC | SND_LOOP), FALSE);
}

TEST_F(PlaySoundTest, WindowsPathIsFoundRelativeToTheCurrentDirectoryAndResampled) {
  WriteWav(directory / "wav" / "uwa.wav", 22050, 0.5);
  TPlayedSoundRecorder recorder;
  ASSERT_EQ(sndPlaySoundA("wav\\uwa.wav", SND_ASYNC), TRUE);
  EXPECT_TRUE(TAudioEngine::Global().Voice().Playing());
  const size_t heard = HeardFrames(1.0);
  // Half a second at the engine's rate, give or take the last quiet samples of the sine.
  EXPECT_NEAR(static_cast<double>(heard), 0.5 * TAudioEngine::Global().SampleRate(), 48.0);
  ASSERT_EQ(recorder.Calls().size(), 1u);
  EXPECT_EQ(recorder.Calls()[0].Flags, SND_ASYNC);
}

TEST_F(PlaySoundTest, NewLineReplacesTheOnePlayingAndNullStops) {
  WriteWav(directory / "wav" / "long.wav", 48000, 2.0);
  WriteWav(directory / "wav" / "short.wav", 48000, 0.25);
  ASSERT_EQ(sndPlaySoundA("wav\\long.wav", SND_ASYNC), TRUE);
  ASSERT_EQ(sndPlaySoundA("wav\\short.wav", SND_ASYNC), TRUE);
  EXPECT_NEAR(static_cast<double>(HeardFrames(1.0)), 0.25 * 48000, 48.0);
  ASSERT_EQ(sndPlaySoundA("wav\\long.wav", SND_ASYNC), TRUE);
  EXPECT_EQ(sndPlaySoundA(nullptr, 0), TRUE);
  EXPECT_EQ(HeardFrames(0.5), 0u);
}

TEST_F(PlaySoundTest, NoStopKeepsALinePlaying) {
  WriteWav(directory / "wav" / "a.wav", 48000, 1.0);
  ASSERT_EQ(sndPlaySoundA("wav\\a.wav", SND_ASYNC), TRUE);
  EXPECT_EQ(sndPlaySoundA("wav\\a.wav", SND_ASYNC | SND_NOSTOP), FALSE);
}

TEST_F(PlaySoundTest, RecorderSeesEveryCallOnlyWhileItExists) {
  sndPlaySoundA("wav\\before.wav", SND_ASYNC);
  std::vector<std::string> names;
  {
    TPlayedSoundRecorder recorder;
    sndPlaySoundA("wav\\HajimeC@08.wav", SND_ASYNC);
    sndPlaySoundA("wav\\IkuyoA@08.wav", SND_ASYNC);
    names = recorder.Names();
  }
  sndPlaySoundA("wav\\after.wav", SND_ASYNC);
  EXPECT_EQ(names, (std::vector<std::string>{"wav\\HajimeC@08.wav", "wav\\IkuyoA@08.wav"}));
}

}  // namespace
