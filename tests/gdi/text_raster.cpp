#include "text_raster.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr int kMaxGrey = 255;
constexpr int kGray8Levels = 64;
const MAT2 kIdentity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::vector<unsigned> Cp932Codes(const std::string& cp932) {
  std::vector<unsigned> codes;
  for (size_t i = 0; i < cp932.size();) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    if (IsLeadByte(c) && i + 1 < cp932.size()) {
      codes.push_back(c * 256u + static_cast<unsigned char>(cp932[i + 1]));
      i += 2;
    } else {
      codes.push_back(c);
      ++i;
    }
  }
  return codes;
}

bool RenderLine(HDC dc, const std::string& cp932, unsigned format, int margin, GreyImage& out) {
  TEXTMETRICA tm{};
  SIZE extent{};
  if (!GetTextMetricsA(dc, &tm) || !GetTextExtentPoint32A(dc, cp932.c_str(), static_cast<int>(cp932.size()), &extent)) {
    return false;
  }
  out.width = extent.cx + 2 * margin;
  out.height = tm.tmHeight + 2 * margin;
  out.pixels.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
  int penX = margin;
  for (unsigned code : Cp932Codes(cp932)) {
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineA(dc, code, format, &gm, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR) return false;
    std::vector<std::uint8_t> buffer(size);
    if (size > 0 && GetGlyphOutlineA(dc, code, format, &gm, size, buffer.data(), &kIdentity) != size) return false;
    const int pitch = format == GGO_BITMAP ? static_cast<int>((gm.gmBlackBoxX + 31) / 32 * 4)
                                           : static_cast<int>((gm.gmBlackBoxX + 3) & ~3u);
    const int boxLeft = penX + gm.gmptGlyphOrigin.x;
    const int boxTop = margin + tm.tmAscent - gm.gmptGlyphOrigin.y;
    for (int y = 0; size > 0 && y < static_cast<int>(gm.gmBlackBoxY); ++y) {
      for (int x = 0; x < static_cast<int>(gm.gmBlackBoxX); ++x) {
        const int px = boxLeft + x;
        const int py = boxTop + y;
        if (px < 0 || py < 0 || px >= out.width || py >= out.height) continue;
        const std::uint8_t* row = buffer.data() + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        const int value = format == GGO_BITMAP ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * kMaxGrey
                                               : row[x] * kMaxGrey / kGray8Levels;
        std::uint8_t& target = out.pixels[static_cast<size_t>(py) * static_cast<size_t>(out.width) + static_cast<size_t>(px)];
        target = static_cast<std::uint8_t>(std::max<int>(target, value));
      }
    }
    penX += gm.gmCellIncX;
  }
  return true;
}

bool WritePgm(const std::string& path, const GreyImage& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << image.width << " " << image.height << "\n" << kMaxGrey << "\n";
  for (std::uint8_t v : image.pixels) out.put(static_cast<char>(kMaxGrey - v));
  return out.good();
}
