// Magnification of the 640 x 480 frame straight into the window's backing
// store, crisp (nearest neighbour) or smooth (bilinear). Crisp: each source
// row is expanded once through a column table and repeated rows are copied,
// which keeps an x3 or full-screen frame to about one write of its pixels.
// Smooth: each source row is filtered across once and each target line is
// a blend of two such rows, in fixed point, all four channels of a pixel at
// a time; Qt's own smooth drawing costs several times that. Main thread only
// (the paint event); the scaler owns its tables and row buffers.
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
  void Draw(const QImage& source, QImage& target, const QRect& picture, const QRect& clip, bool smooth = false);

 private:
  // A target pixel's filter: the two source pixels around its centre and the
  // weight of the second, 0 to 256.
  struct TTap {
    int first;
    int second;
    uint32_t weight;
  };

  void BuildTables(QSize source, const QRect& picture);
  void DrawCrisp(const QImage& source, QImage& target, const QRect& picture, const QRect& area);
  void DrawSmooth(const QImage& source, QImage& target, const QRect& picture, const QRect& area);
  // The source row filtered across the columns of the area, from one of the
  // two row buffers; keep names a row that must stay in the other.
  const uint32_t* FilteredRow(const QImage& source, int row, int keep, int firstColumn, int columns);

  QSize m_source;
  QRect m_picture;
  std::vector<int> m_sourceColumn;  // per target column of the picture
  std::vector<int> m_sourceRow;     // per target row of the picture
  std::vector<TTap> m_columnTap;    // per target column of the picture
  std::vector<TTap> m_rowTap;       // per target row of the picture
  std::vector<uint32_t> m_rows[2];  // filtered source rows
  int m_rowIn[2] = {-1, -1};        // the source row each buffer holds
};
