// Lateness of the 5 ms multimedia timer: runs it for a while idle and then
// with every core busy, and prints the median, 99th percentile and maximum
// lateness of the callbacks against their ideal deadlines.
// Usage: bench_timer [seconds per run, default 10]
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/winmm/mmsystem.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr UINT kPeriodMs = 5;

struct TRun {
  TClock::time_point start;
  std::vector<double> latenessMs;
  std::atomic<bool> realtime{false};
  std::atomic<bool> sampled{false};
};

void OnTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* run = reinterpret_cast<TRun*>(user);
  const auto now = TClock::now();
  const double sinceStart = std::chrono::duration<double, std::milli>(now - run->start).count();
  // The deadline just passed on the grid start + k * period.
  const double deadline = std::floor(sinceStart / kPeriodMs) * kPeriodMs;
  run->latenessMs.push_back(sinceStart - deadline);
  if (!run->sampled.exchange(true)) {
    int policy = 0;
    sched_param param{};
    pthread_getschedparam(pthread_self(), &policy, &param);
    run->realtime = policy == SCHED_FIFO || policy == SCHED_RR;
  }
}

void Measure(const char* label, double seconds, int loadThreads) {
  std::atomic<bool> stopLoad{false};
  std::vector<std::thread> load;
  for (int i = 0; i < loadThreads; ++i) {
    load.emplace_back([&] {
      volatile unsigned long long spin = 0;
      while (!stopLoad.load(std::memory_order_relaxed)) spin = spin + 1;
    });
  }
  TRun run;
  run.latenessMs.reserve(static_cast<size_t>(seconds * 1000 / kPeriodMs) + 100);
  run.start = TClock::now();
  const UINT id = timeSetEvent(kPeriodMs, kPeriodMs, OnTick, reinterpret_cast<DWORD_PTR>(&run), TIME_PERIODIC);
  if (id == 0) {
    std::printf("%s: no timer available\n", label);
    return;
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  timeKillEvent(id);
  stopLoad = true;
  for (auto& t : load) t.join();

  std::vector<double> sorted = run.latenessMs;
  std::sort(sorted.begin(), sorted.end());
  if (sorted.empty()) return;
  const double median = sorted[sorted.size() / 2];
  const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
  const double expected = seconds * 1000.0 / kPeriodMs;
  std::printf("%-28s callbacks %6zu of %6.0f  median %.3f ms  p99 %.3f ms  max %.3f ms  (%s scheduling)\n", label,
              sorted.size(), expected, median, p99, sorted.back(), run.realtime ? "real-time" : "normal");
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::printf("bench_timer: %u ms period, %.0f s per run, %d cores\n", kPeriodMs, seconds, cores);
  Measure("idle", seconds, 0);
  char label[64];
  std::snprintf(label, sizeof label, "all %d cores loaded", cores);
  Measure(label, seconds, cores);
  return 0;
}
