// The song preview on real corpus songs: into the recording MIDI device (what
// it sends: the densest 15 s, every channel's expression halved, a release
// that leaves no note sounding, nothing while a game runs) and into the
// built-in synthesizer rendered offline (half the amplitude; the stop decays).
#include "game/library/song_preview.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "game/sequencer/play_device.h"
#include "library/song_facts.h"
#include "midi/event_item.h"
#include "midi/midi_song.h"
#include "platform/audio/audio_engine.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/support/qt_test_app.h"

namespace {

using namespace std::chrono_literals;
using TClock = TSongPreview::TClock;

const std::string kMidi = std::string(PLUV_CORPUS_DIR) + "/midi/";
// 17 tracks, volume and expression set on every channel.
const std::string kCountry = kMidi + "drywetmidi-invalid/invalid-key-signature-key/contry_v.mid";
// Piano with the sustain pedal down from the start.
const std::string kBach = kMidi + "tonejs-midi/bach/bach_846.mid";
constexpr int kStepMs = 5;

// The game's engine renders offline here: no sound device is opened.
class TOfflineAudio : public ::testing::Environment {
 public:
  void SetUp() override {
    TAudioEngineOptions options;
    options.deviceOutput = false;
    options.soundFontPaths = DefaultSoundFontPaths();
    options.soundFontPaths.insert(options.soundFontPaths.begin(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
    TAudioEngine::SetGlobalOptions(options);
  }
};
[[maybe_unused]] ::testing::Environment* const kOfflineAudio = ::testing::AddGlobalTestEnvironment(new TOfflineAudio);

uint8_t Status(const TRecordedMidiMessage& m) { return m.Bytes.empty() ? 0 : m.Bytes[0] & 0xF0; }
bool IsNoteOn(const TRecordedMidiMessage& m) { return Status(m) == 0x90 && m.Bytes[2] > 0; }
bool IsNoteOff(const TRecordedMidiMessage& m) { return Status(m) == 0x80 || (Status(m) == 0x90 && m.Bytes[2] == 0); }
bool IsControl(const TRecordedMidiMessage& m, int controller) { return Status(m) == 0xB0 && m.Bytes[1] == controller; }
int64_t MsAfter(TClock::time_point t, TClock::time_point origin) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t - origin).count();
}

class SongPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    recorder = &InstallRecordingMidiOutDevice();
    preview = std::make_unique<TSongPreview>([this] { return device; }, [this] { return gameRunning; });
    preview->DriveByHand([this] { return now; });
    recorder->Clear();
  }
  void Run(int ms) {
    for (int t = 0; t < ms; t += kStepMs) {
      now += std::chrono::milliseconds(kStepMs);
      preview->Step();
    }
  }
  std::vector<TRecordedMidiMessage> Sent() const { return recorder->Messages(); }

  TRecordingMidiOut* recorder = nullptr;
  int32_t device = static_cast<int32_t>(InstallRecordingMidiOutDevice().DeviceId());
  bool gameRunning = false;
  TClock::time_point now = TClock::time_point(1000s);
  std::unique_ptr<TSongPreview> preview;
};

TEST_F(SongPreviewTest, PlaysTheDensestFifteenSecondsWithEveryChannelHalfAsLoud) {
  TMidiSong song;
  song.LoadFromFile(kCountry);
  std::array<bool, 16> every;
  every.fill(true);
  const int32_t start = DensestStartMs(SongDrops(song, every), TSongPreview::kLengthMs);
  ASSERT_GT(start, 0);

  ASSERT_TRUE(preview->Play(kCountry));
  EXPECT_EQ(preview->StartMs(), start);
  Run(TSongPreview::kLengthMs + 100);
  EXPECT_FALSE(preview->Playing());

  // The notes sent are the song's from the start on, each at its own
  // distance from the first, and none from before or after the 15 s.
  const auto sent = Sent();
  std::multiset<std::tuple<int64_t, int, int>> heard, expected;
  TClock::time_point firstNote{};
  for (const auto& m : sent) {
    if (!IsNoteOn(m)) continue;
    if (heard.empty()) firstNote = m.Due;
    heard.emplace(MsAfter(m.Due, firstNote), m.Bytes[0], m.Bytes[1]);
  }
  for (const TMidiEventItemStanderd* item : song.Events) {
    const auto* note = dynamic_cast<const TMidiEventItemNoteOn*>(item);
    if (note == nullptr || note->Time < start || note->Time >= start + TSongPreview::kLengthMs) continue;
    expected.emplace(note->Time - start, note->Status, note->Data1);
  }
  EXPECT_GT(expected.size(), 100u);
  EXPECT_EQ(heard, expected);

  // Every channel has its expression halved before the first note; later
  // ones are the song's own, halved.
  std::set<int> channelsSet;
  std::vector<int> later;
  for (const auto& m : sent) {
    if (!IsControl(m, 11)) continue;
    EXPECT_LE(m.Bytes[2], TSongPreview::PreviewExpression(127));
    if (m.Due <= firstNote) channelsSet.insert(m.Bytes[0] & 15);
    if (m.Due > firstNote) later.push_back(m.Bytes[2]);
  }
  EXPECT_EQ(channelsSet.size(), 16u);
  std::vector<int> songLater;
  for (const TMidiEventItemStanderd* item : song.Events) {
    const auto* control = dynamic_cast<const TMidiEventItemCtrlChange*>(item);
    if (control == nullptr || control->Data1 != 11 || control->Time <= start) continue;
    if (control->Time < start + TSongPreview::kLengthMs) songLater.push_back(TSongPreview::PreviewExpression(control->Data2));
  }
  EXPECT_EQ(later, songLater);
  EXPECT_NEAR(TSongPreview::PreviewExpression(100), 100 * std::sqrt(0.5), 0.5);
}

TEST_F(SongPreviewTest, StopReleasesEveryNoteAndThePedalsWithoutAReset) {
  ASSERT_TRUE(preview->Play(kBach));
  Run(3000);
  preview->Stop();
  EXPECT_FALSE(preview->Playing());
  const size_t atStop = Sent().size();
  Run(TSongPreview::kReleaseMs + 100);  // the port closes in here
  const auto sent = Sent();
  EXPECT_EQ(sent.size(), atStop) << "closing the port sends nothing";

  std::map<std::pair<int, int>, int> sounding;  // (channel, note): strikes minus releases
  std::map<int, int> pedal;
  int notes = 0;
  for (const auto& m : sent) {
    EXPECT_FALSE(m.Reset) << "a reset cuts the notes of the whole synthesizer";
    if (IsNoteOn(m)) ++sounding[{m.Bytes[0] & 15, m.Bytes[1]}], ++notes;
    if (IsNoteOff(m) && sounding[{m.Bytes[0] & 15, m.Bytes[1]}] > 0) --sounding[{m.Bytes[0] & 15, m.Bytes[1]}];
    if (IsControl(m, 64)) pedal[m.Bytes[0] & 15] = m.Bytes[2];
  }
  EXPECT_GT(notes, 10);
  for (const auto& [key, count] : sounding) EXPECT_EQ(count, 0) << "channel " << key.first << " note " << key.second;
  ASSERT_FALSE(pedal.empty()) << "the song holds its pedal down";
  for (const auto& [channel, value] : pedal) EXPECT_LT(value, 64) << "channel " << channel;
}

TEST_F(SongPreviewTest, NothingPlaysWhileAGameRunsOrFromAFileTheGameCannotPlay) {
  gameRunning = true;
  EXPECT_FALSE(preview->Play(kBach));
  EXPECT_FALSE(preview->Playing());
  gameRunning = false;
  EXPECT_FALSE(preview->Play(kMidi + "drywetmidi-invalid/no-header-chunk/entertainer05.mid"));
  EXPECT_FALSE(preview->Play(kMidi + "no such file.mid"));
  EXPECT_TRUE(Sent().empty());

  // A game that starts during a preview ends it: its start has reset the
  // device, and nothing more comes from the preview.
  ASSERT_TRUE(preview->Play(kBach));
  Run(500);
  gameRunning = true;
  preview->Step();
  EXPECT_FALSE(preview->Playing());
  const size_t atGame = Sent().size();
  Run(2000);
  EXPECT_EQ(Sent().size(), atGame);
}

// ---- The built-in synthesizer, rendered offline ----

class SongPreviewSoundTest : public SongPreviewTest {
 protected:
  void SetUp() override {
    SongPreviewTest::SetUp();
    device = kMidiMapperDevice;
    if (!TAudioEngine::Global().OpenSynthesizer()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  }
  // Renders ms of the engine, the preview stepped before each block.
  void Render(int ms) {
    TAudioEngine& engine = TAudioEngine::Global();
    const size_t frames = static_cast<size_t>(ms) * engine.SampleRate() / 1000;
    constexpr size_t kBlock = 256;
    std::vector<float> block(2 * kBlock);
    for (size_t done = 0; done < frames; done += kBlock) {
      preview->Step();
      ASSERT_TRUE(engine.RenderOffline(block.data(), kBlock, now));
      audio.insert(audio.end(), block.begin(), block.end());
      now += std::chrono::nanoseconds(static_cast<int64_t>(kBlock) * 1'000'000'000 / engine.SampleRate());
    }
  }
  size_t Frame(double ms) const { return static_cast<size_t>(ms * TAudioEngine::Global().SampleRate() / 1000.0); }
  double RmsDb(double fromMs, double toMs) const {
    double sum = 0.0;
    for (size_t i = 2 * Frame(fromMs); i < 2 * Frame(toMs) && i < audio.size(); ++i) sum += double(audio[i]) * audio[i];
    return 10.0 * std::log10(sum / double(2 * (Frame(toMs) - Frame(fromMs))) + 1e-20);
  }
  std::vector<float> audio;
};

TEST_F(SongPreviewSoundTest, HalvedExpressionIsHalfTheAmplitude) {
  // A held organ note at full and at the preview's expression, on a handle of its own.
  HMIDIOUT handle = nullptr;
  ASSERT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  std::vector<double> levels;
  for (int expression : {127, TSongPreview::PreviewExpression(127)}) {
    midiOutShortMsgAt(handle, 0x0013C0, now);  // organ
    midiOutShortMsgAt(handle, 0x000BB0 | expression << 16, now);
    midiOutShortMsgAt(handle, 0x503C90, now);
    audio.clear();
    Render(600);
    levels.push_back(RmsDb(300, 600));
    midiOutReset(handle);
    Render(1500);
  }
  midiOutClose(handle);
  EXPECT_NEAR(levels[1] - levels[0], 20.0 * std::log10(0.5), 0.5);
}

TEST_F(SongPreviewSoundTest, TheStopDiesAwayAndThePreviewIsHeard) {
  ASSERT_TRUE(preview->Play(kBach));
  Render(4000);
  preview->Stop();
  Render(2500);
  EXPECT_GT(RmsDb(1000, 4000), -40.0) << "the preview is heard";
  // The stop's note-offs sound one scheduling delay later; the notes then die
  // away over some hundred milliseconds instead of falling silent at once.
  const double delayMs = TAudioEngine::Global().SchedulingDelay().count() / 1e6;
  const double before = RmsDb(3950, 4000);
  EXPECT_GT(RmsDb(4000 + delayMs + 10, 4000 + delayMs + 30), before - 12.0);
  EXPECT_GT(RmsDb(4000 + delayMs + 100, 4000 + delayMs + 120), before - 30.0);
  EXPECT_LT(RmsDb(6300, 6500), before - 40.0);
  if (const char* raw = std::getenv("PLUV_PREVIEW_RAW")) {
    std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(audio.data()),
                                                static_cast<std::streamsize>(audio.size() * sizeof(float)));
  }
}

}  // namespace
