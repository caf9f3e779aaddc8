// The game's real audio stream on a real sound server: a private PulseAudio
// server with a null sink, the stream opened through RtAudio's PulseAudio back
// end, the song played by the sequencer on its timer, the sink's monitor
// recorded with parec. In the recording the caught notes sound at the song's
// spacing, the missed ones are silent and the count-in voice line is mixed
// in; a Stop releases the sounding notes as an offline render does. Skipped,
// with the reason, where pulseaudio is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "audio_test_support.h"
#include "game/sequencer/midi_play_v.h"
#include "platform/audio/audio_engine.h"
#include "platform/audio/audio_stream.h"
#include "platform/kernel/tick_count.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"
#include "pulse_server.h"
#include "tools/make_tutorial_song/smf_writer.h"

namespace {

using namespace std::chrono_literals;

constexpr int kTicksPerQuarter = 480;
constexpr std::uint32_t kQuarterMicroseconds = 500000;  // 120 bpm
constexpr double kNoteSeconds[] = {0.4, 0.8, 1.2, 1.6, 2.0, 2.4};
constexpr double kNoteLengthSeconds = 0.1;
constexpr double kSongEndSeconds = 3.0;
constexpr int kCaughtLane = 10;
constexpr int kMissedLane = 100;
constexpr int kCursorX = kCaughtLane * TMidiPlayV::kLaneWidthPx + TMidiPlayV::kLaneCentrePx;
constexpr int kBarHalfWidth = 10;
constexpr double kOnsetLevel = 0.02;
constexpr double kToleranceSeconds = 0.005;
constexpr DWORD kPollMs = 10;
constexpr int kSteadyLimitMs = 10000;
constexpr std::uint64_t kSteadyFrames = 9600;  // 0.2 s at 48 kHz
// The null sink hands its monitor over in large blocks while idle: the
// recorder keeps running long enough for the last of them to arrive.
constexpr auto kTail = 3000ms;
// A sound server on a busy machine now and then stops taking a stream's sound
// for a while (RtAudio's PulseAudio back end pauses a new stream for about two
// seconds), which moves everything after it; the server may also skip ahead
// afterwards. A run in which the stream stalled, or fell this far behind the
// clock, says nothing about the game's timing and is made again, up to
// kAttempts times.
constexpr double kPaceToleranceSeconds = 0.05;
constexpr int kAttempts = 5;

std::uint32_t TicksAt(double seconds) {
  return static_cast<std::uint32_t>(std::lround(seconds * 1e6 / kQuarterMicroseconds * kTicksPerQuarter));
}

// Reads a WAV file into the largest magnitude of each millisecond.
std::vector<double> MillisecondPeaks(const std::string& path, double& rate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return {};
  std::vector<float> samples(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
  const sf_count_t frames = sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  rate = info.samplerate;
  const size_t perMs = static_cast<size_t>(info.samplerate / 1000);
  std::vector<double> peaks(static_cast<size_t>(frames) / perMs, 0.0);
  for (size_t i = 0; i < peaks.size() * perMs * static_cast<size_t>(info.channels); ++i) {
    double& peak = peaks[i / (perMs * static_cast<size_t>(info.channels))];
    peak = std::max(peak, static_cast<double>(std::fabs(samples[i])));
  }
  return peaks;
}

// The first millisecond at or after from whose peak exceeds level; -1 when none before to.
int FirstAbove(const std::vector<double>& peaks, int from, int to, double level) {
  for (int ms = std::max(0, from); ms < std::min<int>(to, static_cast<int>(peaks.size())); ++ms) {
    if (peaks[static_cast<size_t>(ms)] > level) return ms;
  }
  return -1;
}

double Largest(const std::vector<double>& peaks, int from, int to) {
  double largest = 0.0;
  for (int ms = std::max(0, from); ms < std::min<int>(to, static_cast<int>(peaks.size())); ++ms) {
    largest = std::max(largest, peaks[static_cast<size_t>(ms)]);
  }
  return largest;
}

int Ms(double seconds) { return static_cast<int>(std::lround(seconds * 1000.0)); }

// The stream's frames against the clock from the moment it is made.
// A 440 Hz tone at half scale in both channels, never an exact zero for a
// millisecond: a gap in its recording is the stream's.
void FillTone(float* interleaved, unsigned frames, double& phase) {
  for (unsigned f = 0; f < frames; ++f) {
    interleaved[2 * f] = interleaved[2 * f + 1] = static_cast<float>(0.5 * std::sin(phase));
    phase += 2.0 * M_PI * 440.0 / 48000.0;
  }
}

class TPaceWatch {
 public:
  explicit TPaceWatch(const TAudioEngine& engine)
      : m_engine(engine),
        m_frames(engine.RenderedFrames()),
        m_stalls(engine.StreamStalls()),
        m_start(std::chrono::steady_clock::now()) {}
  // Seconds the stream has fallen behind the clock (negative: ahead of it).
  double Behind() const {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    return elapsed - static_cast<double>(m_engine.RenderedFrames() - m_frames) / m_engine.SampleRate();
  }
  bool KeptPace() const {
    return m_engine.StreamStalls() == m_stalls && std::fabs(Behind()) <= kPaceToleranceSeconds;
  }

 private:
  const TAudioEngine& m_engine;
  std::uint64_t m_frames;
  int m_stalls;
  std::chrono::steady_clock::time_point m_start;
};

class LiveStreamTest : public ::testing::TestWithParam<TSoundServerKind> {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() / ("pluv_live_stream_" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string reason;
    if (!server.Start((folder / "pulse").string(), reason)) GTEST_SKIP() << reason;
    // The engine of the game, on the small SoundFont, opened on this server.
    TAudioEngine::SetGlobalOptions(OfflineOptionsWithDevice());
  }
  void TearDown() override {
    server.Stop();
    std::filesystem::remove_all(folder);
  }
  static TAudioEngineOptions OfflineOptionsWithDevice() {
    TAudioEngineOptions options = OfflineOptions();
    options.deviceOutput = true;
    return options;
  }
  std::string WriteSong() {
    SmfTrack track;
    track.Tempo(0, kQuarterMicroseconds);
    for (double at : kNoteSeconds) track.Note(TicksAt(at), TicksAt(kNoteLengthSeconds), 0, 72, 110);
    const std::string path = (folder / "song.mid").string();
    const SmfBytes bytes = BuildSmf(0, kTicksPerQuarter, {track}, TicksAt(kSongEndSeconds));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Waits until the stream has rendered kSteadyFrames more (it runs steadily).
  static bool RendersOn(const TAudioEngine& engine) {
    const std::uint64_t from = engine.RenderedFrames();
    return WaitUntil(kSteadyLimitMs, [&] { return engine.RenderedFrames() >= from + kSteadyFrames; }, 10);
  }
  // The synthesizer open and the stream running steadily on the private server.
  static void OpenSteadyStream(TAudioEngine& engine) {
    ASSERT_TRUE(engine.OpenSynthesizer());
    ASSERT_TRUE(engine.StreamRunning()) << engine.StreamAbsentReason();
    ASSERT_TRUE(RendersOn(engine));
  }

  // One game of the song through the stream, recorded; keptPace tells
  // whether the stream kept up with the clock throughout.
  void PlayAndRecord(const std::string& recording, bool& keptPace);
  // The recording of a game that kept pace: onsets, silences, the voice.
  void Analyse(const std::string& recording);

  std::filesystem::path folder;
  TPulseServer server{GetParam()};
};

TEST_P(LiveStreamTest, CaughtNotesSoundOnTimeMissedOnesAreSilentAndTheVoiceIsMixedIn) {
  std::string recording;
  for (int attempt = 1;; ++attempt) {
    recording = (folder / ("recording" + std::to_string(attempt) + ".wav")).string();
    bool keptPace = false;
    PlayAndRecord(recording, keptPace);
    if (HasFatalFailure()) return;
    if (keptPace) break;
    if (attempt == kAttempts) GTEST_SKIP() << "the sound server stalled the stream in every run";
    std::printf("attempt %d: the stream stalled or did not keep pace with the clock; once more\n", attempt);
  }
  Analyse(recording);
}

void LiveStreamTest::PlayAndRecord(const std::string& recording, bool& keptPace) {
  // Recording first: the sink runs with the recorder's short latency from the
  // moment the game's stream connects.
  ASSERT_TRUE(server.StartRecording(recording));
  TMidiPlayV player(nullptr, (folder / "play.ini").string());
  player.AddPlayDevice(-1);
  ASSERT_TRUE(player.OpenPorts());
  TAudioEngine& engine = TAudioEngine::Global();
  ASSERT_TRUE(engine.StreamRunning()) << engine.StreamAbsentReason();
  const TStreamSettings stream = engine.StreamSettings();
  std::printf("stream: %s on %s, %u Hz, %u frames x %u, reported latency %.1f ms, scheduling delay %.2f ms\n",
              stream.api.c_str(), stream.deviceName.c_str(), stream.sampleRate, stream.bufferFrames,
              stream.numberOfBuffers, stream.latencyMs,
              std::chrono::duration<double, std::milli>(engine.SchedulingDelay()).count());

  // A new PulseAudio stream renders its first buffers, then waits while the
  // server settles its latency: the song starts once the stream runs steadily.
  ASSERT_TRUE(RendersOn(engine));
  player.LoadFromFile(WriteSong());
  player.Seek(0);
  for (auto& on : player.ChannelOn) on = true;
  int index = 0;
  for (TMidiEventItemStanderd* item : player.Events) {
    if (auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item)) note->Lane = index++ % 2 == 0 ? kCaughtLane : kMissedLane;
  }
  ASSERT_EQ(index, static_cast<int>(std::size(kNoteSeconds)));
  Application().PublishCursorClientX(kCursorX);
  player.BarHalfWidth = kBarHalfWidth;
  player.VoiceOn = true;

  const TPaceWatch pace(engine);
  ASSERT_TRUE(player.Start());
  while (player.Playing) {
    Sleep(kPollMs);
    ProcessPostedMessages();
  }
  // The pace of the game itself, up to its end: on a busy machine the stream
  // often stalls as a game is stopped, after every note that is checked.
  keptPace = pace.KeptPace();
  player.Stop();
  std::this_thread::sleep_for(kTail);
  server.StopRecording();
  player.ClosePorts();
  EXPECT_EQ(player.GoodCount.load(), 3);
  EXPECT_EQ(player.BadCount.load(), 3);
}

void LiveStreamTest::Analyse(const std::string& recording) {
  double rate = 0.0;
  const std::vector<double> peaks = MillisecondPeaks(recording, rate);
  ASSERT_FALSE(peaks.empty());
  const int end = static_cast<int>(peaks.size());
  // The count-in voice line comes first, at its own level (volume 100 %).
  const int voice = FirstAbove(peaks, 0, end, kOnsetLevel);
  ASSERT_GE(voice, 0) << "nothing was heard";
  const double voicePeak = Largest(peaks, voice, voice + Ms(0.8));
  EXPECT_GT(voicePeak, 0.3) << "the voice line is not in the mix";
  // The first caught note comes after the whole count-in.
  const int first = FirstAbove(peaks, voice + Ms(1.0) + Ms(kNoteSeconds[0]) - 50, end, kOnsetLevel);
  ASSERT_GE(first, 0) << "no note was heard";
  std::printf("recording %d ms, voice at %d ms, first note at %d ms\n", end, voice, first);
  ASSERT_GT(end, first + Ms(kNoteSeconds[std::size(kNoteSeconds) - 1] - kNoteSeconds[0] + kNoteLengthSeconds));
  for (size_t i = 0; i < std::size(kNoteSeconds); ++i) {
    const int expected = first + Ms(kNoteSeconds[i] - kNoteSeconds[0]);
    const int window = Ms(kToleranceSeconds);
    if (i % 2 == 0) {
      // Caught: it starts within 5 ms of its place in the song.
      const int onset = FirstAbove(peaks, expected - 4 * window, expected + 4 * window, kOnsetLevel);
      EXPECT_NEAR(onset, expected, window) << "caught note " << i;
      EXPECT_GT(Largest(peaks, expected, expected + Ms(kNoteLengthSeconds)), 0.1) << "caught note " << i;
    } else {
      // Missed: nothing starts; the tail of the note before only falls.
      const double before = peaks[static_cast<size_t>(expected - window)];
      EXPECT_LE(Largest(peaks, expected, expected + Ms(kNoteLengthSeconds)), before + 0.005) << "missed note " << i;
    }
  }
}

}  // namespace

namespace {

// A message that reaches the stream after its sample has gone is measured;
// at the next reset (between games) the delay grows to cover it, by at most
// the engine's limit, and a song already playing is never moved.
TEST_P(LiveStreamTest, SchedulingDelayGrowsBetweenGamesByTheLatenessSeen) {
  TAudioEngine& engine = TAudioEngine::Global();
  ASSERT_NO_FATAL_FAILURE(OpenSteadyStream(engine));
  engine.ResetSynthesizer();
  const auto before = engine.SchedulingDelay();
  EXPECT_EQ(engine.LatenessSeen(), std::chrono::nanoseconds(0));

  // Due 4 ms before its sample could still be made: that much too late at least.
  const std::uint8_t noteOn[] = {0x90, 60, 80};
  std::chrono::nanoseconds seen{0};
  for (int attempt = 1;; ++attempt) {
    const TPaceWatch pace(engine);
    const auto late = std::chrono::steady_clock::now() - before - 4ms;
    ASSERT_TRUE(engine.SendMidi(noteOn, 3, late));
    ASSERT_TRUE(RendersOn(engine));
    seen = engine.LatenessSeen();
    if (pace.KeptPace()) break;
    if (attempt == kAttempts) GTEST_SKIP() << "the sound server stalled the stream in every run";
    // A stalled stream may take the message on time: the lateness seen so far
    // stays (it only grows) and the message is sent again.
    std::printf("attempt %d: the stream stalled or did not keep pace with the clock; once more\n", attempt);
  }
  EXPECT_GE(seen, 4ms);
  EXPECT_EQ(engine.SchedulingDelay(), before) << "the delay must not change during a song";

  engine.ResetSynthesizer();
  const auto after = engine.SchedulingDelay();
  EXPECT_GE(after, before + std::min<std::chrono::nanoseconds>(seen, TAudioEngine::kMaxExtraDelay));
  EXPECT_LE(after, before + TAudioEngine::kMaxExtraDelay);
  EXPECT_EQ(engine.LatenessSeen(), std::chrono::nanoseconds(0));

  // Far too late: the growth stops at the limit.
  ASSERT_TRUE(engine.SendMidi(noteOn, 3, std::chrono::steady_clock::now() - 1s));
  ASSERT_TRUE(RendersOn(engine));
  engine.ResetSynthesizer();
  EXPECT_EQ(engine.SchedulingDelay(), before + TAudioEngine::kMaxExtraDelay);
}

}  // namespace

namespace {

// Once the sound server has gone, every write fails at once and the stream
// asks for buffers as fast as they can be made: the engine keeps it near the
// pace of a device (a second of audio now and then in a burst, then a second
// at the pace of the clock) instead of keeping a core busy, and says the
// stream is lost; when the server is back, the stream opens on it again.
TEST_P(LiveStreamTest, AServerThatGoesAwayIsNoticedAndTheStreamOpensAgainOnItsReturn) {
  TAudioEngine& engine = TAudioEngine::Global();
  ASSERT_NO_FATAL_FAILURE(OpenSteadyStream(engine));
  EXPECT_FALSE(engine.StreamLost());
  server.Stop();
  std::this_thread::sleep_for(1s);
  const std::uint64_t from = engine.RenderedFrames();
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(3s);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double audio = static_cast<double>(engine.RenderedFrames() - from) / engine.SampleRate();
  std::printf("after the server went: %.2f s of audio in %.2f s\n", audio, wall);
  EXPECT_GT(audio, 0.0) << "the stream stopped altogether";
  EXPECT_LT(audio, 3.0 * wall);
  ASSERT_TRUE(WaitUntil(kSteadyLimitMs, [&] { return engine.StreamLost(); }, 10));

  std::string reason;
  ASSERT_TRUE(server.Start((folder / "pulse").string(), reason)) << reason;
  ASSERT_TRUE(engine.ReopenOutput(std::string()));
  EXPECT_FALSE(engine.StreamLost());
  ASSERT_TRUE(RendersOn(engine));
  bool keptPace = false;
  for (int attempt = 1; attempt <= kAttempts && !keptPace; ++attempt) {
    const TPaceWatch pace(engine);
    std::this_thread::sleep_for(1s);
    keptPace = pace.KeptPace();
  }
  EXPECT_TRUE(keptPace) << "the stream on the server that came back does not keep pace";
  EXPECT_FALSE(engine.StreamLost());
}

// Three sinks of one description: the list tells them apart, the stream
// opens on the server's default one (the first) whatever the names, and a
// chosen one by its place among them.
TEST_P(LiveStreamTest, SinksOfOneDescriptionAreToldApartAndTheDefaultOneGetsTheSound) {
  ASSERT_TRUE(server.AddSink("pluvionaut_test_other_a"));
  ASSERT_TRUE(server.AddSink("pluvionaut_test_other_b"));
  const std::vector<std::string> names = TAudioStream::OutputDeviceNames();
  const std::string label = std::string(TAudioStream::kPulsePrefix) + TPulseServer::kSinkDescription;
  for (const std::string& name : {label, label + " (2)", label + " (3)"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
  const std::string recording = (folder / "default_sink.wav").string();
  ASSERT_TRUE(server.StartRecording(recording));
  TAudioStream stream;
  double phase = 0.0;
  const auto tone = [&phase](float* out, unsigned frames) { FillTone(out, frames, phase); };
  std::string reason;
  ASSERT_TRUE(stream.Open(tone, reason)) << reason;
  EXPECT_EQ(stream.Settings().deviceName, label);
  std::this_thread::sleep_for(2s);
  stream.Close();
  std::this_thread::sleep_for(kTail);
  server.StopRecording();
  double rate = 0.0;
  const std::vector<double> peaks = MillisecondPeaks(recording, rate);
  ASSERT_FALSE(peaks.empty());
  EXPECT_GT(*std::max_element(peaks.begin(), peaks.end()), 0.3) << "the default sink heard nothing";

  ASSERT_TRUE(stream.Open(tone, reason, label + " (3)")) << reason;
  EXPECT_EQ(stream.Settings().deviceName, label + " (3)");
  stream.Close();
}

// The stream beside a disk being written (a few hundred MB with fdatasync):
// the queue the server keeps is the one chosen, and the gaps heard are
// counted. How many there are depends on the machine (bench_stream_gaps
// compares lengths); the queue in force is what is asserted.
TEST_P(LiveStreamTest, TheStreamKeepsItsQueueWhileTheDiskIsWritten) {
  const std::string recording = (folder / "busy_disk.wav").string();
  ASSERT_TRUE(server.StartRecording(recording));
  TAudioStream stream;
  double phase = 0.0;
  std::atomic<std::uint64_t> rendered{0};
  std::string reason;
  ASSERT_TRUE(stream.Open([&](float* out, unsigned frames) {
    FillTone(out, frames, phase);
    rendered += frames;
  }, reason)) << reason;
  const TStreamSettings settings = stream.Settings();
  EXPECT_EQ(settings.api, "pulse");
  EXPECT_GE(settings.bufferFrames * settings.numberOfBuffers,
            settings.sampleRate * TAudioStream::kPulseBufferMs / 1000 * 9 / 10);
  EXPECT_GT(settings.latencyMs, 10.0);
  // A new stream waits while the server settles its latency; the writing
  // starts once it runs steadily, and the tone sounds on after it.
  const std::uint64_t from = rendered.load();
  ASSERT_TRUE(WaitUntil(kSteadyLimitMs, [&] { return rendered.load() >= from + 2 * kSteadyFrames; }, 10));
  {
    constexpr int kMegabytes = 300;
    const std::vector<char> chunk(1 << 20, 'w');
    FILE* file = std::fopen((folder / "written").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < kMegabytes; ++i) {
      ASSERT_EQ(std::fwrite(chunk.data(), 1, chunk.size(), file), chunk.size());
      if (i % 50 == 49) fdatasync(fileno(file));
    }
    fdatasync(fileno(file));
    std::fclose(file);
    std::filesystem::remove(folder / "written");
  }
  std::this_thread::sleep_for(1s);
  stream.Close();
  std::this_thread::sleep_for(kTail);
  server.StopRecording();
  double rate = 0.0;
  const std::vector<double> peaks = MillisecondPeaks(recording, rate);
  // From the first 200 ms of unbroken tone (the steady stream) to its end.
  size_t run = 0;
  size_t steady = peaks.size();
  for (size_t i = 0; i < peaks.size() && steady == peaks.size(); ++i) {
    run = peaks[i] > 0.0 ? run + 1 : 0;
    if (run == 200) steady = i;
  }
  size_t end = peaks.size();
  while (end > steady && peaks[end - 1] == 0.0) --end;
  ASSERT_LT(steady, end) << "the tone never ran steadily";
  int gaps = 0;
  int silent = 0;
  for (size_t i = steady; i < end; ++i) {
    silent = peaks[i] == 0.0 ? silent + 1 : 0;
    if (silent == 3) ++gaps;
  }
  std::printf("%.1f s of tone beside the writer, %u ms queued (latency %.1f ms): %d gaps\n",
              static_cast<double>(end - steady) / 1000.0, TAudioStream::kPulseBufferMs, settings.latencyMs, gaps);
}

// A JACK server running beside the sound server (for other music software)
// is offered in the list but left alone: the stream still goes to the sound
// server's default sink.
TEST_P(LiveStreamTest, AJackServerBesideIsListedButTheStreamStaysOnTheSoundServer) {
  const std::string jackd = FindProgram("jackd");
  if (jackd.empty()) GTEST_SKIP() << "jackd is not installed";
  const std::string serverName = "pluvionaut_test_" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", serverName.c_str(), 1);
  TChildProcess jack;
  ASSERT_TRUE(jack.Start({jackd, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "256"},
                         EnvironmentWith({"JACK_DEFAULT_SERVER=" + serverName}), folder.string()));
  std::vector<std::string> names;
  const std::string jackPrefix = TAudioStream::kJackPrefix;
  WaitUntil(kSteadyLimitMs, [&] {
    names = TAudioStream::OutputDeviceNames();
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return n.starts_with(jackPrefix); });
  }, 100);
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& n) { return n.starts_with(jackPrefix); }))
      << "no JACK output listed while jackd runs";
  TAudioStream stream;
  std::string reason;
  ASSERT_TRUE(stream.Open([](float* out, unsigned frames) { std::fill(out, out + 2 * frames, 0.0f); }, reason)) << reason;
  EXPECT_EQ(stream.Settings().api, "pulse");
  EXPECT_TRUE(stream.Settings().deviceName.starts_with(TAudioStream::kPulsePrefix)) << stream.Settings().deviceName;
  stream.Close();
  jack.Stop();
  unsetenv("JACK_DEFAULT_SERVER");
}

// Every test on PulseAudio itself and on PipeWire's PulseAudio server, the
// sound servers of today's desktops.
INSTANTIATE_TEST_SUITE_P(Servers, LiveStreamTest,
                         ::testing::Values(TSoundServerKind::PulseAudio, TSoundServerKind::PipeWire),
                         [](const ::testing::TestParamInfo<TSoundServerKind>& info) {
                           return std::string(SoundServerName(info.param));
                         });

}  // namespace
