#include "tools/make_pictures/bmp_writer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint16_t kPlanes = 1;
constexpr std::uint32_t kBiRgb = 0;  // uncompressed
constexpr std::int32_t kPixelsPerMetre72Dpi = 2835;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::uint8_t ChannelByte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0F, 1.0F) * 255.0F));
}

std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas, BmpKind kind) {
  const std::uint32_t bytesPerPixel = kind == BmpKind::Alpha32 ? 4 : 3;
  const auto width = static_cast<std::uint32_t>(canvas.Width());
  const auto height = static_cast<std::uint32_t>(canvas.Height());
  // Rows of a bitmap start on four-byte boundaries.
  const std::uint32_t rowBytes = (width * bytesPerPixel + 3) / 4 * 4;
  const std::uint32_t imageBytes = rowBytes * height;
  const std::uint32_t offset = kFileHeaderBytes + kInfoHeaderBytes;

  std::vector<std::uint8_t> out;
  out.reserve(offset + imageBytes);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageBytes);
  Put32(out, 0);  // two reserved words
  Put32(out, offset);
  // BITMAPINFOHEADER; a positive height means the rows are stored bottom-up.
  Put32(out, kInfoHeaderBytes);
  Put32(out, width);
  Put32(out, height);
  Put16(out, kPlanes);
  Put16(out, bytesPerPixel * 8);
  Put32(out, kBiRgb);
  Put32(out, imageBytes);
  Put32(out, kPixelsPerMetre72Dpi);
  Put32(out, kPixelsPerMetre72Dpi);
  Put32(out, 0);  // colours used: none, no palette
  Put32(out, 0);  // important colours: all

  for (int y = canvas.Height() - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgba& p = canvas.At(x, y);
      out.push_back(ChannelByte(p.b));
      out.push_back(ChannelByte(p.g));
      out.push_back(ChannelByte(p.r));
      if (kind == BmpKind::Alpha32) out.push_back(ChannelByte(p.a));
    }
    while (out.size() - rowStart < rowBytes) out.push_back(0);
  }
  return out;
}
