#include "game/draw_area.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPalette>

#include <cstddef>
#include <cstring>

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

void TDrawArea::PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) {
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  // The buffer is only lent for this call; keep a copy, reusing the last
  // frame's memory when the size is the same.
  if (m_frame.width() != width || m_frame.height() != height || m_frame.format() != QImage::Format_RGB32) {
    m_frame = QImage(width, height, QImage::Format_RGB32);
  }
  const auto rowBytes = static_cast<std::size_t>(width) * sizeof(uint32_t);
  const auto* source = reinterpret_cast<const uchar*>(pixels);
  for (int y = 0; y < height; ++y) {
    std::memcpy(m_frame.scanLine(y), source + static_cast<std::ptrdiff_t>(y) * pitchBytes, rowBytes);
  }
  update();
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
