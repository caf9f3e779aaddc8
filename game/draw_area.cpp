#include "game/draw_area.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPalette>

TDrawArea::TDrawArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("DrawArea"));
  setFixedSize(kClientWidth, kClientHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  setCursor(Qt::CrossCursor);
  // Frames cover the whole area; Qt need not clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TDrawArea::ShowFrame(const QImage& frame) {
  m_frame = frame;
  update();
}

void TDrawArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (m_frame.isNull()) {
    painter.fillRect(event->rect(), Qt::white);
    return;
  }
  painter.drawImage(event->rect(), m_frame, event->rect());
}
