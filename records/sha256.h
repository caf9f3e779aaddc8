// SHA-256 (FIPS 180-4): the identity of a song is the digest of its file's
// bytes, so a renamed or moved file keeps its history. Any thread; a
// TSha256 object belongs to its caller.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TSha256 {
 public:
  static constexpr size_t kDigestBytes = 32;
  using TDigest = std::array<uint8_t, kDigestBytes>;

  TSha256();
  // Adds bytes to the message; may be called any number of times.
  void Update(const void* data, size_t size);
  // Pads the message and gives the digest; the object then starts afresh.
  TDigest Final();

  // The digest as 64 lower-case hexadecimal digits.
  static std::string Hex(const TDigest& digest);
  static std::string HexOf(std::string_view bytes);

 private:
  static constexpr size_t kBlockBytes = 64;
  void Reset();
  void Compress(const uint8_t* block);

  std::array<uint32_t, 8> m_state{};
  std::array<uint8_t, kBlockBytes> m_block{};
  size_t m_blockFill = 0;
  uint64_t m_totalBytes = 0;
};

// The hexadecimal digest of a file's bytes; empty when it cannot be read.
std::optional<std::string> Sha256OfFile(const std::string& path);
