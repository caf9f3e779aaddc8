// The window's client area: the drawing the device presents its 640 x 480
// frames into (a presentation target of the software device), white until
// the first frame, with a cross-hair cursor. The frame is shown scaled to the
// area: exactly at x1, magnified at the larger window sizes, letterboxed
// with black bars in full screen. Main thread only; owned by the main window.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

#include "game/core/play_field_size.h"
#include "game/view/picture_scaler.h"
#include "platform/d3d9/present_target.h"

class QPainter;

class TDrawArea : public QWidget, public IPresentTarget {
 public:
  explicit TDrawArea(QWidget* parent);

  // Copies a presented back buffer and repaints with it.
  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override;
  // Shows frame from the next paint on; a null image shows white.
  void ShowFrame(const QImage& frame);
  const QImage& Frame() const { return m_frame; }

  // A fixed size for the window sizes (the picture fills the area), or any
  // size the window gives it (full screen: the picture is letterboxed).
  void SetPictureSize(QSize size);
  void SetFreeSize();
  // Smooth filtering instead of whole pixels when the picture is magnified.
  void SetSmooth(bool smooth);
  bool Smooth() const { return m_smooth; }
  // Where the picture lies in the area, and a point of the area as a
  // play-field x (outside 0..639 beside the picture).
  QRect PictureRect() const;
  int PlayFieldX(double areaX) const;
  // The size of the frames the device draws (its window's client size):
  // 640 x 480, whatever the size on the screen.
  QSize ClientSize() const { return m_clientSize; }
  void SetClientSize(QSize size) { m_clientSize = size; }
  // A widget that lies over the picture's last rows (the status bar), kept
  // at the picture's width and scaled with it: rows in picture pixels.
  void SetBottomOverlay(QWidget* overlay, int rows);
  // The same over the picture's first rows (the practice games' progress strip).
  void SetTopOverlay(QWidget* overlay, int rows);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceOverlay();
  // The magnification (crisp or smooth) written straight into Qt's backing
  // store; false when the painter's device does not allow it.
  bool DrawIntoBackingStore(QPainter& painter, const QRect& picture, const QRegion& dirty);

  QImage m_frame;
  QSize m_clientSize{kPlayFieldWidth, kPlayFieldHeight};
  bool m_smooth = false;
  TPictureScaler m_scaler;
  QWidget* m_overlay = nullptr;
  int m_overlayRows = 0;
  QWidget* m_topOverlay = nullptr;
  int m_topOverlayRows = 0;
};
