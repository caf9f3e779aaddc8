// timeSetEvent / timeKillEvent: one thread per timer that sleeps until
// absolute deadlines of the steady clock, so that lateness of one callback
// never shifts the following ones.
#include "platform/winmm/mmsystem.h"

#include <pthread.h>
#include <sched.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/kernel/thread_priority.h"

namespace {

using TClock = std::chrono::steady_clock;

// A callback that arrives later than this many periods skips the missed
// deadlines instead of firing them in a burst (Windows merges them too).
constexpr int kMaxCatchUpPeriods = 1;
// Scheduling priority asked for the timer threads; lowered to what
// RLIMIT_RTPRIO grants, plain priority when it grants none.
constexpr int kTimerThreadPriority = 10;

struct TTimerEvent {
  UINT id = 0;
  std::chrono::milliseconds period{0};
  bool periodic = false;
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
  TClock::time_point start;  // the moment timeSetEvent was called: the grid's origin
  std::thread thread;
};

struct TTimerTable {
  std::mutex mutex;
  std::unordered_map<UINT, std::shared_ptr<TTimerEvent>> timers;
  UINT nextId = 1;
};

TTimerTable& Table() {
  static TTimerTable table;
  return table;
}

void RaiseThreadPriority() { RaiseCurrentThreadPriority(kTimerThreadPriority); }

void RunTimer(std::shared_ptr<TTimerEvent> timer) {
  RaiseThreadPriority();
  // Counted from the call, not from when the new thread first ran.
  auto deadline = timer->start + timer->period;
  for (;;) {
    {
      std::unique_lock lock(timer->mutex);
      if (timer->wake.wait_until(lock, deadline, [&] { return timer->stop; })) return;
    }
    timer->callback(timer->id, 0, timer->user, 0, 0);
    if (!timer->periodic) break;
    deadline += timer->period;
    const auto now = TClock::now();
    if (now > deadline + kMaxCatchUpPeriods * timer->period) {
      // Skipped deadlines stay on the same grid.
      const auto behind = (now - deadline) / timer->period;
      deadline += behind * timer->period;
    }
  }
  // A one-shot timer forgets itself once it has fired.
  std::shared_ptr<TTimerEvent> self;
  {
    std::lock_guard lock(Table().mutex);
    auto it = Table().timers.find(timer->id);
    if (it != Table().timers.end() && it->second == timer) {
      self = std::move(it->second);
      Table().timers.erase(it);
    }
  }
  if (self) self->thread.detach();
}

}  // namespace

UINT timeSetEvent(UINT uDelay, UINT /*uResolution*/, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser,
                  UINT fuEvent) {
  if (lpTimeProc == nullptr || uDelay == 0) return 0;
  if ((fuEvent & ~TIME_PERIODIC) != 0) return 0;  // only function callbacks are offered
  auto timer = std::make_shared<TTimerEvent>();
  timer->period = std::chrono::milliseconds(uDelay);
  timer->periodic = (fuEvent & TIME_PERIODIC) != 0;
  timer->callback = lpTimeProc;
  timer->user = dwUser;
  timer->start = TClock::now();
  TTimerTable& table = Table();
  std::lock_guard lock(table.mutex);
  do {
    timer->id = table.nextId++;
    if (table.nextId == 0) table.nextId = 1;
  } while (timer->id == 0 || table.timers.contains(timer->id));
  try {
    timer->thread = std::thread(RunTimer, timer);
  } catch (const std::system_error&) {
    return 0;
  }
  table.timers.emplace(timer->id, timer);
  return timer->id;
}

MMRESULT timeKillEvent(UINT uTimerID) {
  std::shared_ptr<TTimerEvent> timer;
  {
    TTimerTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.timers.find(uTimerID);
    if (it == table.timers.end()) return MMSYSERR_INVALPARAM;
    timer = std::move(it->second);
    table.timers.erase(it);
  }
  {
    std::lock_guard lock(timer->mutex);
    timer->stop = true;
  }
  timer->wake.notify_all();
  if (timer->thread.get_id() == std::this_thread::get_id()) {
    // Inside the timer's own callback: the thread ends when the callback returns.
    timer->thread.detach();
  } else {
    timer->thread.join();
  }
  return TIMERR_NOERROR;
}
