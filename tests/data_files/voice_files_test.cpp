// The character's voice lines as the game finds them beside the executable:
// the ten cue names, each a short, audible 16-bit PCM WAV file.
#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Every file the game cues, by the names it plays them with.
const std::vector<std::string> kVoiceNames = {
    "OniichanA@08.wav", "kyoumoyoroshiku.wav", "Mattetandayo.wav", "Arigatou.wav",
    "HajimeC@08.wav",   "IkuyoA@08.wav",       "uwa.wav",          "SyuuryouC@08.wav",
    "kyaha.wav",        "KaerunoA@08.wav",
};

constexpr double kMaxSeconds = 4.0;
// A line shorter than this can hold no word.
constexpr double kMinSeconds = 0.3;
// Peak and loudness a spoken line reaches after normalising; a silent or
// nearly silent file stays far below.
constexpr double kMinPeak = 0.5;
constexpr double kMinRms = 0.05;

struct DecodedVoice {
  SF_INFO info{};
  std::vector<float> samples;  // interleaved
};

// Decodes a whole file with libsndfile; fails the test when it cannot.
DecodedVoice Decode(const fs::path& path) {
  DecodedVoice voice;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &voice.info);
  if (file == nullptr) {
    ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
    return voice;
  }
  voice.samples.resize(static_cast<size_t>(voice.info.frames) * voice.info.channels);
  const sf_count_t read = sf_readf_float(file, voice.samples.data(), voice.info.frames);
  EXPECT_EQ(read, voice.info.frames) << path;
  sf_close(file);
  return voice;
}

fs::path VoiceFolder() { return fs::path(PLUV_BIN_DIR) / "wav"; }

TEST(VoiceFiles, SourceFolderHoldsOnlyCuedNames) {
  // A misspelt file name would be a cue that silently never sounds.
  const std::set<std::string> cued(kVoiceNames.begin(), kVoiceNames.end());
  const fs::path source = fs::path(PLUV_SOURCE_DIR) / "data" / "wav";
  int count = 0;
  for (const auto& entry : fs::directory_iterator(source)) {
    if (entry.path().extension() != ".wav") continue;
    ++count;
    EXPECT_TRUE(cued.count(entry.path().filename().string()))
        << entry.path().filename() << " is not a voice cue name";
  }
  EXPECT_EQ(count, static_cast<int>(kVoiceNames.size()));
}

TEST(VoiceFiles, EveryCueIsAShortAudiblePcmLine) {
  for (const std::string& name : kVoiceNames) {
    SCOPED_TRACE(name);
    const fs::path path = VoiceFolder() / name;
    ASSERT_TRUE(fs::is_regular_file(path)) << path << " is missing beside the executable";

    const DecodedVoice voice = Decode(path);
    const SF_INFO& info = voice.info;
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    EXPECT_TRUE(info.samplerate == 44100 || info.samplerate == 48000) << info.samplerate;
    EXPECT_TRUE(info.channels == 1 || info.channels == 2) << info.channels;

    const double seconds = static_cast<double>(info.frames) / info.samplerate;
    EXPECT_LT(seconds, kMaxSeconds);
    EXPECT_GT(seconds, kMinSeconds);

    ASSERT_FALSE(voice.samples.empty());
    float peak = 0.0F;
    double energy = 0.0;
    for (float s : voice.samples) {
      peak = std::max(peak, std::fabs(s));
      energy += static_cast<double>(s) * s;
    }
    const double rms = std::sqrt(energy / static_cast<double>(voice.samples.size()));
    EXPECT_GT(peak, kMinPeak);
    EXPECT_LE(peak, 1.0F);
    EXPECT_GT(rms, kMinRms);
  }
}

TEST(VoiceFiles, LinesStartPromptlyAndEndQuietly) {
  // The cues are played on the spot (a new one cuts the old), so speech must
  // begin within the first tenth of a second and the file must fade out
  // instead of ending with a click.
  constexpr double kOnsetWindowSeconds = 0.1;
  constexpr double kTailSeconds = 0.01;
  constexpr float kOnsetLevel = 0.05F;
  constexpr float kTailLevel = 0.02F;
  for (const std::string& name : kVoiceNames) {
    SCOPED_TRACE(name);
    const DecodedVoice voice = Decode(VoiceFolder() / name);
    ASSERT_GT(voice.info.frames, 0);
    const auto channels = static_cast<size_t>(voice.info.channels);
    const auto onsetSamples = static_cast<size_t>(kOnsetWindowSeconds * voice.info.samplerate) * channels;
    const auto tailSamples = static_cast<size_t>(kTailSeconds * voice.info.samplerate) * channels;
    ASSERT_GT(voice.samples.size(), onsetSamples + tailSamples);

    float onsetPeak = 0.0F;
    for (size_t i = 0; i < onsetSamples; ++i) onsetPeak = std::max(onsetPeak, std::fabs(voice.samples[i]));
    EXPECT_GT(onsetPeak, kOnsetLevel);

    float tailPeak = 0.0F;
    for (size_t i = voice.samples.size() - tailSamples; i < voice.samples.size(); ++i) {
      tailPeak = std::max(tailPeak, std::fabs(voice.samples[i]));
    }
    EXPECT_LT(tailPeak, kTailLevel);
  }
}

}  // namespace
