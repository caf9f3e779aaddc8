// TMMTimer: calls OnTimer periodically on the multimedia timer's own thread
// and measures the milliseconds between two of its own readings (Elapsed).
// SetEnabled / SetInterval / Loaded: the owner's thread, or from inside
// OnTimer (which then stops the timer without waiting for itself); DoTimer,
// OnTimer and Elapsed run on the timer thread. The owner owns the timer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/wintypes/wintypes.h"

// The timer's only error: "No timer available".
class EMMTimerError : public std::runtime_error {
 public:
  explicit EMMTimerError(const std::string& Message) : std::runtime_error(Message) {}
};

class TMMTimer {
 public:
  using TNotifyEvent = std::function<void(TMMTimer* Sender)>;
  using TTickSource = std::function<DWORD()>;

  static constexpr UINT kDefaultInterval = 1000;  // ms

  // Enabled, Interval 1000 ms; no timer is started.
  explicit TMMTimer(void* Owner = nullptr);
  // Stops the timer and waits for a callback in progress, also for one that
  // stopped the timer from inside and is still finishing.
  virtual ~TMMTimer();
  TMMTimer(const TMMTimer&) = delete;
  TMMTimer& operator=(const TMMTimer&) = delete;

  // After the properties were set: starts the timer when they allow it.
  virtual void Loaded();
  // Calls OnTimer unless it is unassigned or already running (then the tick
  // is dropped). An exception escaping OnTimer is caught and reported on
  // stderr (the first one only); Busy ends false.
  virtual void DoTimer();
  // Milliseconds since the previous reading; 0 on the first reading after SetEnabled.
  DWORD Elapsed();

  // Clears Started; when the value changes, stores it and restarts or stops the
  // timer. EMMTimerError when no timer can be started.
  void SetEnabled(bool Value);
  // When the value changes, stores it and restarts or stops the timer.
  void SetInterval(UINT Value);

  // Where Elapsed reads the milliseconds (GetTickCount unless a test injects one).
  void SetTickSource(TTickSource Source);

  void* Owner() const { return m_owner; }

  // The component's fields; Enabled and Interval are written through their setters.
  std::atomic<UINT> TimerId{0};  // 0 when no timer runs
  std::atomic<UINT> Interval{kDefaultInterval};
  TNotifyEvent OnTimer;
  std::atomic<bool> Enabled{true};
  std::atomic<bool> Busy{false};  // OnTimer is running
  DWORD LastTick = 0;             // tick count at the last Elapsed reading
  std::atomic<bool> Started{false};

 protected:
  void UpdateTimer();

 private:
  static void TimerCallback(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);
  void StopRunningTimer();
  void WaitForCallback();

  void* m_owner;
  // The callback in progress, so that destruction never frees the timer under it.
  std::mutex m_callbackMutex;
  // Held while a new timer starts and its id is stored: a first callback
  // waits for the id, so that stopping the timer from inside it finds the id
  // (otherwise the owner would stop it afterwards and wait for that very
  // callback, which may be waiting for the owner).
  std::mutex m_publishMutex;
  std::condition_variable m_callbackDone;
  int m_callbacksRunning = 0;
  std::thread::id m_callbackThread;
  TTickSource m_tickSource;
  std::atomic<bool> m_errorReported{false};
};
