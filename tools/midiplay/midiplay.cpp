// midiplay: plays a Standard MIDI File through the game's sequencer, with
// every raining drop caught (an infinite bar) or every drop missed (--miss),
// either in real time through the MIDI mapper, printing the position and the
// counters once a second, or rendered offline into a 48 kHz stereo WAV file
// (--wav), faster than real time, by stepping the sequencer on a virtual
// clock in 5 ms steps and rendering the synthesizer sample-accurately. With
// --tail the WAV file (or the playing) goes on for that long after the song
// ends or --stop-at stops it, so that the released notes and the reverb die
// away in it. With --start the song starts at that position, with what it
// set up before (the game's chase); the notes struck before are not struck.
//
// The game's settings file is never touched: the play count goes to a
// settings file in a temporary folder that is removed at exit, unless
// --settings names one to use.
#include <sndfile.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "game/sequencer/midi_play_v.h"
#include "platform/audio/audio_engine.h"
#include "platform/kernel/tick_count.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int32_t kInfiniteBarHalfWidth = 2147483646;
// A mouse this far left of the play field misses every drop with a bar of 0.
constexpr int kFarOutsideX = -1000000;
constexpr int kStepMs = static_cast<int>(TMidiPlayV::kTickIntervalMs);
constexpr DWORD kPollMs = 20;
constexpr DWORD kReportEveryMs = 1000;
constexpr int kStereo = 2;
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr double kMsPerSecond = 1000.0;

struct TOptions {
  std::string songFile;
  double speed = 1.0;
  std::string wavFile;
  bool miss = false;
  std::string soundFont;
  std::string settingsFile;
  double startSeconds = 0.0;    // where the song starts
  double stopAtSeconds = -1.0;  // Stop at this song position; negative: play to the end
  double tailSeconds = 0.0;     // what follows the end or the stop: the release and the reverb
  bool help = false;
};

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: midiplay FILE [--speed S] [--wav OUT.wav] [--miss] [--soundfont SF2] [--settings INI]\n"
               "                [--start SECONDS] [--stop-at SECONDS] [--tail SECONDS]\n"
               "  plays FILE with every drop caught (or missed with --miss); with --wav renders it\n"
               "  offline into a 48 kHz stereo WAV file instead of playing it. --start starts at\n"
               "  that position with the song's state there, as the game's practice seek does.\n"
               "  --stop-at stops the song as the game's Stop does at that position; --tail goes\n"
               "  on that long after the end or the stop. The play count goes to a temporary\n"
               "  settings file unless --settings names one. --help shows this text.\n");
}

bool ParseArguments(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    }
    if (arg == "--speed") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.speed = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !(options.speed > 0)) return false;
    } else if (arg == "--wav") {
      if (!value(options.wavFile)) return false;
    } else if (arg == "--stop-at") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.stopAtSeconds = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !(options.stopAtSeconds >= 0)) return false;
    } else if (arg == "--start") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.startSeconds = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !(options.startSeconds >= 0)) return false;
    } else if (arg == "--tail") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.tailSeconds = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || !(options.tailSeconds >= 0)) return false;
    } else if (arg == "--miss") {
      options.miss = true;
    } else if (arg == "--soundfont") {
      if (!value(options.soundFont)) return false;
    } else if (arg == "--settings") {
      if (!value(options.settingsFile)) return false;
    } else if (!arg.empty() && arg[0] == '-') {
      return false;
    } else if (options.songFile.empty()) {
      options.songFile = arg;
    } else {
      return false;
    }
  }
  return !options.songFile.empty();
}

// A settings file of our own in a temporary folder, removed with this object.
class TTemporarySettings {
 public:
  TTemporarySettings() {
    std::string pattern = (std::filesystem::temp_directory_path() / "midiplay_XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) m_folder = pattern;
  }
  ~TTemporarySettings() {
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }
  std::string File() const { return m_folder.empty() ? std::string() : (m_folder / "midiplay.ini").string(); }

 private:
  std::filesystem::path m_folder;
};

void ReportProgress(const TMidiPlayV& player) {
  std::printf("%8.1f s / %.1f s   good %d   bad %d\n", player.PositionMs / 1000.0, player.EndTime / 1000.0,
              player.GoodCount.load(), player.BadCount.load());
  std::fflush(stdout);
}

bool StopPositionReached(const TMidiPlayV& player, double stopAtSeconds) {
  return stopAtSeconds >= 0 && player.PositionMs >= stopAtSeconds * 1000.0;
}

// Without a sound device the song plays on unheard: say so rather than
// leave a silent terminal to be puzzled over.
void ReportMissingSoundDevice() {
  TAudioEngine& engine = TAudioEngine::Global();
  engine.EnsureOutput();
  if (engine.StreamRunning()) return;
  std::fprintf(stderr, "midiplay: no sound device (%s); playing without sound\n", engine.StreamAbsentReason().c_str());
}

std::chrono::milliseconds TailOf(double tailSeconds) {
  return std::chrono::milliseconds(static_cast<int64_t>(tailSeconds * kMsPerSecond));
}

int PlayInRealTime(TMidiPlayV& player, double stopAtSeconds, double tailSeconds) {
  ReportMissingSoundDevice();
  if (!player.Start()) {
    std::fprintf(stderr, "midiplay: the song could not be started\n");
    return kExitFailure;
  }
  DWORD lastReport = GetTickCount();
  ReportProgress(player);
  while (player.Playing && !StopPositionReached(player, stopAtSeconds)) {
    Sleep(kPollMs);
    // The finished system-exclusive buffers come back as posted messages.
    ProcessPostedMessages();
    if (GetTickCount() - lastReport >= kReportEveryMs) {
      lastReport += kReportEveryMs;
      ReportProgress(player);
    }
  }
  player.Stop();  // waits for the end step to finish
  ReportProgress(player);
  // The released notes and the reverb die away before the stream closes.
  Sleep(static_cast<DWORD>(TailOf(tailSeconds).count()));
  return 0;
}

// Steps the sequencer on a virtual clock and renders what it sent. WAV frame
// f is song time speed * f / rate: frame 0 starts the moment the first step's
// messages would sound, the synthesizer's fixed delay after their due time.
int RenderToWav(TMidiPlayV& player, const std::string& wavFile, double stopAtSeconds, double tailSeconds) {
  TAudioEngine& engine = TAudioEngine::Global();
  if (!engine.SynthesizerReady()) {
    std::fprintf(stderr, "midiplay: no General MIDI SoundFont could be loaded\n");
    return kExitFailure;
  }
  const unsigned rate = engine.SampleRate();
  const TClock::duration delay = engine.SchedulingDelay();
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = kStereo;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* out = sf_open(wavFile.c_str(), SFM_WRITE, &info);
  if (out == nullptr) {
    std::fprintf(stderr, "midiplay: cannot write %s: %s\n", wavFile.c_str(), sf_strerror(nullptr));
    return kExitFailure;
  }
  sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);

  // On the whole-millisecond grid that the steps keep their due times on.
  const TClock::time_point start = std::chrono::floor<std::chrono::milliseconds>(TClock::now());
  TClock::time_point now = start;
  player.SetClock([&now] { return now; });
  std::vector<float> buffer;
  uint64_t framesDone = 0;
  // Renders up to the frame of the virtual moment `until` (exclusive).
  auto renderUntil = [&](TClock::duration until) {
    const uint64_t target = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(until).count()) *
                            rate / 1000000000ULL;
    if (target <= framesDone) return;
    const size_t frames = static_cast<size_t>(target - framesDone);
    buffer.assign(frames * kStereo, 0.0f);
    const TClock::time_point renderClock =
        start + delay + std::chrono::nanoseconds(static_cast<int64_t>(framesDone * 1000000000ULL / rate));
    engine.RenderOffline(buffer.data(), frames, renderClock);
    sf_writef_float(out, buffer.data(), static_cast<sf_count_t>(frames));
    framesDone = target;
  };

  // The device is fresh: the chase of the start position is all it needs.
  player.SendChase();
  player.Playing = true;
  player.Tick(0);
  const std::chrono::milliseconds step(kStepMs);
  while (player.Playing && !StopPositionReached(player, stopAtSeconds)) {
    now += step;
    player.Tick(kStepMs);
    // Rounding at odd speeds lets a message be due up to a millisecond before
    // the step: stay one step behind, so none comes after its frames were made.
    if (now - start > step) renderUntil(now - start - step);
  }
  // Everything sent so far sounds before the stop, which then takes effect at
  // this frame, as it does in the live stream's next buffer.
  renderUntil(now - start);
  const double stopSeconds = static_cast<double>(framesDone) / rate;
  player.Stop();
  renderUntil(now - start + TailOf(tailSeconds));
  sf_close(out);
  std::printf("%s: %.3f s at %u Hz, good %d, bad %d, stopped at %.3f s\n", wavFile.c_str(),
              static_cast<double>(framesDone) / rate, rate, player.GoodCount.load(), player.BadCount.load(),
              stopSeconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (!ParseArguments(argc, argv, options)) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (options.help) {
    PrintUsage(stdout);
    return 0;
  }
  const bool offline = !options.wavFile.empty();
  TAudioEngineOptions audio;
  audio.deviceOutput = !offline;
  if (!options.soundFont.empty()) audio.soundFontPaths.insert(audio.soundFontPaths.begin(), options.soundFont);
  TAudioEngine::SetGlobalOptions(audio);

  TTemporarySettings temporary;
  const std::string settings = options.settingsFile.empty() ? temporary.File() : options.settingsFile;
  if (settings.empty()) {
    std::fprintf(stderr, "midiplay: no temporary folder for the settings file\n");
    return kExitFailure;
  }

  try {
    TMidiPlayV player(nullptr, settings);
    player.AddPlayDevice(-1);  // the MIDI mapper: the built-in synthesizer
    if (!player.OpenPorts()) std::fprintf(stderr, "midiplay: the MIDI mapper did not open; playing silently\n");
    try {
      player.LoadFromFile(options.songFile);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "midiplay: cannot load %s: %s\n", options.songFile.c_str(), error.what());
      player.ClosePorts();
      return kExitFailure;
    }
    player.Seek(static_cast<int32_t>(options.startSeconds * kMsPerSecond));
    player.SetPlaySpeed(options.speed);
    for (auto& on : player.ChannelOn) on = true;
    player.VoiceOn = false;
    for (TMidiEventItemStanderd* item : player.Events) {
      if (auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item)) note->Lane = note->Data1;
    }
    Application().PublishCursorClientX(options.miss ? kFarOutsideX : 0);
    player.BarHalfWidth = options.miss ? 0 : kInfiniteBarHalfWidth;

    const int status = offline ? RenderToWav(player, options.wavFile, options.stopAtSeconds, options.tailSeconds)
                               : PlayInRealTime(player, options.stopAtSeconds, options.tailSeconds);
    player.ClosePorts();
    return status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "midiplay: %s\n", error.what());
    return kExitFailure;
  }
}
