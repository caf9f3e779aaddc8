#include "game/app/idle_driver.h"

#include <QCoreApplication>
#include <QEvent>

std::chrono::milliseconds TFramePacer::NextDelay(TClock::time_point now) {
  if (!m_started || now - m_nextFrame > m_period) {
    m_started = true;
    m_nextFrame = now;
  }
  m_nextFrame += m_period;
  if (m_nextFrame <= now) return std::chrono::milliseconds(0);
  // Round up: waking a little late keeps the frame on its period, waking
  // early would make the next delay 0 and draw two frames in a row.
  return std::chrono::ceil<std::chrono::milliseconds>(m_nextFrame - now);
}

TIdleDriver::TIdleDriver(THandler handler, std::chrono::nanoseconds framePeriod)
    : m_handler(std::move(handler)), m_pacer(framePeriod) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(); });
  // Every event delivered on the main thread wakes a waiting handler, as
  // every window message does in the class library.
  QCoreApplication::instance()->installEventFilter(this);
  Wake();
}

TIdleDriver::~TIdleDriver() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

bool TIdleDriver::RunIdleHandler() {
  bool done = true;
  if (m_inHandler) return done;  // the handler ran a nested loop that came back here
  m_inHandler = true;
  ++m_runCount;
  m_handler(done);
  m_inHandler = false;
  return done;
}

void TIdleDriver::Wake() {
  if (!m_waiting) return;
  m_waiting = false;
  // A 0 ms timer fires once the events already queued are handled.
  m_timer.start(0);
}

void TIdleDriver::OnTimer() {
  const bool done = RunIdleHandler();
  if (done) {
    m_waiting = true;
    m_pacer.Reset();
    return;
  }
  m_timer.start(m_pacer.NextDelay(TFramePacer::TClock::now()));
}

bool TIdleDriver::eventFilter(QObject* watched, QEvent* event) {
  // Our own timer's event is the idle call itself, not news.
  if (m_waiting && watched != &m_timer && event->type() != QEvent::Timer) Wake();
  return false;
}
