// SHA-256 against the test vectors of FIPS 180-4's examples and NIST's
// long message, fed whole and in pieces, and over a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "records/sha256.h"

namespace {

TEST(Sha256Test, StandardVectors) {
  EXPECT_EQ(TSha256::HexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(TSha256::HexOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(TSha256::HexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(TSha256::HexOf("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(TSha256::HexOf(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256Test, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
  std::string message;
  for (int i = 0; i < 1000; ++i) message.push_back(static_cast<char>(i * 37 + 11));
  const std::string whole = TSha256::HexOf(message);
  // Every length around the block and padding boundaries, cut at every step.
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
    const std::string part = message.substr(0, length);
    const std::string expected = TSha256::HexOf(part);
    for (size_t step = 1; step <= 70; step += 23) {
      TSha256 hash;
      for (size_t at = 0; at < part.size(); at += step) hash.Update(part.data() + at, std::min(step, part.size() - at));
      EXPECT_EQ(TSha256::Hex(hash.Final()), expected) << length << " bytes in steps of " << step;
    }
  }
  EXPECT_NE(TSha256::HexOf(message.substr(0, 999)), whole);
}

TEST(Sha256Test, FileDigestIsTheDigestOfItsBytesAndAMissingFileHasNone) {
  const std::string path = (std::filesystem::temp_directory_path() / "pluv_sha256_test.mid").string();
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
  std::ofstream(path, std::ios::binary) << bytes;
  EXPECT_EQ(Sha256OfFile(path), TSha256::HexOf(bytes));
  std::filesystem::remove(path);
  EXPECT_FALSE(Sha256OfFile(path).has_value());
  // A folder is no file to read.
  EXPECT_FALSE(Sha256OfFile(std::filesystem::temp_directory_path().string()).has_value());
}

}  // namespace
