// The midiplay tool: an offline render is not silent, its first note starts
// within a millisecond of the note's time (the WAV starts at song time 0, the
// synthesizer's fixed delay taken out), its length follows the speed, and a
// file that cannot be loaded ends with status 1 and a message naming it.
#include <sndfile.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "tests/sequencer/sequencer_fixture.h"

namespace {

constexpr char kSmallSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr double kRate = 48000.0;
constexpr double kFramesPerMs = kRate / 1000.0;
// Three steps of 16-bit PCM: above the dither-free silence, below any note.
constexpr double kOnsetThreshold = 3.0 / 32768.0;
// At 48 kHz the synthesizer applies a message at its 64-frame block nearest to
// the message's frame; 512 ms lies on that grid at every speed tested (24576
// frames, and 12288, 16384, 49152 at speeds 2, 1.5 and 0.5), so what remains
// between the note's time and the first audible sample is the instrument's attack.
constexpr uint32_t kNoteMs = 512;

struct TWav {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved
  size_t Frames() const { return channels == 0 ? 0 : samples.size() / static_cast<size_t>(channels); }
};

TWav ReadWav(const std::string& path) {
  TWav wav;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return wav;
  wav.rate = info.samplerate;
  wav.channels = info.channels;
  wav.samples.resize(static_cast<size_t>(info.frames * info.channels));
  sf_readf_float(file, wav.samples.data(), info.frames);
  sf_close(file);
  return wav;
}

size_t FirstFrameAbove(const TWav& wav, double threshold) {
  for (size_t i = 0; i < wav.samples.size(); ++i) {
    if (std::fabs(wav.samples[i]) > threshold) return i / static_cast<size_t>(wav.channels);
  }
  return wav.Frames();
}

int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class MidiplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TTrackBuilder track;
    // A piano note at 512 ms held for 400 ms; the track ends 600 ms later.
    track.Event(0, {0xC0, 0}).NoteOn(kNoteMs, 0, 60, 110).NoteOff(400, 0, 60).EndOfTrack(600);
    const TBytes bytes = TSmfBuilder(kMsDivision, 0).Track(track).Bytes();
    std::ofstream(m_song, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
    TMidiSong song;
    ASSERT_TRUE(LoadBytes(song, bytes));
    // The game ends when the event before the last one has been sent.
    m_lastSentMs = song.Events[song.Events.Count() - 2]->Time;
  }

  std::string Render(const std::string& extra) {
    const std::string wav = m_folder.File("out" + std::to_string(m_renders++) + ".wav");
    EXPECT_EQ(RunCommand("./midiplay '" + m_song + "' --wav '" + wav + "' --soundfont " + kSmallSoundFont + " " + extra +
                  " > /dev/null"),
              0);
    return wav;
  }

  TTempFolder m_folder;
  std::string m_song = m_folder.File("note.mid");
  int32_t m_lastSentMs = 0;
  int m_renders = 0;
};

TEST_F(MidiplayTest, AFileThatCannotBeLoadedEndsWithStatusOneAndSaysWhich) {
  const std::string broken = m_folder.File("broken.mid");
  std::ofstream(broken) << "not a song";
  const std::string errors = m_folder.File("errors.txt");
  EXPECT_EQ(RunCommand("./midiplay '" + broken + "' --wav '" + m_folder.File("x.wav") + "' 2> '" + errors + "'"), 1);
  EXPECT_NE(ReadWholeFile(errors).find(broken), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(m_folder.File("x.wav")));
  EXPECT_EQ(RunCommand("./midiplay 2> /dev/null"), 2);
  EXPECT_EQ(RunCommand("./midiplay '" + m_song + "' --speed fast 2> /dev/null"), 2);
}

TEST_F(MidiplayTest, TheFirstNoteSoundsWithinAMillisecondOfItsTime) {
  for (double speed : {1.0, 2.0, 1.5, 0.5}) {
    const TWav wav = ReadWav(Render("--speed " + std::to_string(speed)));
    ASSERT_EQ(wav.rate, static_cast<int>(kRate));
    ASSERT_EQ(wav.channels, 2);
    const double expected = kNoteMs / speed * kFramesPerMs;
    const double onset = static_cast<double>(FirstFrameAbove(wav, kOnsetThreshold));
    EXPECT_GE(onset, expected) << "speed " << speed;  // never early
    EXPECT_LT(onset, expected + kFramesPerMs) << "speed " << speed;
    // The length follows the speed: up to the step that sent the last event.
    const double lengthMs = static_cast<double>(wav.Frames()) / kFramesPerMs;
    EXPECT_GE(lengthMs, m_lastSentMs / speed) << "speed " << speed;
    EXPECT_LE(lengthMs, m_lastSentMs / speed + 2 * kStepMs) << "speed " << speed;
  }
}

TEST_F(MidiplayTest, MissingEveryDropRendersSilence) {
  const TWav caught = ReadWav(Render(""));
  const TWav missed = ReadWav(Render("--miss"));
  ASSERT_EQ(caught.Frames(), missed.Frames());
  EXPECT_LT(FirstFrameAbove(caught, 0.01), caught.Frames());  // clearly audible
  EXPECT_EQ(FirstFrameAbove(missed, kOnsetThreshold), missed.Frames());
}

}  // namespace

namespace {

// Song time (ms) when the last note struck before AtMs and still sounding
// there is released (AtMs when none sounds).
int32_t LastReleaseOfNotesSoundingAt(const TMidiSong& song, int32_t AtMs) {
  int32_t last = AtMs;
  const int count = song.Events.Count();
  for (int i = 0; i < count; ++i) {
    const auto* on = dynamic_cast<const TMidiEventItemNoteOn*>(song.Events[i]);
    if (on == nullptr || on->Time >= AtMs) continue;
    int32_t off = song.EndTime;
    for (int j = i + 1; j < count; ++j) {
      const auto* item = dynamic_cast<const TMidiEventItemShort*>(song.Events[j]);
      if (item == nullptr || item->Channel != on->Channel || item->Data1 != on->Data1) continue;
      if (item->Kind == MidiKind::NoteOff || item->Kind == MidiKind::NoteOn) {
        off = item->Time;
        break;
      }
    }
    last = std::max(last, off);
  }
  return last;
}

double Rms(const std::vector<float>& samples, size_t first, size_t count) {
  double sum = 0;
  for (size_t i = first; i < first + count && i < samples.size(); ++i) sum += double(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(count));
}

TEST_F(MidiplayTest, RenderingFromALaterStartAgreesWithTheWholeRenderOnceTheNotesSoundingThereEnded) {
  const std::vector<std::pair<std::string, int32_t>> songs = {
      {PLUV_CORPUS_DIR "/midi/jazz-soft-test-midi-files/test-all-gs-sounds.mid", 20000},
      {PLUV_CORPUS_DIR "/midi/tonejs-midi/debussy/claire_de_lune.mid", 60000},
  };
  // The released notes and the reverb die away in this time; then both
  // renders hear the same song.
  constexpr int32_t kDieAwayMs = 2000;
  constexpr int32_t kComparedMs = 3000;
  int compared = 0;
  for (const auto& [path, startMs] : songs) {
    if (!std::filesystem::exists(path)) continue;
    SCOPED_TRACE(path);
    TMidiSong song;
    ASSERT_NO_THROW(song.LoadFromFile(path));
    const int32_t from = LastReleaseOfNotesSoundingAt(song, startMs) + kDieAwayMs;
    ASSERT_LT(from + kComparedMs, song.EndTime) << "the song is too short for the comparison";
    const std::string stop = " --stop-at " + std::to_string((from + kComparedMs) / 1000.0);

    m_song = path;
    const TWav whole = ReadWav(Render(stop));
    const TWav later = ReadWav(Render(stop + " --start " + std::to_string(startMs / 1000.0)));
    ASSERT_GT(later.Frames(), 0u);
    const size_t offset = static_cast<size_t>(startMs * kFramesPerMs) * 2;
    const size_t first = static_cast<size_t>((from - startMs) * kFramesPerMs) * 2;
    const size_t count = static_cast<size_t>(kComparedMs * kFramesPerMs) * 2;
    ASSERT_LE(first + count, later.samples.size());
    ASSERT_LE(offset + first + count, whole.samples.size());
    std::vector<float> difference(count);
    for (size_t i = 0; i < count; ++i) difference[i] = whole.samples[offset + first + i] - later.samples[first + i];
    const double level = Rms(whole.samples, offset + first, count);
    ASSERT_GT(level, 0.001) << "nothing sounds in the compared part";
    EXPECT_LT(Rms(difference, 0, count), level / 100) << "the renders differ by more than 1 %";
    ++compared;
  }
  if (compared == 0) GTEST_SKIP() << "corpus not present";
}

}  // namespace
