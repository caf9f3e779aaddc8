// Test helper: reads back the PNG files that WritePngFile writes (8-bit RGB,
// filter 0, stored deflate blocks), the format of the reference images in
// tests/data/scene. Any other PNG is refused. Main thread.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct TStoredPng {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, row-major
};

inline bool ReadStoredPng(const std::string& path, TStoredPng& out) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto be32 = [&](size_t p) {
    return uint32_t(f[p]) << 24 | uint32_t(f[p + 1]) << 16 | uint32_t(f[p + 2]) << 8 | uint32_t(f[p + 3]);
  };
  if (f.size() < 8 || f[1] != 'P' || f[2] != 'N' || f[3] != 'G') return false;
  std::vector<uint8_t> z;
  size_t p = 8;
  while (p + 12 <= f.size()) {
    const uint32_t len = be32(p);
    if (p + 12 + len > f.size()) return false;
    const std::string type(f.begin() + static_cast<std::ptrdiff_t>(p + 4), f.begin() + static_cast<std::ptrdiff_t>(p + 8));
    if (type == "IHDR") {
      if (len < 13) return false;
      out.Width = static_cast<int>(be32(p + 8));
      out.Height = static_cast<int>(be32(p + 12));
      if (f[p + 16] != 8 || f[p + 17] != 2 || f[p + 20] != 0) return false;
    } else if (type == "IDAT") {
      z.insert(z.end(), f.begin() + static_cast<std::ptrdiff_t>(p + 8), f.begin() + static_cast<std::ptrdiff_t>(p + 8 + len));
    }
    p += 12 + len;
  }
  std::vector<uint8_t> raw;
  size_t q = 2;  // zlib header
  for (;;) {
    if (q + 5 > z.size() || (z[q] & 0x06) != 0) return false;  // stored blocks only
    const bool last = z[q] & 1;
    const size_t n = z[q + 1] | size_t{z[q + 2]} << 8;
    q += 5;
    if (q + n > z.size()) return false;
    raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(q), z.begin() + static_cast<std::ptrdiff_t>(q + n));
    q += n;
    if (last) break;
  }
  const size_t rowBytes = 1 + 3 * static_cast<size_t>(out.Width);
  if (raw.size() != rowBytes * static_cast<size_t>(out.Height)) return false;
  out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height);
  for (int y = 0; y < out.Height; ++y) {
    const uint8_t* row = raw.data() + static_cast<size_t>(y) * rowBytes;
    if (row[0] != 0) return false;
    for (int x = 0; x < out.Width; ++x) {
      const uint8_t* px = row + 1 + 3 * static_cast<size_t>(x);
      out.Pixels[static_cast<size_t>(y) * out.Width + x] = uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2];
    }
  }
  return true;
}
