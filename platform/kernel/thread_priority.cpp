#include "platform/kernel/thread_priority.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

// The desktop's rtkit service (over D-Bus) could grant real-time scheduling
// beyond RLIMIT_RTPRIO; it is not asked here, which keeps this layer free of
// D-Bus. Where neither is granted, the scheduling delay of the audio engine
// adapts to the lateness it sees instead.

TThreadScheduling RaiseCurrentThreadPriority(int priority) {
  int allowed = priority;
  if (geteuid() != 0) {
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) != 0) return CurrentThreadScheduling();
    allowed = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, static_cast<rlim_t>(priority)));
  }
  if (allowed >= sched_get_priority_min(SCHED_FIFO)) {
    sched_param param{};
    param.sched_priority = allowed;
    // 0: the calling thread. Reset on fork: a helper program must not inherit it.
    if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0) return TThreadScheduling::RealTime;
  }
  return CurrentThreadScheduling();
}

TThreadScheduling CurrentThreadScheduling() {
  const int policy = sched_getscheduler(0) & ~SCHED_RESET_ON_FORK;
  return policy == SCHED_FIFO || policy == SCHED_RR ? TThreadScheduling::RealTime : TThreadScheduling::PlainPriority;
}

const char* ThreadSchedulingName(TThreadScheduling scheduling) {
  return scheduling == TThreadScheduling::RealTime ? "real-time (SCHED_FIFO)" : "plain priority";
}
