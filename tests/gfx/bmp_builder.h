// Test helpers: Windows bitmaps built in memory (8, 16, 24, 32 bits, any
// header field chosen by the test) and a software device wrapper to load them
// into. Main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline void PutLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct TBmpLayout {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  // The raw value of pixel (x, y) of the image (y = 0 is the top row): a
  // palette index, a 16-bit X1R5G5B5 value, or BGR(A) packed as 0xAARRGGBB.
  std::function<uint32_t(int x, int y)> pixel = [](int, int) { return 0u; };
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries; padded to 256
  uint16_t signature = 0x4D42;
};

inline std::vector<uint8_t> MakeBmp(const TBmpLayout& layout) {
  const int bytesPerPixel = layout.bitCount / 8;
  const uint32_t rowBytes = ((static_cast<uint32_t>(layout.width) * layout.bitCount + 31) / 32) * 4;
  const uint32_t paletteBytes = layout.bitCount <= 8 ? 1024 : 0;
  const uint32_t offset = 54 + paletteBytes;
  const int rows = layout.height < 0 ? -layout.height : layout.height;
  std::vector<uint8_t> b;
  PutLE(b, layout.signature, 2);
  PutLE(b, offset + rowBytes * static_cast<uint32_t>(rows), 4);
  PutLE(b, 0, 4);
  PutLE(b, offset, 4);
  PutLE(b, 40, 4);
  PutLE(b, static_cast<uint32_t>(layout.width), 4);
  PutLE(b, static_cast<uint32_t>(layout.height), 4);
  PutLE(b, 1, 2);
  PutLE(b, layout.bitCount, 2);
  PutLE(b, layout.compression, 4);
  PutLE(b, rowBytes * static_cast<uint32_t>(rows), 4);
  for (int i = 0; i < 4; ++i) PutLE(b, 0, 4);
  if (paletteBytes != 0) {
    for (int i = 0; i < 256; ++i) PutLE(b, i < static_cast<int>(layout.palette.size()) ? layout.palette[i] : 0, 4);
  }
  for (int r = 0; r < rows; ++r) {
    const int y = layout.height < 0 ? r : rows - 1 - r;  // bottom-up unless the height is negative
    const size_t start = b.size();
    for (int x = 0; x < layout.width; ++x) {
      const uint32_t p = layout.pixel(x, y);
      if (layout.bitCount < 8) continue;
      PutLE(b, p, bytesPerPixel);
    }
    if (layout.bitCount < 8) {
      for (int x = 0; x < layout.width; x += 8 / layout.bitCount) b.push_back(0);
    }
    while (b.size() - start < rowBytes) b.push_back(0);
  }
  return b;
}
