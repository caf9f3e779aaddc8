#include "game/window/picture_scaler.h"

#include <cstring>

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

}  // namespace

bool TPictureScaler::CanDrawInto(const QImage& target) {
  const QImage::Format f = target.format();
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

void TPictureScaler::BuildTables(QSize source, const QRect& picture) {
  m_source = source;
  m_picture = picture;
  // The target pixel's centre picks its source pixel, as a point maps back
  // to the play field.
  m_sourceColumn.resize(static_cast<size_t>(picture.width()));
  for (int x = 0; x < picture.width(); ++x) {
    m_sourceColumn[static_cast<size_t>(x)] =
        static_cast<int>((static_cast<long long>(2 * x + 1) * source.width()) / (2LL * picture.width()));
  }
  m_sourceRow.resize(static_cast<size_t>(picture.height()));
  for (int y = 0; y < picture.height(); ++y) {
    m_sourceRow[static_cast<size_t>(y)] =
        static_cast<int>((static_cast<long long>(2 * y + 1) * source.height()) / (2LL * picture.height()));
  }
}

void TPictureScaler::Draw(const QImage& source, QImage& target, const QRect& picture, const QRect& clip) {
  if (source.isNull() || picture.isEmpty() || source.depth() != 32 || !CanDrawInto(target)) return;
  if (source.size() != m_source || picture != m_picture) BuildTables(source.size(), picture);
  const QRect area = picture.intersected(clip).intersected(target.rect());
  if (area.isEmpty()) return;
  const int firstColumn = area.left() - picture.left();
  const int columns = area.width();
  const size_t rowBytes = static_cast<size_t>(columns) * sizeof(uint32_t);
  int lastSourceRow = -1;
  const uint32_t* lastRow = nullptr;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const int sourceRow = m_sourceRow[static_cast<size_t>(y - picture.top())];
    auto* out = reinterpret_cast<uint32_t*>(target.scanLine(y)) + area.left();
    if (sourceRow == lastSourceRow) {
      std::memcpy(out, lastRow, rowBytes);
      continue;
    }
    const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(sourceRow));
    const int* column = m_sourceColumn.data() + firstColumn;
    for (int x = 0; x < columns; ++x) out[x] = in[column[x]] | kOpaque;
    lastSourceRow = sourceRow;
    lastRow = out;
  }
}
