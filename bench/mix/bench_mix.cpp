// The mix figures of the built-in synthesizer, from offline renders made with
// midiplay --wav (the same path the live stream takes): peak and the RMS of
// the loudest 3 seconds of the tutorial song, of a dense velocity-127 song and
// of piano pieces, beside the loudest half second of each voice line; and the
// level just after the game's Stop, beside a note's own release.
// Usage: bench_mix [--corpus DIR] [--keep DIR] [--soundfont SF2]
//        bench_mix --levels FILE.wav [--at SECONDS] [--onset-plus SECONDS]
// (DIR defaults to ../shared/corpus beside the source tree; --keep leaves the
// rendered WAV files in DIR instead of a temporary folder). --levels prints
// the figures of one file, a recording for instance, and with --at the level
// around that moment; --onset-plus measures around the moment that long
// after the first sound (for recordings, whose start is not the song's), and
// prints the steepest fall of the level within 30 ms of it, where a cut
// shows as tens of decibels and a release as a few.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/make_tutorial_song/smf_writer.h"
#include "wav_levels.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTicksPerQuarter = 480;
constexpr std::uint32_t kQuarterMicroseconds = 500000;  // 120 bpm: a quarter is 0.5 s
constexpr int kChannels = 16;
constexpr int kDrumChannel = 9;
constexpr int kMaxVelocity = 127;
constexpr int kControllerVolume = 7;
constexpr int kControllerExpression = 11;
constexpr int kDenseQuarters = 16;
constexpr int kDenseChordNotes = 4;
constexpr double kSongWindowSeconds = 3.0;
constexpr double kVoiceWindowSeconds = 0.5;
// The release is measured 1 ms after the stop, over 5 ms, against the 5 ms before it.
constexpr double kReleaseGapSeconds = 0.001;
constexpr double kReleaseWindowSeconds = 0.005;
// The release song: a piano and a string chord struck at 0, held to 1.5 s.
constexpr double kReleaseStopSeconds = 1.5;
constexpr std::uint32_t kReleaseHoldTicks = 3 * kTicksPerQuarter;
constexpr std::uint32_t kReleaseSongEndTicks = 8 * kTicksPerQuarter;

bool WriteFile(const fs::path& path, const SmfBytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Every channel at full volume striking four-note chords at velocity 127 on every quarter.
SmfBytes DenseSong() {
  SmfTrack track;
  track.Tempo(0, kQuarterMicroseconds);
  for (int channel = 0; channel < kChannels; ++channel) {
    track.ControlChange(0, channel, kControllerVolume, kMaxVelocity);
    track.ControlChange(0, channel, kControllerExpression, kMaxVelocity);
    if (channel != kDrumChannel) track.ProgramChange(0, channel, channel * 8);
  }
  for (int quarter = 0; quarter < kDenseQuarters; ++quarter) {
    const auto tick = static_cast<std::uint32_t>(quarter * kTicksPerQuarter);
    for (int channel = 0; channel < kChannels; ++channel) {
      const int root = channel == kDrumChannel ? 35 + quarter % 8 : 36 + (channel * 5) % 36;
      for (int n = 0; n < kDenseChordNotes; ++n) {
        track.Note(tick, kTicksPerQuarter - 1, channel, root + n * (channel == kDrumChannel ? 2 : 4), kMaxVelocity);
      }
    }
  }
  return BuildSmf(0, kTicksPerQuarter, {track});
}

// A piano and a string chord held to kReleaseStopSeconds; with noteOff they
// end there by their own note-offs, otherwise they last until the Stop.
SmfBytes ReleaseSong(bool noteOff) {
  SmfTrack track;
  track.Tempo(0, kQuarterMicroseconds);
  track.ProgramChange(0, 1, 48);
  const std::uint32_t length = noteOff ? kReleaseHoldTicks : kReleaseSongEndTicks - kTicksPerQuarter;
  for (int key : {60, 64, 67}) {
    track.Note(0, length, 0, key, 100);
    track.Note(0, length, 1, key - 12, 100);
  }
  // A quiet last note keeps the song going past the chord.
  track.Note(kReleaseSongEndTicks - kTicksPerQuarter, kTicksPerQuarter, 2, 90, 1);
  return BuildSmf(0, kTicksPerQuarter, {track}, kReleaseSongEndTicks);
}

struct TRender {
  std::string name;
  fs::path wav;
  bool ok = false;
};

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

bool RunMidiplay(const fs::path& midiplay, const fs::path& song, const fs::path& wav, const std::string& extra) {
  const std::string command =
      Quote(midiplay.string()) + " " + Quote(song.string()) + " --wav " + Quote(wav.string()) + " --tail 2" + extra +
      " >/dev/null";
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void PrintLevels(const std::string& name, const TWavLevels& levels, double window) {
  std::printf("%-28s %7.1f s  peak %7.1f dBFS  loudest %.1f s RMS %7.1f dBFS\n", name.c_str(), levels.Seconds(),
              levels.PeakDbfs(), window, levels.LoudestRmsDbfs(window));
}

// The level of the 5 ms before a moment, of 1 to 6 ms after it and of 100 ms after it.
void PrintRelease(const char* name, const TWavLevels& levels, double at) {
  const double before = levels.RmsDbfs(at - kReleaseWindowSeconds, at);
  const double after = levels.RmsDbfs(at + kReleaseGapSeconds, at + kReleaseGapSeconds + kReleaseWindowSeconds);
  const double later = levels.RmsDbfs(at + 0.1, at + 0.1 + kReleaseWindowSeconds);
  std::printf("%-9s before %7.1f dBFS  1..6 ms after %7.1f dBFS (%+.1f dB)  100 ms after %7.1f dBFS\n", name, before,
              after, after - before, later);
}

constexpr double kSteepestSearchSeconds = 0.03;
constexpr double kSteepestStepSeconds = 0.0005;

int PrintOneFile(const std::string& path, double at, double onsetPlus) {
  TWavLevels levels;
  if (!levels.Load(path)) {
    std::fprintf(stderr, "bench_mix: cannot read %s\n", path.c_str());
    return 1;
  }
  PrintLevels(path, levels, kSongWindowSeconds);
  PrintLevels(path, levels, kVoiceWindowSeconds);
  if (onsetPlus >= 0) {
    const double onset = levels.OnsetSeconds();
    std::printf("first sound at %.4f s\n", onset);
    at = onset + onsetPlus;
  }
  if (at >= 0) {
    PrintRelease("at", levels, at);
    double steepest = 0.0;
    double where = at;
    for (double t = at - kSteepestSearchSeconds; t <= at + kSteepestSearchSeconds; t += kSteepestStepSeconds) {
      const double fall = levels.RmsDbfs(t + kReleaseGapSeconds, t + kReleaseGapSeconds + kReleaseWindowSeconds) -
                          levels.RmsDbfs(t - kReleaseWindowSeconds, t);
      if (fall < steepest) {
        steepest = fall;
        where = t;
      }
    }
    std::printf("steepest fall within %.0f ms: %+.1f dB at %.4f s\n", kSteepestSearchSeconds * 1000, steepest, where);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path corpus = fs::path(PLUV_SOURCE_DIR) / ".." / "shared" / "corpus";
  fs::path keep;
  std::string soundFont;
  std::string oneFile;
  double at = -1.0;
  double onsetPlus = -1.0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--corpus") corpus = argv[i + 1];
    else if (arg == "--keep") keep = argv[i + 1];
    else if (arg == "--soundfont") soundFont = argv[i + 1];
    else if (arg == "--levels") oneFile = argv[i + 1];
    else if (arg == "--at") at = std::atof(argv[i + 1]);
    else if (arg == "--onset-plus") onsetPlus = std::atof(argv[i + 1]);
  }
  if (!oneFile.empty()) return PrintOneFile(oneFile, at, onsetPlus);
  const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
  const fs::path midiplay = bin / "midiplay";
  fs::path folder = keep;
  if (folder.empty()) {
    std::string pattern = (fs::temp_directory_path() / "bench_mix_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    folder = pattern;
  }
  fs::create_directories(folder);
  const std::string extra = soundFont.empty() ? std::string() : " --soundfont " + Quote(soundFont);

  if (!WriteFile(folder / "dense.mid", DenseSong()) || !WriteFile(folder / "release_stop.mid", ReleaseSong(false)) ||
      !WriteFile(folder / "release_note_off.mid", ReleaseSong(true))) {
    std::fprintf(stderr, "bench_mix: cannot write the songs into %s\n", folder.c_str());
    return 1;
  }

  std::vector<std::pair<std::string, fs::path>> songs = {
      {"tutorial", bin / "dat" / "tutorialmid.dat"},
      {"dense velocity 127", folder / "dense.mid"},
  };
  for (const char* piece : {"tonejs-midi/bach/bach_846.mid", "tonejs-midi/bach/bach_850.mid",
                            "tonejs-midi/debussy/claire_de_lune.mid", "tonejs-midi/debussy/prelude.mid",
                            "tonejs-midi/debussy/childrens_corner_2.mid"}) {
    const fs::path path = corpus / "midi" / piece;
    if (fs::exists(path)) songs.emplace_back(path.filename().string(), path);
  }

  std::printf("== music (offline render, loudest %.0f s) ==\n", kSongWindowSeconds);
  double tutorialDb = 0.0;
  for (const auto& [name, song] : songs) {
    const fs::path wav = folder / (name + ".wav");
    TWavLevels levels;
    if (!RunMidiplay(midiplay, song, wav, extra) || !levels.Load(wav.string())) {
      std::printf("%-28s not rendered\n", name.c_str());
      continue;
    }
    PrintLevels(name, levels, kSongWindowSeconds);
    if (name == "tutorial") tutorialDb = levels.LoudestRmsDbfs(kSongWindowSeconds);
  }

  std::printf("== voice lines (loudest %.1f s) ==\n", kVoiceWindowSeconds);
  double loudestVoiceDb = -200.0;
  const fs::path voices = fs::path(PLUV_SOURCE_DIR) / "data" / "wav";
  for (const auto& entry : fs::directory_iterator(voices)) {
    if (entry.path().extension() != ".wav") continue;
    TWavLevels levels;
    if (!levels.Load(entry.path().string())) continue;
    PrintLevels(entry.path().filename().string(), levels, kVoiceWindowSeconds);
    loudestVoiceDb = std::max(loudestVoiceDb, levels.LoudestRmsDbfs(kVoiceWindowSeconds));
  }
  std::printf("tutorial minus loudest voice line: %.1f dB\n", tutorialDb - loudestVoiceDb);

  std::printf("== release (offline) ==\n");
  const fs::path stopWav = folder / "release_stop.wav";
  const fs::path noteOffWav = folder / "release_note_off.wav";
  char stopAt[32];
  std::snprintf(stopAt, sizeof stopAt, " --stop-at %.3f", kReleaseStopSeconds);
  TWavLevels stopped;
  TWavLevels released;
  if (RunMidiplay(midiplay, folder / "release_stop.mid", stopWav, extra + stopAt) &&
      RunMidiplay(midiplay, folder / "release_note_off.mid", noteOffWav, extra) && stopped.Load(stopWav.string()) &&
      released.Load(noteOffWav.string())) {
    PrintRelease("Stop", stopped, kReleaseStopSeconds);
    PrintRelease("note-off", released, kReleaseStopSeconds);
  } else {
    std::printf("release songs not rendered\n");
  }
  if (keep.empty()) fs::remove_all(folder);
  return 0;
}
