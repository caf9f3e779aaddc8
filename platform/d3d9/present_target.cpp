// The presentation-target registry and the image-file dump target, with
// small PNG (stored deflate blocks) and BMP writers.
#include "platform/d3d9/present_target.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <map>
#include <vector>

namespace {

std::map<HWND, IPresentTarget*>& Registry() {
  static std::map<HWND, IPresentTarget*> registry;
  return registry;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 255] ^ (crc >> 8);
  return ~crc;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, Crc32(out.data() + start, out.size() - start));
}

bool WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

void RegisterPresentTarget(HWND window, IPresentTarget* target) { Registry()[window] = target; }

void UnregisterPresentTarget(HWND window, IPresentTarget* target) {
  auto it = Registry().find(window);
  if (it != Registry().end() && (target == nullptr || it->second == target)) Registry().erase(it);
}

IPresentTarget* FindPresentTarget(HWND window) {
  auto it = Registry().find(window);
  return it == Registry().end() ? nullptr : it->second;
}

bool WritePngFile(const std::string& path, const uint32_t* pixels, int width, int height, int pitchBytes) {
  // Raw scanlines (filter 0, RGB), wrapped in stored deflate blocks.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                        static_cast<std::ptrdiff_t>(y) * pitchBytes);
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      raw.push_back(static_cast<uint8_t>(row[x] >> 16));
      raw.push_back(static_cast<uint8_t>(row[x] >> 8));
      raw.push_back(static_cast<uint8_t>(row[x]));
    }
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  constexpr size_t kMaxStored = 65535;
  for (size_t pos = 0; pos < raw.size() || pos == 0; pos += kMaxStored) {
    const size_t n = std::min(kMaxStored, raw.size() - pos);
    const bool last = pos + n >= raw.size();
    z.push_back(last ? 1 : 0);
    PutLE(z, static_cast<uint32_t>(n), 2);
    PutLE(z, static_cast<uint32_t>(~n & 0xFFFF), 2);
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    if (raw.empty()) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, static_cast<uint32_t>(width));
  PutBE32(ihdr, static_cast<uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, filter 0, no interlace
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  return WriteAll(path, png);
}

bool WriteBmpFile(const std::string& path, const uint32_t* pixels, int width, int height, int pitchBytes) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  std::vector<uint8_t> bmp;
  bmp.push_back('B');
  bmp.push_back('M');
  PutLE(bmp, 54 + imageBytes, 4);
  PutLE(bmp, 0, 4);
  PutLE(bmp, 54, 4);
  PutLE(bmp, 40, 4);
  PutLE(bmp, static_cast<uint32_t>(width), 4);
  PutLE(bmp, static_cast<uint32_t>(height), 4);
  PutLE(bmp, 1, 2);
  PutLE(bmp, 24, 2);
  for (int i = 0; i < 6; ++i) PutLE(bmp, i == 1 ? imageBytes : 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                        static_cast<std::ptrdiff_t>(y) * pitchBytes);
    for (int x = 0; x < width; ++x) PutLE(bmp, row[x] & 0xFFFFFFu, 3);
    for (uint32_t p = static_cast<uint32_t>(width) * 3; p < rowBytes; ++p) bmp.push_back(0);
  }
  return WriteAll(path, bmp);
}

TImageDumpTarget::TImageDumpTarget(std::string pathPrefix, TKind kind) : m_prefix(std::move(pathPrefix)), m_kind(kind) {}

void TImageDumpTarget::PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) {
  const std::string path = m_prefix + std::to_string(m_frames) + (m_kind == TKind::Png ? ".png" : ".bmp");
  const bool ok = m_kind == TKind::Png ? WritePngFile(path, pixels, width, height, pitchBytes)
                                       : WriteBmpFile(path, pixels, width, height, pitchBytes);
  if (ok) ++m_frames;
}
