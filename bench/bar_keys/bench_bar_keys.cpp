// bench_bar_keys: how old is the bar position that decides a catch when keys
// move the bar? The multimedia timer runs its 5 ms step on its own thread
// and reads the bar as the judgement does (the motion's path at the step's
// moment); the main thread plays a key schedule (walk and dash, left and
// right, held for 40 to 400 ms) whose events reach it late by 0 to 4 ms,
// stamped with their true moments, as a window system delivers them. Every
// step's bar is compared with the schedule's exact path at the step's
// moment; the difference in pixels over the speed in force is the age of the
// position (over the speed in force or the one just left). For contrast, the same steps read against the bar of the last
// 60 Hz frame. Prints the median, 99th percentile and largest age of each.
//   bench_bar_keys [seconds]   (default 20)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "game/core/bar_motion.h"
#include "midi/mm_timer.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr UINT kStepMs = 5;
constexpr double kFramePeriodMs = 1000.0 / 60.0;
constexpr int kStartX = 320;

double NowMs() { return std::chrono::duration<double, std::milli>(TClock::now().time_since_epoch()).count(); }

// One key change of the schedule: from AtMs on the bar moves at PxPerMs.
struct TChange {
  double AtMs;
  double PxPerMs;
};

// The schedule's exact path (held to the field as the motion holds it).
double PathAt(const std::vector<TChange>& changes, double startMs, double atMs) {
  double x = kStartX;
  double from = startMs;
  double speed = 0.0;
  for (const TChange& c : changes) {
    if (c.AtMs > atMs) break;
    x = std::clamp(x + speed * (c.AtMs - from), 0.0, 639.0);
    from = c.AtMs;
    speed = c.PxPerMs;
  }
  return std::clamp(x + speed * (atMs - from), 0.0, 639.0);
}

// The speeds a reading at atMs can be behind or ahead by: the one in force
// and the one it followed (px/ms).
double SpeedAround(const std::vector<TChange>& changes, double atMs) {
  double now = 0.0;
  double before = 0.0;
  for (const TChange& c : changes) {
    if (c.AtMs > atMs) break;
    before = now;
    now = c.PxPerMs;
  }
  return std::max(std::fabs(now), std::fabs(before));
}

struct TSample {
  double AtMs;
  double JudgedX;  // what the step read
  double FrameX;   // the bar of the last frame before the step
};

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(std::min<double>(v.size() - 1, std::floor(p * (v.size() - 1))))];
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  TBarMotion motion;
  TEventTimeMap stamps;
  std::mt19937 random(27);
  std::uniform_real_distribution<double> hold(40.0, 400.0);
  std::uniform_real_distribution<double> delay(0.0, 4.0);
  std::uniform_int_distribution<int> kind(0, 5);

  // The schedule: alternating held keys and short pauses; the bar bounces
  // between the edges as a player's would.
  const double startMs = NowMs() + 50.0;
  std::vector<TChange> changes;
  double t = startMs;
  while (t < startMs + seconds * 1000.0) {
    const int k = kind(random);
    const bool dash = k >= 3;
    const bool right = k % 2 == 0;
    changes.push_back({t, KeyVelocity(!right, right, dash)});
    t += hold(random);
    changes.push_back({t, 0.0});
    t += hold(random) / 4;
  }
  const double endMs = t;

  std::mutex lock;
  std::vector<TSample> samples;
  samples.reserve(static_cast<size_t>(seconds * 1000 / kStepMs) + 100);
  std::atomic<double> frameX{kStartX};
  TMMTimer timer;
  timer.SetInterval(kStepMs);
  timer.OnTimer = [&](TMMTimer*) {
    // The judgement's own read: the path at this step's moment.
    const double at = motion.NowMs();
    const double x = motion.XAt(at);
    std::lock_guard<std::mutex> guard(lock);
    samples.push_back({at, x, frameX.load()});
  };
  motion.Take(TBarInput::Keyboard, kStartX, kStartX, startMs);
  timer.SetEnabled(true);
  timer.Loaded();

  // The main thread: each change arrives late, stamped with its moment (a
  // window system's stamps are whole milliseconds); frames in between.
  double nextFrame = NowMs();
  for (const TChange& c : changes) {
    const double arrival = c.AtMs + delay(random);
    while (NowMs() < arrival) {
      if (NowMs() >= nextFrame) {
        frameX.store(motion.XAt(NowMs()));
        nextFrame += kFramePeriodMs;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const double at = stamps.ToLocalMs(static_cast<uint64_t>(std::floor(c.AtMs)), NowMs());
    motion.SetVelocity(c.PxPerMs, at);
  }
  timer.SetEnabled(false);

  // Age: the position's distance from the path, over the speed in force; a
  // standing bar that is where it should be is 0 ms old.
  std::vector<double> judgedAge;
  std::vector<double> frameAge;
  std::vector<double> judgedPx;
  {
    std::lock_guard<std::mutex> guard(lock);
    for (const TSample& s : samples) {
      if (s.AtMs < startMs || s.AtMs > endMs) continue;
      const double path = PathAt(changes, startMs, s.AtMs);
      const double speed = SpeedAround(changes, s.AtMs);
      judgedPx.push_back(std::fabs(s.JudgedX - path));
      judgedAge.push_back(speed > 0.0 ? std::fabs(s.JudgedX - path) / speed : 0.0);
      frameAge.push_back(speed > 0.0 ? std::fabs(s.FrameX - path) / speed : 0.0);
    }
  }
  std::printf("steps judged: %zu over %.1f s, %zu key changes\n", judgedAge.size(), (endMs - startMs) / 1000.0,
              changes.size());
  std::printf("judged bar vs path:   median %.2f px, p99 %.2f px, max %.2f px\n", Percentile(judgedPx, 0.5),
              Percentile(judgedPx, 0.99), Percentile(judgedPx, 1.0));
  std::printf("age of the judged bar:                   median %.2f ms, p99 %.2f ms, max %.2f ms (goal: <= %u ms)\n",
              Percentile(judgedAge, 0.5), Percentile(judgedAge, 0.99), Percentile(judgedAge, 1.0), kStepMs);
  std::printf("age of the last frame's bar (60 Hz):     median %.2f ms, p99 %.2f ms, max %.2f ms\n",
              Percentile(frameAge, 0.5), Percentile(frameAge, 0.99), Percentile(frameAge, 1.0));
  return 0;
}
