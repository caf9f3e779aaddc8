// Nearest-neighbour magnification of the 640 x 480 frame straight into the
// window's backing store: each source row is expanded once through a column
// table and repeated rows are copied, which keeps an x3 or full-screen frame
// to about one write of its pixels (Qt's general scaled drawing costs
// several times that). Main thread only (the paint event); the scaler owns
// its tables.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

class TPictureScaler {
 public:
  // True for targets Draw can write (32-bit pixels, alpha opaque or none).
  static bool CanDrawInto(const QImage& target);
  // Draws source magnified to picture (target pixels), only inside clip;
  // every pixel written is opaque.
  void Draw(const QImage& source, QImage& target, const QRect& picture, const QRect& clip);

 private:
  void BuildTables(QSize source, const QRect& picture);

  QSize m_source;
  QRect m_picture;
  std::vector<int> m_sourceColumn;  // per target column of the picture
  std::vector<int> m_sourceRow;     // per target row of the picture
};
