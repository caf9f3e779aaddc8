#include "game/pluvionaut1/cursor_publisher.h"

#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>

TCursorPublisher::TCursorPublisher(QWidget* client) : QObject(client), m_client(client) {
  m_client->setMouseTracking(true);
  m_client->installEventFilter(this);
}

// Qt drops the filter of a destroyed object by itself.
TCursorPublisher::~TCursorPublisher() = default;

void TCursorPublisher::PublishFromCursor() {
  Publish(ToPlayField(m_client->mapFromGlobal(QPointF(QCursor::pos())).x()));
}

int TCursorPublisher::ToPlayField(double clientX) const {
  return m_toPlayField ? m_toPlayField(clientX) : static_cast<int>(std::floor(clientX));
}

void TCursorPublisher::Publish(int clientX) {
  m_clientX.store(clientX, std::memory_order_relaxed);
  if (m_listener) m_listener(clientX);
}

bool TCursorPublisher::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::MouseMove) {
    // Whole pixels toward minus infinity, as window coordinates are.
    Publish(ToPlayField(static_cast<QMouseEvent*>(event)->position().x()));
  }
  return false;
}
