#include "midi/mm_timer.h"

#include <cstdio>

#include "platform/kernel/tick_count.h"
#include "platform/winmm/mmsystem.h"

TMMTimer::TMMTimer(void* Owner) : m_owner(Owner), m_tickSource(GetTickCount) {}

TMMTimer::~TMMTimer() {
  Enabled = false;
  StopRunningTimer();
  WaitForCallback();
}

void TMMTimer::WaitForCallback() {
  std::unique_lock lock(m_callbackMutex);
  if (m_callbacksRunning > 0 && m_callbackThread == std::this_thread::get_id()) return;
  m_callbackDone.wait(lock, [this] { return m_callbacksRunning == 0; });
}

void TMMTimer::Loaded() { UpdateTimer(); }

void TMMTimer::StopRunningTimer() {
  // Whoever takes the id stops the timer: the owner's thread and the timer's
  // own callback may both be stopping it at once.
  if (const UINT id = TimerId.exchange(0)) timeKillEvent(id);
}

void TMMTimer::UpdateTimer() {
  StopRunningTimer();
  if (!Enabled || Interval == 0 || !OnTimer) return;
  const UINT interval = Interval;
  {
    std::lock_guard publish(m_publishMutex);
    const UINT id = timeSetEvent(interval, interval, TimerCallback, reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC);
    if (id == 0) throw EMMTimerError("No timer available");
    TimerId = id;
  }
  // Disabled from inside a first callback before the id was stored: stop it now.
  if (!Enabled) StopRunningTimer();
}

void TMMTimer::TimerCallback(UINT, UINT, DWORD_PTR dwUser, DWORD_PTR, DWORD_PTR) {
  auto* timer = reinterpret_cast<TMMTimer*>(dwUser);
  { std::lock_guard published(timer->m_publishMutex); }
  {
    std::lock_guard lock(timer->m_callbackMutex);
    ++timer->m_callbacksRunning;
    timer->m_callbackThread = std::this_thread::get_id();
  }
  if (timer->Enabled) timer->DoTimer();
  // The last use of the timer: its destructor may go on once this is done.
  std::lock_guard lock(timer->m_callbackMutex);
  --timer->m_callbacksRunning;
  timer->m_callbackDone.notify_all();
}

void TMMTimer::DoTimer() {
  if (!OnTimer) return;
  if (Busy.exchange(true)) return;  // the previous tick is still running: drop this one
  try {
    OnTimer(this);
  } catch (const std::exception& error) {
    if (!m_errorReported.exchange(true)) std::fprintf(stderr, "Timer handler failed: %s\n", error.what());
  } catch (...) {
    if (!m_errorReported.exchange(true)) std::fprintf(stderr, "Timer handler failed with an unknown error\n");
  }
  Busy = false;
}

DWORD TMMTimer::Elapsed() {
  const DWORD now = m_tickSource();
  if (!Started) {
    Started = true;
    LastTick = now;
    return 0;
  }
  // Unsigned subtraction is the wrap-around rule: Now + 2^32 - LastTick when Now < LastTick.
  const DWORD result = now - LastTick;
  LastTick = now;
  return result;
}

void TMMTimer::SetEnabled(bool Value) {
  Started = false;
  if (Value != Enabled) {
    Enabled = Value;
    UpdateTimer();
  }
}

void TMMTimer::SetInterval(UINT Value) {
  if (Value != Interval) {
    Interval = Value;
    UpdateTimer();
  }
}

void TMMTimer::SetTickSource(TTickSource Source) { m_tickSource = Source ? std::move(Source) : TTickSource(GetTickCount); }
