// Runs the window's idle handler (the frame loop) whenever the event loop has
// nothing else to do, the way the class library's OnIdle works: after the
// pending events are handled the handler runs once; if it says it is not done
// it runs again at the next frame time, otherwise it waits until any event
// arrives. Never blocks the loop. Main thread only; owned by the window.
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// When the next frame is due: one frame period after the previous one, or at
// once when the loop fell behind by more than a period (no burst of frames to
// catch up). Pure arithmetic on given times, so it can be tested without a clock.
class TFramePacer {
 public:
  using TClock = std::chrono::steady_clock;

  explicit TFramePacer(std::chrono::nanoseconds period) : m_period(period) {}

  // Called after a frame was drawn at now; returns how long to wait before
  // the next one.
  std::chrono::milliseconds NextDelay(TClock::time_point now);
  void Reset() { m_started = false; }
  std::chrono::nanoseconds Period() const { return m_period; }

 private:
  std::chrono::nanoseconds m_period;
  TClock::time_point m_nextFrame{};
  bool m_started = false;
};

// About the display's refresh rate.
inline constexpr std::chrono::nanoseconds kDefaultFramePeriod{16'666'667};

class TIdleDriver : public QObject {
 public:
  // handler(done): done starts True; the handler sets it False when it drew
  // and wants to run again.
  using THandler = std::function<void(bool& done)>;

  explicit TIdleDriver(THandler handler, std::chrono::nanoseconds framePeriod = kDefaultFramePeriod);
  ~TIdleDriver() override;

  // Runs the handler once now (the count-in calls the frame loop itself);
  // the schedule is not changed. Returns the handler's done.
  bool RunIdleHandler();
  // Something happened that may change what the handler does: run it once
  // the queue is empty. Events seen by the application wake it by themselves;
  // this is for wake-ups that arrive without one.
  void Wake();
  // True while the handler waits for an event (it said done).
  bool Waiting() const { return m_waiting; }
  int RunCount() const { return m_runCount; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnTimer();

  THandler m_handler;
  TFramePacer m_pacer;
  QTimer m_timer;
  bool m_waiting = true;
  bool m_inHandler = false;
  int m_runCount = 0;
};
