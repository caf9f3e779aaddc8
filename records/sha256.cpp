#include "records/sha256.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first
// 64 primes (FIPS 180-4, 4.2.2).
constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The first 32 bits of the fractional parts of the square roots of the
// first 8 primes (FIPS 180-4, 5.3.3).
constexpr uint32_t kInitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr size_t kLengthBytes = 8;  // the message length in bits, big-endian, ends the last block
constexpr uint8_t kPadMarker = 0x80;
constexpr size_t kFileChunkBytes = 64 * 1024;

constexpr uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

}  // namespace

TSha256::TSha256() { Reset(); }

void TSha256::Reset() {
  for (size_t i = 0; i < m_state.size(); ++i) m_state[i] = kInitialState[i];
  m_blockFill = 0;
  m_totalBytes = 0;
}

void TSha256::Compress(const uint8_t* block) {
  uint32_t w[64];
  for (int t = 0; t < 16; ++t) {
    w[t] = static_cast<uint32_t>(block[t * 4]) << 24 | static_cast<uint32_t>(block[t * 4 + 1]) << 16 |
           static_cast<uint32_t>(block[t * 4 + 2]) << 8 | static_cast<uint32_t>(block[t * 4 + 3]);
  }
  for (int t = 16; t < 64; ++t) {
    const uint32_t s0 = RotateRight(w[t - 15], 7) ^ RotateRight(w[t - 15], 18) ^ (w[t - 15] >> 3);
    const uint32_t s1 = RotateRight(w[t - 2], 17) ^ RotateRight(w[t - 2], 19) ^ (w[t - 2] >> 10);
    w[t] = w[t - 16] + s0 + w[t - 7] + s1;
  }
  uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
  uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
  for (int t = 0; t < 64; ++t) {
    const uint32_t sum1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
    const uint32_t choose = (e & f) ^ (~e & g);
    const uint32_t t1 = h + sum1 + choose + kRoundConstants[t] + w[t];
    const uint32_t sum0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
    const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    const uint32_t t2 = sum0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
  m_state[4] += e;
  m_state[5] += f;
  m_state[6] += g;
  m_state[7] += h;
}

void TSha256::Update(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  m_totalBytes += size;
  while (size > 0) {
    const size_t take = std::min(size, kBlockBytes - m_blockFill);
    std::copy(bytes, bytes + take, m_block.begin() + static_cast<std::ptrdiff_t>(m_blockFill));
    m_blockFill += take;
    bytes += take;
    size -= take;
    if (m_blockFill == kBlockBytes) {
      Compress(m_block.data());
      m_blockFill = 0;
    }
  }
}

TSha256::TDigest TSha256::Final() {
  const uint64_t bitLength = m_totalBytes * 8;
  m_block[m_blockFill++] = kPadMarker;
  if (m_blockFill > kBlockBytes - kLengthBytes) {
    std::fill(m_block.begin() + static_cast<std::ptrdiff_t>(m_blockFill), m_block.end(), 0);
    Compress(m_block.data());
    m_blockFill = 0;
  }
  std::fill(m_block.begin() + static_cast<std::ptrdiff_t>(m_blockFill), m_block.end() - kLengthBytes, 0);
  for (size_t i = 0; i < kLengthBytes; ++i) {
    m_block[kBlockBytes - 1 - i] = static_cast<uint8_t>(bitLength >> (8 * i));
  }
  Compress(m_block.data());
  TDigest digest{};
  for (size_t i = 0; i < m_state.size(); ++i) {
    for (size_t k = 0; k < 4; ++k) digest[i * 4 + k] = static_cast<uint8_t>(m_state[i] >> (24 - 8 * k));
  }
  Reset();
  return digest;
}

std::string TSha256::Hex(const TDigest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(digest.size() * 2);
  for (uint8_t byte : digest) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

std::string TSha256::HexOf(std::string_view bytes) {
  TSha256 hash;
  hash.Update(bytes.data(), bytes.size());
  return Hex(hash.Final());
}

std::optional<std::string> Sha256OfFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  TSha256 hash;
  std::vector<char> chunk(kFileChunkBytes);
  while (file) {
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::streamsize got = file.gcount();
    if (got > 0) hash.Update(chunk.data(), static_cast<size_t>(got));
  }
  if (file.bad()) return std::nullopt;
  return TSha256::Hex(hash.Final());
}
