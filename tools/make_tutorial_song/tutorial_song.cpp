#include "tools/make_tutorial_song/tutorial_song.h"

#include "tools/make_tutorial_song/phrase_notation.h"

#include <cmath>
#include <string>
#include <vector>

// "First Rain", F major, 4/4. Form: a silent lead-in bar, intro (2 bars) - A (8) - B (8) - A' (8) -
// outro with a ritardando into the final chord (3). Every note-on of every
// channel falls as a drop, so the parts stay sparse: the melody moves mostly
// in quarter notes, bass and drums mark the beats where the melody already
// lands (notes struck together are caught together), and the pad plays only
// where the music needs lift.
//
// Chords: A = F Dm Bb C | F Dm Bb-C F; B = Bb C Am Dm | Gm C F C;
// outro = Bb C F.

namespace {

constexpr int kBeatsPerBar = 4;
constexpr int kDenominatorPowerQuarter = 2;  // 2^2 = 4: the beat is a quarter note
constexpr int kMidiClocksPerClick = 24;
constexpr int kThirtySecondsPerQuarter = 8;
constexpr int kFlatsOfFMajor = -1;
constexpr double kMicrosecondsPerMinute = 60'000'000.0;

// General MIDI program numbers (0-based) and controllers.
constexpr int kProgramCelesta = 8;
constexpr int kProgramFingeredBass = 33;
constexpr int kProgramFlute = 73;
constexpr int kProgramWarmPad = 89;
constexpr int kProgramStandardKit = 0;
constexpr int kControllerVolume = 7;
constexpr int kControllerPan = 10;
constexpr int kControllerReverb = 91;
constexpr int kDrumChannel = 9;  // channel 10
constexpr int kDrumHitTicks = kTutorialTicksPerQuarter / 8;
constexpr int kMaxVelocity = 127;
constexpr int kDownbeatAccent = 6;

// How the final chord rings before the song ends, in quarter notes.
constexpr double kRingOutQuarters = 1.5;
// One silent bar before the first note: a drop needs about a bar (four
// quarter notes at the normal rain speed) to fall from the top of the field
// to the bar, so the first drops are seen coming instead of appearing at
// the bar when the game starts.
constexpr int kLeadInBars = 1;

struct TempoMark {
  int bar;  // 0-based
  double bpm;
};

// 96 bpm, then a ritardando over the last two bars.
const std::vector<TempoMark> kTempoMap = {{0, 96.0}, {27, 88.0}, {28, 76.0}};

struct Part {
  std::string_view name;
  int channel;
  int program;
  int volume;
  int pan;
  int reverb;
  int velocity;
  double articulation;  // share of each step that sounds (drums: fixed hits)
  std::vector<std::string_view> bars;  // one phrase per bar, "" for a silent bar
};

// Section loudness, added to every velocity of the bar.
int BarDynamics(int bar) {
  if (bar < 2) return -12;   // intro
  if (bar < 10) return -4;   // A
  if (bar < 18) return 4;    // B
  if (bar < 26) return 0;    // A'
  return -6;                 // outro
}

const Part kMelody = {
    "Flute", 0, kProgramFlute, 100, 70, 50, 92, 0.92,
    {
        "", "",
        // A
        "A4:1 C5:1 F5:1.5 E5:0.5", "D5:2 A4:2", "Bb4:1 D5:1 F5:1 D5:1", "C5:3 r:1",
        "A4:1 C5:1 F5:1 G5:1", "A5:2 F5:1 D5:1", "D5:1 C5:1 Bb4:1 G4:1", "F4:3 r:1",
        // B
        "F5:1.5 F5:0.5 D5:1 F5:1", "G5:2 E5:2", "E5:1.5 E5:0.5 C5:1 E5:1", "F5:2 D5:2",
        "D5:1 Bb4:1 D5:1 G5:1", "E5:1 G5:1 C6:2", "A5:1.5 G5:0.5 F5:1 C5:1", "G5:2 E5:1 r:1",
        // A'
        "A4:1 C5:1 F5:1.5 E5:0.5", "D5:2 A4:2", "Bb4:1 D5:1 F5:1 D5:1", "C5:3 r:1",
        "A4:1 C5:1 F5:1 G5:1", "A5:2 F5:1 D5:1", "D5:1 F5:1 E5:1 G5:1", "A5:3 r:1",
        // outro
        "F5:2 D5:2", "E5:2 G5:2", "F5:4",
    },
};

// The first drops of the song: a few high, bell-like notes over the pad.
const Part kCelesta = {
    "Celesta", 3, kProgramCelesta, 90, 84, 70, 84, 0.9,
    {
        "A5:2 C6:2", "F5:2 G5:1 r:1",
    },
};

const Part kBass = {
    "Bass", 1, kProgramFingeredBass, 100, 58, 20, 92, 0.94,
    {
        "", "",
        // A: one note a bar
        "F2:4", "D2:4", "Bb1:4", "C2:4", "F2:4", "D2:4", "Bb1:2 C2:2", "F2:4",
        // B: root and fifth
        "Bb1:2 F2:2", "C2:2 G2:2", "A1:2 E2:2", "D2:2 A1:2",
        "G1:2 D2:2", "C2:2 G1:2", "F2:2 C2:2", "C2:2 G1:2",
        // A'
        "F2:4", "D2:4", "Bb1:4", "C2:4", "F2:4", "D2:4", "Bb1:2 C2:2", "F2:4",
        // outro
        "Bb1:4", "C2:4", "F2:4",
    },
};

const Part kPad = {
    "Pad", 2, kProgramWarmPad, 80, 50, 80, 64, 1.0,
    {
        "F3+A3+C4:8", "",  // held over the intro's two bars
        "", "", "", "", "", "", "", "",
        // B: two-note voicings above the bass root
        "D3+F3:4", "E3+G3:4", "E3+C4:4", "F3+A3:4", "D3+Bb3:4", "E3+G3:4", "F3+C4:4", "E3+G3:4",
        "", "", "", "", "", "", "", "",
        // outro
        "D3+F3+Bb3:4", "E3+G3+C4:4", "F3+A3+C4:4",
    },
};

const Part kDrums = {
    "Drums", kDrumChannel, kProgramStandardKit, 90, 64, 40, 88, 0.0,
    {
        "", "",
        // A: a soft snare on beat 3, the kick only to open the section
        "crash+kick:2 snare:2", "r:2 snare:2", "r:2 snare:2", "r:2 snare:2",
        "r:2 snare:2", "r:2 snare:2", "r:2 snare:2", "r:2 snare:2",
        // B: kick on 1, snare on 3, a short fill into A'
        "crash+kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2",
        "kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:1 snare:1",
        // A'
        "crash+kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2",
        "kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2", "kick:2 snare:2",
        // outro
        "kick:4", "kick:4", "crash+kick:4",
    },
};

std::uint32_t QuartersToTicks(double quarters) {
  return static_cast<std::uint32_t>(std::lround(quarters * kTutorialTicksPerQuarter));
}

// The tick where a bar of the score starts, after the lead-in.
std::uint32_t BarTick(int bar) {
  return static_cast<std::uint32_t>((bar + kLeadInBars) * kBeatsPerBar * kTutorialTicksPerQuarter);
}

SmfTrack BuildConductor(int barCount) {
  SmfTrack track;
  track.TrackName(0, kTutorialSongTitle);
  track.TimeSignature(0, kBeatsPerBar, kDenominatorPowerQuarter, kMidiClocksPerClick, kThirtySecondsPerQuarter);
  track.KeySignature(0, kFlatsOfFMajor, false);
  for (const TempoMark& mark : kTempoMap) {
    if (mark.bar >= barCount) throw ESmfWriteError("tempo mark after the last bar");
    // The opening tempo holds from tick 0, over the lead-in.
    const std::uint32_t tick = mark.bar == 0 ? 0 : BarTick(mark.bar);
    track.Tempo(tick, static_cast<std::uint32_t>(std::lround(kMicrosecondsPerMinute / mark.bpm)));
  }
  return track;
}

SmfTrack BuildPart(const Part& part) {
  SmfTrack track;
  track.TrackName(0, part.name);
  track.ProgramChange(0, part.channel, part.program);
  track.ControlChange(0, part.channel, kControllerVolume, part.volume);
  track.ControlChange(0, part.channel, kControllerPan, part.pan);
  track.ControlChange(0, part.channel, kControllerReverb, part.reverb);

  for (size_t bar = 0; bar < part.bars.size(); ++bar) {
    if (part.bars[bar].empty()) continue;
    const std::vector<PhraseStep> steps = ParsePhrase(part.bars[bar]);
    // A phrase may hold over following silent bars (the intro pad), but it
    // must fill whole bars, or every later bar of the part would shift.
    const double quarters = PhraseQuarters(steps);
    const double bars = quarters / kBeatsPerBar;
    if (std::fabs(bars - std::round(bars)) > 1e-9 || bars < 1.0) {
      throw EPhraseError(std::string(part.name) + " bar " + std::to_string(bar + 1) + " lasts " +
                         std::to_string(quarters) + " quarter notes, not whole bars");
    }
    double position = 0.0;
    for (const PhraseStep& step : steps) {
      const std::uint32_t tick = BarTick(static_cast<int>(bar)) + QuartersToTicks(position);
      const bool downbeat = position == 0.0;
      const int velocity = std::min(kMaxVelocity, part.velocity + BarDynamics(static_cast<int>(bar)) +
                                                      (downbeat ? kDownbeatAccent : 0));
      const std::uint32_t length = part.channel == kDrumChannel
                                       ? kDrumHitTicks
                                       : std::max<std::uint32_t>(1, QuartersToTicks(step.quarters * part.articulation));
      for (int key : step.keys) track.Note(tick, length, part.channel, key, velocity);
      position += step.quarters;
    }
  }
  return track;
}

}  // namespace

SmfBytes BuildTutorialSong() {
  const std::vector<const Part*> parts = {&kMelody, &kBass, &kPad, &kCelesta, &kDrums};
  const int barCount = static_cast<int>(kMelody.bars.size());
  std::vector<SmfTrack> tracks;
  tracks.push_back(BuildConductor(barCount));
  for (const Part* part : parts) {
    if (static_cast<int>(part->bars.size()) > barCount) {
      throw EPhraseError(std::string(part->name) + " has more bars than the melody");
    }
    tracks.push_back(BuildPart(*part));
  }
  return BuildSmf(1, kTutorialTicksPerQuarter, tracks, BarTick(barCount) + QuartersToTicks(kRingOutQuarters));
}
