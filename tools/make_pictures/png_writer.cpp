#include "tools/make_pictures/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr int kBitDepth = 8;
constexpr int kColourTypeRgba = 6;  // PNG: truecolour with alpha
constexpr int kChannels = 4;
constexpr std::uint8_t kFilterNone = 0;
constexpr float kByteMax = 255.0F;

void PutBE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBE32(out, static_cast<std::uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBE32(out, static_cast<std::uint32_t>(crc));
}

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0F, 1.0F) * kByteMax)); }

}  // namespace

std::vector<std::uint8_t> EncodePng(const Canvas& canvas) {
  const int w = canvas.Width();
  const int h = canvas.Height();
  // Every row starts with its filter byte.
  std::vector<std::uint8_t> raw;
  raw.reserve(static_cast<size_t>(h) * (1 + static_cast<size_t>(w) * kChannels));
  for (int y = 0; y < h; ++y) {
    raw.push_back(kFilterNone);
    for (int x = 0; x < w; ++x) {
      const Rgba& p = canvas.At(x, y);
      raw.insert(raw.end(), {ToByte(p.r), ToByte(p.g), ToByte(p.b), ToByte(p.a)});
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("zlib could not compress the icon");
  }
  packed.resize(packedSize);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  PutBE32(header, static_cast<std::uint32_t>(w));
  PutBE32(header, static_cast<std::uint32_t>(h));
  header.insert(header.end(), {kBitDepth, kColourTypeRgba, 0, 0, 0});  // deflate, adaptive filters, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}
