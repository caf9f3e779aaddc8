// bench_smf_load: writes a 16-track format-1 file with 1,000,000 note-on /
// note-off pairs and a few tempo changes, loads it several times with
// TMidiSong::LoadFromFile and reports the median load time and the peak
// resident memory of the process (getrusage). Not a test: run it by hand or
// through bench.sh in a Release build.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "midi/midi_song.h"

namespace {

constexpr int kTracks = 16;
constexpr int kPairs = 1000000;
constexpr int kPairsPerTrack = kPairs / kTracks;
constexpr int kDivision = 480;
constexpr int kNoteTicks = 120;  // a sixteenth note on, a sixteenth rest
constexpr int kTempoChanges = 4;
constexpr int kRuns = 7;

using TBytes = std::vector<uint8_t>;

void VarLen(TBytes& Out, uint32_t Value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(Value & 0x7F);
    Value >>= 7;
  } while (Value != 0);
  while (n > 1) Out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  Out.push_back(groups[0]);
}

void BigEndian(TBytes& Out, uint32_t Value, int Bytes) {
  for (int i = Bytes - 1; i >= 0; --i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

TBytes TrackBody(int Track) {
  TBytes body;
  body.reserve(static_cast<size_t>(kPairsPerTrack) * 8 + 64);
  const uint32_t songTicks = static_cast<uint32_t>(kPairsPerTrack) * 2 * kNoteTicks;
  if (Track == 0) {
    // Time signature 4/4 and tempo changes spread over the song.
    VarLen(body, 0);
    body.insert(body.end(), {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    uint32_t at = 0;
    for (int i = 0; i < kTempoChanges; ++i) {
      const uint32_t tick = songTicks / kTempoChanges * static_cast<uint32_t>(i);
      VarLen(body, tick - at);
      at = tick;
      const uint32_t tempo = 400000 + 50000 * static_cast<uint32_t>(i);
      body.insert(body.end(), {0xFF, 0x51, 0x03});
      BigEndian(body, tempo, 3);
    }
    // The notes of track 0 start after the conductor events at tick 'at'.
    const uint8_t channel = 0;
    uint32_t now = at;
    for (int i = 0; i < kPairsPerTrack; ++i) {
      const uint32_t onTick = static_cast<uint32_t>(i) * 2 * kNoteTicks;
      const uint32_t delta = onTick >= now ? onTick - now : 0;
      now += delta;
      VarLen(body, delta);
      body.insert(body.end(), {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(48 + i % 36), 100});
      VarLen(body, kNoteTicks);
      now += kNoteTicks;
      body.insert(body.end(), {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(48 + i % 36), 64});
    }
  } else {
    const uint8_t channel = static_cast<uint8_t>(Track % 16);
    for (int i = 0; i < kPairsPerTrack; ++i) {
      VarLen(body, i == 0 ? 0 : kNoteTicks);
      body.insert(body.end(), {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(40 + (i + Track) % 48), 90});
      VarLen(body, kNoteTicks);
      body.insert(body.end(), {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(40 + (i + Track) % 48), 64});
    }
  }
  VarLen(body, 0);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  return body;
}

void WriteFile(const std::string& Path) {
  std::ofstream out(Path, std::ios::binary);
  TBytes header{'M', 'T', 'h', 'd'};
  BigEndian(header, 6, 4);
  BigEndian(header, 1, 2);
  BigEndian(header, kTracks, 2);
  BigEndian(header, kDivision, 2);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  for (int track = 0; track < kTracks; ++track) {
    const TBytes body = TrackBody(track);
    TBytes chunk{'M', 'T', 'r', 'k'};
    BigEndian(chunk, static_cast<uint32_t>(body.size()), 4);
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    out.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
  }
}

// CPU time of this process: on a machine shared with other work it varies
// far less than the wall-clock time.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  return Values[Values.size() / 2];
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // KiB on Linux
}

}  // namespace

int main() {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench_smf_load_" + std::to_string(::getpid()) + ".mid"))
                               .string();
  WriteFile(path);
  const auto fileBytes = std::filesystem::file_size(path);
  const long baseKiB = PeakRssKiB();

  std::vector<double> seconds;
  std::vector<double> cpuSeconds;
  TMidiSong song;
  for (int run = 0; run < kRuns; ++run) {
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    song.LoadFromFile(path);
    const auto stop = std::chrono::steady_clock::now();
    cpuSeconds.push_back(CpuSeconds() - cpuStart);
    seconds.push_back(std::chrono::duration<double>(stop - start).count());
  }
  std::filesystem::remove(path);
  const double medianCpu = Median(cpuSeconds);
  std::sort(seconds.begin(), seconds.end());

  std::printf("file: %d tracks, %d note pairs, %ju bytes\n", kTracks, kPairs,
              static_cast<uintmax_t>(fileBytes));
  std::printf("song: %d items (%d beats, %d tempos), end %d ms\n", song.Events.Count(),
              song.Beats.Count(), song.Tempos.Count(), song.EndTime);
  std::printf("load time: median %.3f s, min %.3f s, max %.3f s over %d loads (each replaces the previous song)\n",
              seconds[seconds.size() / 2], seconds.front(), seconds.back(), kRuns);
  std::printf("load CPU time: median %.3f s\n", medianCpu);
  std::printf("peak memory: %.1f MB resident (%.1f MB before loading)\n", PeakRssKiB() / 1024.0,
              baseKiB / 1024.0);
  return 0;
}
