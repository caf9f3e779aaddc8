// The song preview on corpus songs, driven by a virtual clock: into the
// recording MIDI device (the densest 15 s, every channel's expression halved,
// a release that leaves no note sounding, nothing while a game runs) and into
// the built-in synthesizer rendered offline (the stop dies away).
#include "game/library/song_preview.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "game/sequencer/play_device.h"
#include "library/song_facts.h"
#include "midi/event_item.h"
#include "midi/midi_song.h"
#include "platform/audio/audio_engine.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/support/qt_test_app.h"
#include "tests/winmm/winmm_test_support.h"
#include "tests/support/corpus.h"

namespace {

using namespace std::chrono_literals;

const std::string kMidi = std::string(PLUV_CORPUS_DIR) + "/midi/";
// 17 tracks; every channel's expression is set to 127 early on.
const std::string kCountry = kMidi + "drywetmidi-invalid/invalid-key-signature-key/contry_v.mid";
// Piano with the sustain pedal down from the start.
const std::string kBach = kMidi + "tonejs-midi/bach/bach_846.mid";

bool IsNoteOn(const TRecordedMidiMessage& m) { return m.Bytes.size() == 3 && (m.Bytes[0] & 0xF0) == 0x90 && m.Bytes[2] > 0; }
bool IsControl(const TRecordedMidiMessage& m, int number) {
  return m.Bytes.size() == 3 && (m.Bytes[0] & 0xF0) == 0xB0 && m.Bytes[1] == number;
}

class SongPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    preview = std::make_unique<TSongPreview>([this] { return device; }, [this] { return gameRunning; });
    preview->DriveByHand([this] { return now; });
    recorder->Clear();
  }
  void Run(int ms) {
    for (int t = 0; t < ms; t += 5, now += 5ms) preview->Step();
  }

  TRecordingMidiOut* recorder = &InstallRecordingMidiOutDevice();
  int32_t device = static_cast<int32_t>(recorder->DeviceId());
  bool gameRunning = false;
  TSongPreview::TClock::time_point now = TSongPreview::TClock::time_point(1000s);
  std::unique_ptr<TSongPreview> preview;
};

TEST_F(SongPreviewTest, PlaysTheDensestFifteenSecondsWithEveryChannelHalfAsLoud) {
  PLUV_SKIP_WITHOUT_CORPUS();
  TMidiSong song;
  song.LoadFromFile(kCountry);
  std::array<bool, 16> every;
  every.fill(true);
  const int32_t start = DensestStartMs(SongDrops(song, every), TSongPreview::kLengthMs);
  ASSERT_TRUE(preview->Play(kCountry));
  EXPECT_EQ(preview->StartMs(), start);
  Run(TSongPreview::kLengthMs + 100);
  EXPECT_FALSE(preview->Playing());

  // The notes are the song's from the start on, each at its own distance from
  // the first, none from before or after the 15 s.
  std::multiset<std::tuple<int64_t, int, int>> heard, expected;
  auto firstNote = now;
  for (const auto& m : recorder->Messages()) {
    if (!IsNoteOn(m)) continue;
    if (heard.empty()) firstNote = m.Due;
    heard.emplace((m.Due - firstNote) / 1ms, m.Bytes[0], m.Bytes[1]);
  }
  for (const TMidiEventItemStanderd* item : song.Events) {
    const auto* note = dynamic_cast<const TMidiEventItemNoteOn*>(item);
    if (note != nullptr && note->Time >= start && note->Time < start + TSongPreview::kLengthMs) {
      expected.emplace(note->Time - start, note->Status, note->Data1);
    }
  }
  EXPECT_GT(expected.size(), 100u);
  EXPECT_EQ(heard, expected);
  // Every channel has its expression (127 in the song) halved before the first note.
  std::set<int> halved;
  for (const auto& m : recorder->Messages()) {
    if (!IsControl(m, 11)) continue;
    EXPECT_EQ(m.Bytes[2], std::lround(127 * std::sqrt(0.5)));
    if (m.Due <= firstNote) halved.insert(m.Bytes[0] & 15);
  }
  EXPECT_EQ(halved.size(), 16u);
}

TEST_F(SongPreviewTest, StopReleasesEveryNoteAndThePedalsWithoutAReset) {
  PLUV_SKIP_WITHOUT_CORPUS();
  ASSERT_TRUE(preview->Play(kBach));
  Run(3000);
  preview->Stop();
  EXPECT_FALSE(preview->Playing());
  const auto atStop = recorder->Messages();
  Run(TSongPreview::kReleaseMs + 100);  // the port closes in here, sending nothing
  EXPECT_EQ(recorder->Messages().size(), atStop.size());

  std::map<std::pair<int, int>, bool> sounding;  // (channel, note)
  std::map<int, int> pedal;
  for (const auto& m : atStop) {
    EXPECT_FALSE(m.Reset) << "a reset cuts the notes of the whole synthesizer";
    if (m.Bytes.size() == 3 && (m.Bytes[0] & 0xE0) == 0x80) sounding[{m.Bytes[0] & 15, m.Bytes[1]}] = IsNoteOn(m);
    if (IsControl(m, 64)) pedal[m.Bytes[0] & 15] = m.Bytes[2];
  }
  EXPECT_GT(sounding.size(), 10u);
  for (const auto& [key, on] : sounding) EXPECT_FALSE(on) << "channel " << key.first << " note " << key.second;
  ASSERT_FALSE(pedal.empty()) << "the song holds its pedal down";
  for (const auto& [channel, value] : pedal) EXPECT_LT(value, 64) << "channel " << channel;
}

TEST_F(SongPreviewTest, NothingPlaysWhileAGameRunsOrFromAFileTheGameCannotPlay) {
  PLUV_SKIP_WITHOUT_CORPUS();
  gameRunning = true;
  EXPECT_FALSE(preview->Play(kBach));
  gameRunning = false;
  EXPECT_FALSE(preview->Play(kMidi + "drywetmidi-invalid/no-header-chunk/entertainer05.mid"));
  EXPECT_FALSE(preview->Play(kMidi + "no such file.mid"));
  EXPECT_TRUE(recorder->Messages().empty());
  // A game that starts during a preview ends it: the game's start has reset
  // the device, and nothing more comes from the preview.
  ASSERT_TRUE(preview->Play(kBach));
  Run(500);
  gameRunning = true;
  Run(5);
  EXPECT_FALSE(preview->Playing());
  const size_t atGame = recorder->Messages().size();
  Run(2000);
  EXPECT_EQ(recorder->Messages().size(), atGame);
}

TEST_F(SongPreviewTest, TheStopDiesAwayOnTheBuiltInSynthesizer) {
  PLUV_SKIP_WITHOUT_CORPUS();
  device = kMidiMapperDevice;
  UseOfflineAudio();  // before the engine's first use: no sound device is opened
  TAudioEngine& engine = TAudioEngine::Global();
  if (!engine.OpenSynthesizer()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  std::vector<float> audio;
  auto render = [&](int ms) {
    std::vector<float> block(2 * 256);
    for (int64_t done = 0; done < int64_t(ms) * engine.SampleRate() / 1000; done += 256) {
      preview->Step();
      ASSERT_TRUE(engine.RenderOffline(block.data(), 256, now));
      audio.insert(audio.end(), block.begin(), block.end());
      now += std::chrono::nanoseconds(256'000'000'000 / engine.SampleRate());
    }
  };
  auto rmsDb = [&](double fromMs, double toMs) {
    const size_t from = size_t(fromMs * engine.SampleRate() / 1000) * 2, to = size_t(toMs * engine.SampleRate() / 1000) * 2;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += double(audio.at(i)) * audio.at(i);
    return 10.0 * std::log10(sum / double(to - from) + 1e-20);
  };
  ASSERT_TRUE(preview->Play(kBach));
  render(4000);
  preview->Stop();
  render(2500);
  EXPECT_GT(rmsDb(1000, 4000), -40.0) << "the preview is heard";
  // The stop's note-offs sound one scheduling delay later; the notes then die
  // away over some hundred milliseconds instead of falling silent at once.
  const double stopMs = 4000 + engine.SchedulingDelay() / 1.0ms;
  const double before = rmsDb(3950, 4000);
  EXPECT_GT(rmsDb(stopMs + 10, stopMs + 30), before - 12.0);
  EXPECT_GT(rmsDb(stopMs + 100, stopMs + 120), before - 30.0);
  EXPECT_LT(rmsDb(6300, 6500), before - 40.0);
}

}  // namespace
