#include "game/view/picture_scaler.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kWeightOne = 256;

// Half of one step in each 16-bit lane: the blend rounds instead of cutting,
// which would darken the picture a little with every pass.
constexpr uint32_t kLaneHalf = 0x00800080u;

// a and b mixed, b by weight / 256: red and blue in one multiplication,
// alpha and green in another (each channel has 16 bits of room there).
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = kWeightOne - weight;
  const uint32_t redBlue =
      (((a & 0x00FF00FFu) * keep + (b & 0x00FF00FFu) * weight + kLaneHalf) >> 8) & 0x00FF00FFu;
  const uint32_t alphaGreen =
      (((a >> 8) & 0x00FF00FFu) * keep + ((b >> 8) & 0x00FF00FFu) * weight + kLaneHalf) & 0xFF00FF00u;
  return redBlue | alphaGreen;
}

// out = upper and lower mixed, lower by weight / 256, the same rounding as
// Blend. The lines of a magnified frame are mostly such mixes: four pixels
// at a time where the processor has SSE2 (every x86-64 one).
void BlendRows(uint32_t* out, const uint32_t* upper, const uint32_t* lower, uint32_t weight, int count) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i keep16 = _mm_set1_epi16(static_cast<short>(kWeightOne - weight));
  const __m128i weight16 = _mm_set1_epi16(static_cast<short>(weight));
  const __m128i half16 = _mm_set1_epi16(0x80);
  constexpr int kPixelsPerVector = 4;
  for (; x + kPixelsPerVector <= count; x += kPixelsPerVector) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
    // Each channel times at most 256 fits 16 bits: 255 * 256 + 128 < 65536.
    const auto mix = [&](__m128i a16, __m128i b16) {
      const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(a16, keep16), _mm_mullo_epi16(b16, weight16)),
                                        half16);
      return _mm_srli_epi16(sum, 8);
    };
    const __m128i low = mix(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i high = mix(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(low, high));
  }
#endif
  for (; x < count; ++x) out[x] = Blend(upper[x], lower[x], weight);
}

}  // namespace

bool TPictureScaler::CanDrawInto(const QImage& target) {
  const QImage::Format f = target.format();
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

namespace {

// Target pixel i of targetLength, its centre mapped back into sourceLength
// pixels: the pixels on either side of that point and how far it lies past
// the first, held to the edges.
template <typename TTap>
TTap TapFor(int i, int sourceLength, int targetLength) {
  // The point in source pixels, less half a pixel, is num / den.
  const long long num = (2LL * i + 1) * sourceLength - targetLength;
  const long long den = 2LL * targetLength;
  if (num <= 0) return {0, 0, 0};
  const auto first = static_cast<int>(num / den);
  if (first >= sourceLength - 1) return {sourceLength - 1, sourceLength - 1, 0};
  return {first, first + 1, static_cast<uint32_t>(((num % den) * kWeightOne + den / 2) / den)};
}

}  // namespace

void TPictureScaler::BuildTables(QSize source, const QRect& picture) {
  m_source = source;
  m_picture = picture;
  // The target pixel's centre picks its source pixel, as a point maps back
  // to the play field.
  m_sourceColumn.resize(static_cast<size_t>(picture.width()));
  m_columnTap.resize(static_cast<size_t>(picture.width()));
  for (int x = 0; x < picture.width(); ++x) {
    m_sourceColumn[static_cast<size_t>(x)] =
        static_cast<int>((static_cast<long long>(2 * x + 1) * source.width()) / (2LL * picture.width()));
    m_columnTap[static_cast<size_t>(x)] = TapFor<TTap>(x, source.width(), picture.width());
  }
  m_sourceRow.resize(static_cast<size_t>(picture.height()));
  m_rowTap.resize(static_cast<size_t>(picture.height()));
  for (int y = 0; y < picture.height(); ++y) {
    m_sourceRow[static_cast<size_t>(y)] =
        static_cast<int>((static_cast<long long>(2 * y + 1) * source.height()) / (2LL * picture.height()));
    m_rowTap[static_cast<size_t>(y)] = TapFor<TTap>(y, source.height(), picture.height());
  }
}

void TPictureScaler::Draw(const QImage& source, QImage& target, const QRect& picture, const QRect& clip,
                          bool smooth) {
  if (source.isNull() || picture.isEmpty() || source.depth() != 32 || !CanDrawInto(target)) return;
  if (source.size() != m_source || picture != m_picture) BuildTables(source.size(), picture);
  const QRect area = picture.intersected(clip).intersected(target.rect());
  if (area.isEmpty()) return;
  if (smooth) {
    DrawSmooth(source, target, picture, area);
  } else {
    DrawCrisp(source, target, picture, area);
  }
}

void TPictureScaler::DrawCrisp(const QImage& source, QImage& target, const QRect& picture, const QRect& area) {
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

const uint32_t* TPictureScaler::FilteredRow(const QImage& source, int row, int keep, int firstColumn, int columns) {
  for (int slot = 0; slot < 2; ++slot) {
    if (m_rowIn[slot] == row) return m_rows[slot].data();
  }
  const int slot = m_rowIn[0] == keep ? 1 : 0;
  std::vector<uint32_t>& out = m_rows[slot];
  out.resize(static_cast<size_t>(columns));
  const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(row));
  const TTap* tap = m_columnTap.data() + firstColumn;
  for (int x = 0; x < columns; ++x) {
    out[static_cast<size_t>(x)] = Blend(in[tap[x].first] | kOpaque, in[tap[x].second] | kOpaque, tap[x].weight);
  }
  m_rowIn[slot] = row;
  return out.data();
}

void TPictureScaler::DrawSmooth(const QImage& source, QImage& target, const QRect& picture, const QRect& area) {
  const int firstColumn = area.left() - picture.left();
  const int columns = area.width();
  // The buffers hold the columns of this area only.
  m_rowIn[0] = m_rowIn[1] = -1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const TTap& tap = m_rowTap[static_cast<size_t>(y - picture.top())];
    const uint32_t* upper = FilteredRow(source, tap.first, tap.second, firstColumn, columns);
    auto* out = reinterpret_cast<uint32_t*>(target.scanLine(y)) + area.left();
    if (tap.weight == 0) {
      std::memcpy(out, upper, static_cast<size_t>(columns) * sizeof(uint32_t));
      continue;
    }
    const uint32_t* lower = FilteredRow(source, tap.second, tap.first, firstColumn, columns);
    BlendRows(out, upper, lower, tap.weight, columns);
  }
}
