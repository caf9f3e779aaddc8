// bench_sequencer: plays a dense song (20 note-ons and 20 note-offs every
// 5 ms, every drop caught) through the sequencer into the recording MIDI
// device with the real 5 ms timer, and reports how late each note-on left
// the sequencer against its song time (send moment - start - Time / speed),
// as median, 99th percentile and maximum; then the cost of one step (Tick)
// driven by hand and measured during the real-time run. Not a test: run it
// by hand or through bench.sh in a Release build.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "game/sequencer/midi_play_v.h"
#include "platform/audio/audio_engine.h"
#include "platform/kernel/thread_priority.h"
#include "platform/ui/application.h"
#include "platform/winmm/recording_midi_out.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kDivision = 500;  // one tick is one millisecond at 120 bpm
constexpr int kNotesPerMs = 4;  // 20 per 5 ms step
constexpr int kSongMs = 10000;
constexpr int kNoteLengthMs = 3;
constexpr int kChannels = 16;
constexpr int32_t kInfiniteBar = 2147483646;
constexpr int kDrivenRuns = 5;

using TBytes = std::vector<uint8_t>;

void VarLen(TBytes& out, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

void BigEndian(TBytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Format 0: at every millisecond four notes start and the four of 3 ms ago end.
TBytes DenseSong() {
  TBytes body;
  uint32_t last = 0;
  auto event = [&](uint32_t ms, uint8_t status, uint8_t data1, uint8_t data2) {
    VarLen(body, ms - last);
    last = ms;
    body.insert(body.end(), {status, data1, data2});
  };
  auto note = [](uint32_t ms, int i) { return static_cast<uint8_t>(36 + (ms * kNotesPerMs + i) % 60); };
  for (uint32_t ms = 0; ms < kSongMs + kNoteLengthMs; ++ms) {
    for (int i = 0; i < kNotesPerMs; ++i) {
      if (ms >= kNoteLengthMs) {
        const uint32_t began = ms - kNoteLengthMs;
        event(ms, static_cast<uint8_t>(0x80 | (i % kChannels)), note(began, i), 64);
      }
    }
    if (ms >= kSongMs) continue;
    for (int i = 0; i < kNotesPerMs; ++i) event(ms, static_cast<uint8_t>(0x90 | (i % kChannels)), note(ms, i), 100);
  }
  VarLen(body, 10);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  TBytes file{'M', 'T', 'h', 'd'};
  BigEndian(file, 6, 4);
  BigEndian(file, 0, 2);
  BigEndian(file, 1, 2);
  BigEndian(file, kDivision, 2);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  BigEndian(file, static_cast<uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// The sequencer with each step timed.
class TTimedPlayer : public TMidiPlayV {
 public:
  using TMidiPlayV::TMidiPlayV;
  void Tick(int32_t ElapsedMs) override {
    const TClock::time_point begin = TClock::now();
    TMidiPlayV::Tick(ElapsedMs);
    stepMicros.push_back(std::chrono::duration<double, std::micro>(TClock::now() - begin).count());
  }
  std::vector<double> stepMicros;
};

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
  return values[index];
}

void Report(const char* what, const std::vector<double>& values, const char* unit) {
  std::printf("%-44s n=%zu  median %.3f  p99 %.3f  max %.3f %s\n", what, values.size(), Percentile(values, 0.5),
              Percentile(values, 0.99), Percentile(values, 1.0), unit);
}

void Prepare(TMidiPlayV& player, TRecordingMidiOut& device, const TBytes& song) {
  player.AddPlayDevice(static_cast<int32_t>(device.DeviceId()));
  player.OpenPorts();
  player.SetCountInSleep([](DWORD) {});
  player.LoadFromMemory(song.data(), song.size(), "dense.mid");
  player.Seek(0);
  player.BarHalfWidth = kInfiniteBar;
  Application().PublishCursorClientX(0);
}

std::vector<int32_t> NoteOnTimes(const TMidiPlayV& player) {
  std::vector<int32_t> times;
  for (const TMidiEventItemStanderd* item : player.Events) {
    if (item->Kind == MidiKind::NoteOn) times.push_back(item->Time);
  }
  return times;
}

void RealTimeRun(TRecordingMidiOut& device, const TBytes& song, double speed, const std::string& settings) {
  TTimedPlayer player(nullptr, settings);
  Prepare(player, device, song);
  player.SetPlaySpeed(speed);
  TClock::time_point songStart{};
  bool started = false;
  // The moment of the first step (elapsed 0): song time 0.
  player.SetClock([&] {
    const TClock::time_point now = TClock::now();
    if (!started) {
      songStart = now;
      started = true;
    }
    return now;
  });
  std::promise<void> ended;
  player.OnStop = [&](TMidiPlayV*) { ended.set_value(); };
  device.Clear();
  player.Start();
  ended.get_future().wait();
  player.Stop();

  const std::vector<int32_t> times = NoteOnTimes(player);
  std::vector<double> lateness;
  std::vector<double> lateAgainstDue;
  size_t next = 0;
  for (const TRecordedMidiMessage& m : device.Messages()) {
    if (m.Reset || m.Bytes.size() != 3 || (m.Bytes[0] & 0xF0) != 0x90 || next >= times.size()) continue;
    const TClock::time_point ideal =
        songStart + std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double, std::milli>(times[next] / speed));
    lateness.push_back(std::chrono::duration<double, std::milli>(m.SentAt - ideal).count());
    lateAgainstDue.push_back(std::chrono::duration<double, std::milli>(m.SentAt - m.Due).count());
    ++next;
  }
  std::printf("real time, speed %.1f: %zu of %zu note-ons sent, %d good\n", speed, next, times.size(),
              player.GoodCount.load());
  Report("  send - start - Time/speed (ms)", lateness, "ms");
  Report("  send - due time given to the device (ms)", lateAgainstDue, "ms");
  // The part of the scheduling delay that waits for a late send: the timer
  // step and the margin (the rest is the audio buffer, which the message
  // must reach before it is rendered).
  const double budgetMs =
      std::chrono::duration<double, std::milli>(TAudioEngine::kTimerStep + TAudioEngine::kSchedulingMargin).count();
  const auto over = std::count_if(lateAgainstDue.begin(), lateAgainstDue.end(), [&](double ms) { return ms > budgetMs; });
  std::printf("  sent later than the %.1f ms budget: %td of %zu\n", budgetMs, over, lateAgainstDue.size());
  Report("  one step on the timer thread (us)", player.stepMicros, "us");
}

void DrivenRun(TRecordingMidiOut& device, const TBytes& song, const std::string& settings) {
  std::vector<double> micros;
  for (int run = 0; run < kDrivenRuns; ++run) {
    TTimedPlayer player(nullptr, settings);
    Prepare(player, device, song);
    player.Playing = true;
    player.Tick(0);
    while (player.Playing) player.Tick(TMidiPlayV::kTickIntervalMs);
    micros.insert(micros.end(), player.stepMicros.begin(), player.stepMicros.end());
    device.Clear();
  }
  Report("driven by hand, 40 events per step (us)", micros, "us");
}

}  // namespace

// What a timer thread is granted here: real-time scheduling or plain priority.
void ReportScheduling() {
  TThreadScheduling granted = TThreadScheduling::PlainPriority;
  std::thread probe([&] { granted = RaiseCurrentThreadPriority(10); });
  probe.join();
  rlimit limit{};
  getrlimit(RLIMIT_RTPRIO, &limit);
  std::printf("uid %d, RLIMIT_RTPRIO %ld: timer threads get %s\n", static_cast<int>(geteuid()),
              static_cast<long>(limit.rlim_cur), ThreadSchedulingName(granted));
}

int main() {
  ReportScheduling();
  TAudioEngineOptions audio;
  audio.deviceOutput = false;
  TAudioEngine::SetGlobalOptions(audio);
  TRecordingMidiOut& device = InstallRecordingMidiOutDevice();
  const TBytes song = DenseSong();
  const std::string settings =
      (std::filesystem::temp_directory_path() / ("bench_sequencer_" + std::to_string(getpid()) + ".ini")).string();
  DrivenRun(device, song, settings);
  RealTimeRun(device, song, 1.0, settings);
  RealTimeRun(device, song, 1.5, settings);
  std::remove(settings.c_str());
  return 0;
}
