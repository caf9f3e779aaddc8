#include "game/view/draw_area.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPalette>

#include <cmath>

#include "game/view/frame_changes.h"
#include "game/view/view_geometry.h"

#include <QPaintEngine>

TDrawArea::TDrawArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("DrawArea"));
  setFixedSize(kPlayFieldWidth, kPlayFieldHeight);
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
  // The buffer is only lent for this call; keep a copy. A frame of the same
  // size is compared with the last one and only what changed is drawn again
  // (the black bars beside the picture in full screen stay as they are).
  if (m_frame.width() != width || m_frame.height() != height || m_frame.format() != QImage::Format_RGB32) {
    m_frame = QImage(width, height, QImage::Format_RGB32);
    m_frame.fill(0u);
    CopyFrameChanges(m_frame, pixels, pitchBytes);
    update(PictureRect());
    return;
  }
  const QRegion changed = CopyFrameChanges(m_frame, pixels, pitchBytes);
  if (changed.isEmpty()) return;
  const QRect picture = PictureRect();
  QRegion shown;
  for (const QRect& part : changed) shown += ShownChange(part, m_frame.size(), picture);
  update(shown);
}

void TDrawArea::ShowFrame(const QImage& frame) {
  m_frame = frame;
  update();
}

void TDrawArea::SetPictureSize(QSize size) {
  setFixedSize(size);
  PlaceOverlay();
  update();
}

void TDrawArea::SetFreeSize() {
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  update();
}

void TDrawArea::SetSmooth(bool smooth) {
  if (m_smooth == smooth) return;
  m_smooth = smooth;
  update();
}

QRect TDrawArea::PictureRect() const { return LetterboxRect(size()); }

int TDrawArea::PlayFieldX(double areaX) const { return ::PlayFieldX(areaX, PictureRect()); }

void TDrawArea::SetBottomOverlay(QWidget* overlay, int rows) {
  m_overlay = overlay;
  m_overlayRows = rows;
  PlaceOverlay();
}

void TDrawArea::SetTopOverlay(QWidget* overlay, int rows) {
  m_topOverlay = overlay;
  m_topOverlayRows = rows;
  PlaceOverlay();
}

void TDrawArea::PlaceOverlay() {
  const QRect picture = PictureRect();
  if (m_topOverlay != nullptr) {
    const int height = static_cast<int>(std::lround(m_topOverlayRows * PictureScale(picture)));
    m_topOverlay->setGeometry(picture.x(), picture.y(), picture.width(), height);
  }
  if (m_overlay == nullptr) return;
  const int height = static_cast<int>(std::lround(m_overlayRows * PictureScale(picture)));
  m_overlay->setGeometry(picture.x(), picture.y() + picture.height() - height, picture.width(), height);
}

void TDrawArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceOverlay();
}

void TDrawArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect picture = PictureRect();
  if (picture != rect()) {
    // Letterbox: black where the picture does not reach.
    const QRegion bars = QRegion(event->rect()).subtracted(QRegion(picture));
    for (const QRect& bar : bars) painter.fillRect(bar, Qt::black);
  }
  if (m_frame.isNull()) {
    painter.fillRect(event->rect().intersected(picture), Qt::white);
    return;
  }
  if (picture.size() == m_frame.size() && painter.device()->devicePixelRatio() == 1.0) {
    // Unscaled: copy only the rows and columns asked for.
    painter.drawImage(event->rect().intersected(picture), m_frame,
                      event->rect().intersected(picture).translated(-picture.topLeft()));
    return;
  }
  // Whole pixels (crisp) or filtered; also on high-density screens, where
  // the logical 640 x 480 covers more device pixels.
  if (DrawIntoBackingStore(painter, picture, event->region())) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform, m_smooth);
  painter.drawImage(picture, m_frame);
}

bool TDrawArea::DrawIntoBackingStore(QPainter& painter, const QRect& picture, const QRegion& dirty) {
  // Only where the painter writes into an image of 32-bit pixels (Qt's
  // raster backing store) with no more than a shift and a scale (the
  // device-pixel ratio); anything else is left to Qt's drawing.
  QPaintDevice* device = painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : nullptr;
  if (device == nullptr || device->devType() != QInternal::Image) return false;
  auto* target = static_cast<QImage*>(device);
  const QTransform toDevice = painter.deviceTransform();
  if (toDevice.type() > QTransform::TxScale || !TPictureScaler::CanDrawInto(*target)) return false;
  // The painter's clip: the parts of the area not covered by other widgets.
  const QRect visible = painter.hasClipping() ? toDevice.map(painter.clipRegion()).boundingRect() : target->rect();
  const QRect shown = toDevice.mapRect(QRectF(picture)).toRect();
  for (const QRect& part : dirty) {
    const QRect clip = toDevice.mapRect(QRectF(part)).toAlignedRect().intersected(visible);
    if (!clip.isEmpty()) m_scaler.Draw(m_frame, *target, shown, clip, m_smooth);
  }
  return true;
}
