// The window's client area: the fixed 640 x 480 drawing the frames are
// presented into, white until the first frame, with a cross-hair cursor.
// Main thread only; owned by the main window.
#pragma once

#include <QImage>
#include <QWidget>

inline constexpr int kClientWidth = 640;
inline constexpr int kClientHeight = 480;

class TDrawArea : public QWidget {
 public:
  explicit TDrawArea(QWidget* parent);

  // Shows frame (640 x 480) from the next paint on; a null image shows white.
  void ShowFrame(const QImage& frame);
  const QImage& Frame() const { return m_frame; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_frame;
};
