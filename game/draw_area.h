// The window's client area: the fixed 640 x 480 drawing the device presents
// its frames into (a presentation target of the software device), white
// until the first frame, with a cross-hair cursor. Main thread only; owned by
// the main window.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/d3d9/present_target.h"

inline constexpr int kClientWidth = 640;
inline constexpr int kClientHeight = 480;

class TDrawArea : public QWidget, public IPresentTarget {
 public:
  explicit TDrawArea(QWidget* parent);

  // Copies a presented back buffer and repaints with it.
  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override;
  // Shows frame from the next paint on; a null image shows white.
  void ShowFrame(const QImage& frame);
  const QImage& Frame() const { return m_frame; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_frame;
};
