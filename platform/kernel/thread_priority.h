// Real-time scheduling for the threads that keep time (the timer's and the
// audio callback's), asked for in a way an ordinary desktop user may have:
// SCHED_FIFO within the process's RLIMIT_RTPRIO (root has no limit), else the
// plain priority the thread has. Call on the thread to raise; any thread.
#pragma once

enum class TThreadScheduling {
  RealTime,       // SCHED_FIFO granted
  PlainPriority,  // not allowed: the thread runs at its ordinary priority
};

// Asks SCHED_FIFO at priority (lowered to what RLIMIT_RTPRIO grants) for the
// calling thread; children of the process do not inherit it.
TThreadScheduling RaiseCurrentThreadPriority(int priority);
// "real-time (SCHED_FIFO n)" or "plain priority", for reports.
const char* ThreadSchedulingName(TThreadScheduling scheduling);
// What the calling thread runs with now.
TThreadScheduling CurrentThreadScheduling();
