// Helpers of the sequencer tests: songs built in memory on a 1 ms grid
// (division 500 at the default tempo: one tick is one millisecond), a
// sequencer playing into the recording MIDI device with its own settings
// file, recorded voice lines and message boxes, and Tick driven by hand.
// Test-only; the main thread unless a test says otherwise.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "game/sequencer/midi_play_v.h"
#include "platform/audio/audio_engine.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"
#include "platform/winmm/play_sound.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/midi/smf_builder.h"

// Ticks per quarter note that make one tick last one millisecond at 120 bpm.
inline constexpr int kMsDivision = 500;
inline constexpr int kStepMs = 5;

// One note-on at a millisecond (its note-off comes 1 ms later).
struct TTestNote {
  uint32_t TimeMs;
  int Channel;  // 0..15
  int Note;
};

// A one-track song on the 1 ms grid: the notes, then the end of the track at EndMs.
inline TBytes NotesSong(const std::vector<TTestNote>& Notes, uint32_t EndMs) {
  struct TTimed {
    uint32_t Ms;
    std::vector<uint8_t> Bytes;
  };
  std::vector<TTimed> events;
  for (const TTestNote& n : Notes) {
    events.push_back({n.TimeMs, {static_cast<uint8_t>(0x90 | n.Channel), static_cast<uint8_t>(n.Note), 100}});
    events.push_back({n.TimeMs + 1, {static_cast<uint8_t>(0x80 | n.Channel), static_cast<uint8_t>(n.Note), 64}});
  }
  std::stable_sort(events.begin(), events.end(), [](const TTimed& a, const TTimed& b) { return a.Ms < b.Ms; });
  TBytes body;
  uint32_t at = 0;
  for (const TTimed& e : events) {
    AppendVarLen(body, e.Ms - at);
    body.insert(body.end(), e.Bytes.begin(), e.Bytes.end());
    at = e.Ms;
  }
  TTrackBuilder track;
  track.RawBytes(body).EndOfTrack(EndMs - at);
  return TSmfBuilder(kMsDivision, 0).Track(track).Bytes();
}

// The game's audio engine renders offline in tests: no sound device is opened.
class TOfflineAudioEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    TAudioEngineOptions options;
    options.deviceOutput = false;
    options.soundFontPaths = DefaultSoundFontPaths();
    options.soundFontPaths.insert(options.soundFontPaths.begin(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
    TAudioEngine::SetGlobalOptions(options);
  }
};

// A folder of its own under the system's temporary folder, removed at the end.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pluv_seq_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    m_path = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SequencerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_recorder = &InstallRecordingMidiOutDevice();
    HeadlessApplication().ClearMessageBoxes();
    HeadlessApplication().SetIdleHandler(nullptr);
    ProcessPostedMessages();
    MakePlayer(Settings());
  }

  void TearDown() override {
    if (Player) Player->ClosePorts();
    Player.reset();
    HeadlessApplication().SetIdleHandler(nullptr);
    ProcessPostedMessages();
  }

  std::string Settings() const { return m_folder.File("pluvionaut.ini"); }

  // A new sequencer on the recording device, reading the given settings file.
  void MakePlayer(const std::string& settingsFile) {
    if (Player) Player->ClosePorts();
    Player = std::make_unique<TMidiPlayV>(nullptr, settingsFile);
    Player->AddPlayDevice(static_cast<int32_t>(m_recorder->DeviceId()));
    Player->OpenPorts();
    Player->SetCountInSleep([](DWORD) {});
    m_recorder->Clear();
  }

  void Load(const TBytes& bytes) {
    ASSERT_TRUE(LoadBytes(*Player, bytes));
    Player->Seek(0);
    m_recorder->Clear();
  }

  // The bar at this client x with this half width; all channels rain.
  void Bar(int x, int halfWidth) {
    Application().PublishCursorClientX(x);
    Player->BarHalfWidth = halfWidth;
  }

  void SetLanes(int lane) {
    for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) note->Lane = lane;
  }

  void ClearCaught() {
    for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) note->Caught = false;
  }

  // A game without the count-in: Tick in 5 ms steps until it ends (at most maxSteps).
  void PlayToEnd(int maxSteps = 100000) {
    Player->Playing = true;
    Player->Tick(0);
    for (int i = 0; i < maxSteps && Player->Playing; ++i) Player->Tick(kStepMs);
    ASSERT_FALSE(Player->Playing) << "the song did not end";
  }

  // Note-on messages the recording device received, as (status, note).
  std::vector<std::pair<int, int>> SentNoteOns() const {
    std::vector<std::pair<int, int>> found;
    for (const TRecordedMidiMessage& m : m_recorder->Messages()) {
      if (!m.Reset && m.Bytes.size() == 3 && (m.Bytes[0] & 0xF0) == 0x90 && m.Bytes[2] > 0) {
        found.emplace_back(m.Bytes[0], m.Bytes[1]);
      }
    }
    return found;
  }

  TTempFolder m_folder;
  TRecordingMidiOut* m_recorder = nullptr;
  std::unique_ptr<TMidiPlayV> Player;
};
