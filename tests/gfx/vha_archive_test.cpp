// The archive reader: lookups, stored and byte-pair entries, and the refusal
// of every kind of malformed archive.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <map>
#include <random>

#include "gfx/vha_archive.h"
#include "vha_writer.h"

namespace {

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> Load(const std::vector<uint8_t>& archive, const std::string& id) {
  TMemoryStream s(archive);
  std::unique_ptr<TMemoryStream> out = LoadFromVHAStream(s, id);
  EXPECT_EQ(out->Position(), 0);
  return out->Bytes();
}

// An archive of one byte-pair entry whose stored bytes are given raw.
std::vector<uint8_t> RawPairArchive(const std::vector<uint8_t>& stored, uint32_t expanded) {
  std::vector<uint8_t> a = MakeArchive(1, {{"raw", {}, 1}});
  const uint32_t offset = 256 + 268;
  a.resize(offset);
  for (int i = 0; i < 4; ++i) {
    a[256 + 4 + i] = static_cast<uint8_t>(stored.size() >> (8 * i));
    a[256 + 8 + i] = static_cast<uint8_t>(expanded >> (8 * i));
  }
  a.insert(a.end(), stored.begin(), stored.end());
  return a;
}

// A pair table making every code a literal except the given pairs, written
// as two runs of 128 entries.
std::vector<uint8_t> Table(const std::map<int, std::pair<int, int>>& pairs) {
  std::vector<uint8_t> t;
  for (int run = 0; run < 2; ++run) {
    t.push_back(127);
    for (int k = run * 128; k < run * 128 + 128; ++k) {
      auto it = pairs.find(k);
      if (it == pairs.end()) {
        t.push_back(static_cast<uint8_t>(k));
      } else {
        t.push_back(static_cast<uint8_t>(it->second.first));
        t.push_back(static_cast<uint8_t>(it->second.second));
      }
    }
  }
  return t;
}

std::vector<uint8_t> Block(const std::vector<uint8_t>& table, const std::vector<uint8_t>& packed) {
  std::vector<uint8_t> b = table;
  PutLE(b, static_cast<uint32_t>(packed.size()), 4);
  b.insert(b.end(), packed.begin(), packed.end());
  return b;
}

std::string Refusal(const std::vector<uint8_t>& archive, const std::string& id) {
  try {
    Load(archive, id);
  } catch (const EVHAError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(VhaArchive, IdsCompareWithoutLetterCaseAndTheEarlierEntryWins) {
  const auto a = MakeArchive(0, {{"Title", Text("first")}, {"TITLE", Text("second")}, {"other", Text("x")}});
  EXPECT_EQ(Load(a, "title"), Text("first"));
  EXPECT_EQ(Load(a, "TITLE"), Text("first"));
  EXPECT_EQ(Load(a, "OTHER"), Text("x"));
  const std::string message = Refusal(a, "Missing");
  EXPECT_NE(message.find("'Missing'"), std::string::npos);
}

TEST(VhaArchive, DoubleByteTrailBytesAreNotLowerCased) {
  // "ア" is 83 41 in CP932; its trail byte is the letter 'A' and must stay.
  const std::string upper = "\x83\x41" "B";
  const auto a = MakeArchive(0, {{upper, Text("kana")}});
  EXPECT_EQ(Load(a, "\x83\x41" "b"), Text("kana"));
  EXPECT_FALSE(Refusal(a, "\x83\x61" "b").empty());
}

TEST(VhaArchive, EmptyArchiveAndEmptyEntry) {
  EXPECT_FALSE(Refusal(MakeArchive(0, {}), "any").empty());
  const auto a = MakeArchive(0, {{"empty", {}}});
  EXPECT_TRUE(Load(a, "empty").empty());
}

TEST(VhaArchive, SignatureIsCheckedFirst) {
  auto a = MakeArchive(0, {{"x", Text("data")}});
  a[7] = '1';
  const std::string message = Refusal(a, "x");
  EXPECT_EQ(message, Refusal(std::vector<uint8_t>(10, 0), "x"));  // the same refusal as a short file
  EXPECT_FALSE(message.empty());
  uint8_t header[256] = {};
  std::memcpy(header + 4, "VHA0", 4);
  EXPECT_TRUE(IsVHAHeader(header));
  header[4] = 'v';
  EXPECT_FALSE(IsVHAHeader(header));
}

TEST(VhaArchive, BytePairEntriesExpandAcrossSeveralBlocks) {
  std::vector<uint8_t> bitmapLike;
  std::mt19937 rng(3);
  for (int i = 0; i < 3000; ++i) bitmapLike.push_back(static_cast<uint8_t>(i % 7 == 0 ? rng() % 5 : 0x20 + (i % 3)));
  const auto a = MakeArchive(1, {{"one", bitmapLike, 1}, {"three", bitmapLike, 3}, {"text", Text("abababababab"), 2}});
  EXPECT_EQ(Load(a, "one"), bitmapLike);
  EXPECT_EQ(Load(a, "three"), bitmapLike);
  EXPECT_EQ(Load(a, "TEXT"), Text("abababababab"));
  // The encoder really compressed.
  EXPECT_LT(a.size(), 256 + 3 * 268 + 2 * bitmapLike.size());
}

TEST(VhaArchive, AllLiteralTableAndOneCodeRuns) {
  // 255: 128 literals; then code 128 as its own entry; 254: 127 literals.
  std::vector<uint8_t> literalTable = {255, 128, 254};
  const auto a = RawPairArchive(Block(literalTable, Text("plain")), 5);
  EXPECT_EQ(Load(a, "raw"), Text("plain"));
  // A count byte of 0 describes exactly one code: code 0 = ('h', 'i'); then
  // 127 literals (1..127), code 128 as its own entry, 127 literals (129..255).
  const std::vector<uint8_t> table = {0, 'h', 'i', 254, 128, 254};
  const auto b = RawPairArchive(Block(table, {0, '!', 0}), 5);
  EXPECT_EQ(Load(b, "raw"), Text("hi!hi"));
  // Two blocks, each with its own table.
  std::vector<uint8_t> two = Block(Table({{1, {'a', 'b'}}}), {1, 1});
  const std::vector<uint8_t> second = Block(Table({{1, {'x', 'y'}}}), {1});
  two.insert(two.end(), second.begin(), second.end());
  EXPECT_EQ(Load(RawPairArchive(two, 6), "raw"), Text("ababxy"));
}

TEST(VhaArchive, ExpansionUsesTheWholeStackButNoMore) {
  // Code k = (k - 1, 0) for k = 1..255: expanding 255 needs exactly 256 bytes.
  std::map<int, std::pair<int, int>> chain;
  for (int k = 1; k < 256; ++k) chain[k] = {k - 1, 0};
  EXPECT_EQ(Load(RawPairArchive(Block(Table(chain), {255}), 256), "raw"), std::vector<uint8_t>(256, 0));
  // Codes that contain each other on the left never end: refused at the stack.
  EXPECT_NE(Refusal(RawPairArchive(Block(Table({{1, {2, 0}}, {2, {1, 0}}}), {1}), 100), "raw").find("256"),
            std::string::npos);
  // On the right it produces bytes for ever: stopped at the expanded size.
  EXPECT_FALSE(Refusal(RawPairArchive(Block(Table({{1, {0, 1}}}), {1}), 1000), "raw").empty());
}

TEST(VhaArchive, MalformedTablesAndLengthsAreRefused) {
  // 128 literals, one entry, then a run of 128 entries: past code 256.
  std::vector<uint8_t> past = {255, 128, 127};
  past.resize(past.size() + 200, 0);
  EXPECT_FALSE(Refusal(RawPairArchive(past, 10), "raw").empty());
  // A literal run past 256.
  EXPECT_FALSE(Refusal(RawPairArchive({255, 128, 255}, 10), "raw").empty());
  // The table runs out of stored data.
  EXPECT_FALSE(Refusal(RawPairArchive({127, 0, 1, 2}, 10), "raw").empty());
  // The packed length runs out of stored data.
  std::vector<uint8_t> longPacked = {255, 128, 254};
  PutLE(longPacked, 1000, 4);
  longPacked.push_back('x');
  EXPECT_FALSE(Refusal(RawPairArchive(longPacked, 10), "raw").empty());
  // The packed length itself is cut.
  EXPECT_FALSE(Refusal(RawPairArchive({255, 128, 254, 1, 0}, 10), "raw").empty());
  // A shorter expansion leaves zeros up to the expanded size.
  EXPECT_EQ(Load(RawPairArchive(Block({255, 128, 254}, Text("ab")), 4), "raw"), (std::vector<uint8_t>{'a', 'b', 0, 0}));
}

TEST(VhaArchive, DirectoriesAndEntriesBeyondTheFileAreRefused) {
  auto a = MakeArchive(0, {{"x", Text("data")}});
  // A count so large that the directory cannot be in the file.
  auto huge = a;
  huge[8] = huge[9] = huge[10] = 0xFF;
  huge[11] = 0x7F;
  EXPECT_FALSE(Refusal(huge, "x").empty());
  auto two = a;
  two[8] = 2;
  EXPECT_FALSE(Refusal(two, "x").empty());
  // Entry data beyond the end.
  auto far = a;
  far[256 + 3] = 0x10;
  EXPECT_FALSE(Refusal(far, "x").empty());
  auto longer = a;
  longer[256 + 8] = 200;  // expanded (= read) size past the end
  EXPECT_FALSE(Refusal(longer, "x").empty());
  // A data offset of 0 counts as not found.
  auto zero = a;
  std::fill(zero.begin() + 256, zero.begin() + 260, 0);
  EXPECT_NE(Refusal(zero, "x").find("'x'"), std::string::npos);
  // Negative counts mean no entries.
  auto negative = a;
  negative[11] = 0x80;
  EXPECT_FALSE(Refusal(negative, "x").empty());
}

TEST(VhaArchive, FilesAreOpenedReadOnlyAndMissingFilesRaiseTheOpenError) {
  const std::string path = ::testing::TempDir() + "pluv_test.vha";
  const auto a = MakeArchive(1, {{"Pic", Text("pixels pixels pixels"), 2}});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(a.data()), static_cast<std::streamsize>(a.size()));
  EXPECT_EQ(LoadFromVHAFile(path, "pic")->Bytes(), Text("pixels pixels pixels"));
  EXPECT_THROW(LoadFromVHAFile(path, "nothing"), EVHAError);
  std::filesystem::remove(path);
  EXPECT_THROW(LoadFromVHAFile(path, "pic"), EFOpenError);
}

TEST(VhaArchive, ExpandBytePairsDirectly) {
  TMemoryStream packed(Block(Table({{200, {'o', 'k'}}}), {200, 200}));
  auto out = ExpandBytePairs(packed, 4);
  EXPECT_EQ(out->Bytes(), Text("okok"));
  TMemoryStream empty;
  EXPECT_EQ(ExpandBytePairs(empty, 3)->Bytes(), std::vector<uint8_t>(3, 0));
  TMemoryStream any;
  EXPECT_THROW(ExpandBytePairs(any, static_cast<uint32_t>(kVHAMaxEntryBytes) + 1), EVHAError);
}

TEST(VhaArchiveBounds, AnAnnouncedSizeAllocatesOnlyWhatTheDataExpandsTo) {
  // A few dozen bytes announcing the largest entry: the result holds the
  // expansion and a bounded zero tail, not 256 MiB.
  const auto archive = RawPairArchive(Block({255, 128, 254}, Text("abc")), static_cast<uint32_t>(kVHAMaxEntryBytes));
  ASSERT_LT(archive.size(), 1000u);
  const std::vector<uint8_t> out = Load(archive, "raw");
  EXPECT_EQ(out.size(), 3u + kVHAMaxZeroTailBytes);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 3), Text("abc"));
  EXPECT_EQ(std::count(out.begin() + 3, out.end(), 0), kVHAMaxZeroTailBytes);
}

TEST(VhaArchiveBounds, TheOutputGrowsPastTheExpandedSize) {
  TMemoryStream packed(Block(Table({{200, {'o', 'k'}}}), {200, 200, 200}));
  EXPECT_EQ(ExpandBytePairs(packed, 2)->Bytes(), Text("okokok"));
  // Sixteen doublings of one byte: 65536 bytes out of a table and one byte.
  std::map<int, std::pair<int, int>> doubling;
  for (int k = 1; k <= 16; ++k) doubling[k] = {k - 1, k - 1};
  EXPECT_EQ(Load(RawPairArchive(Block(Table(doubling), {16}), 10), "raw"), std::vector<uint8_t>(65536, 0));
}

TEST(VhaArchiveBounds, ExpansionsBeyondTheLargestEntryAreRefusedBeforeAllocating) {
  // Forty doublings describe a terabyte in a few hundred bytes.
  std::map<int, std::pair<int, int>> doubling;
  for (int k = 1; k <= 40; ++k) doubling[k] = {k - 1, k - 1};
  EXPECT_NE(Refusal(RawPairArchive(Block(Table(doubling), {40}), 100), "raw").find("largest entry"), std::string::npos);
  // Together two blocks may pass the limit where each alone does not.
  std::map<int, std::pair<int, int>> half;
  for (int k = 1; k <= 27; ++k) half[k] = {k - 1, k - 1};
  const std::vector<uint8_t> block = Block(Table(half), {27, 27});
  std::vector<uint8_t> twoBlocks = block;
  twoBlocks.insert(twoBlocks.end(), block.begin(), block.end());
  EXPECT_NE(Refusal(RawPairArchive(twoBlocks, 100), "raw").find("largest entry"), std::string::npos);
  // A code that repeats itself on the right never ends: refused at once.
  EXPECT_NE(Refusal(RawPairArchive(Block(Table({{1, {0, 1}}}), {1}), 1000), "raw").find("largest entry"),
            std::string::npos);
}
