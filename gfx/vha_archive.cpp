// Archive layout (32-bit little-endian integers): a 256-byte header (method,
// "VHA0", entry count, reserved), then count directory entries of 268 bytes
// (data offset, stored size, expanded size, a zero-terminated 256-byte ID),
// entry data anywhere after. Byte-pair blocks: a pair table written as runs
// over codes 0..255, a 4-byte packed length, the packed bytes.
#include "gfx/vha_archive.h"

#include <cstring>
#include <vector>

#include "gfx/debug_log.h"

namespace {

constexpr int kCodes = 256;
constexpr int kStackBytes = 256;
constexpr int kLiteralRunBase = 127;  // a count byte above it starts a run of count - 127 literals
constexpr char kSignature[4] = {'V', 'H', 'A', '0'};

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

[[noreturn]] void Fail(const char* utf8Message) { throw EVHAError(Sjis(utf8Message)); }

[[noreturn]] void FailCorrupt(const char* detail) {
  throw EVHAError(Sjis("アーカイブ内のデータが壊れています: ") + detail);
}

// Lower-cases the single-byte letters of a CP932 string; the trail bytes of
// double-byte characters (some of which are ASCII letters) stay as they are.
std::string LowerCp932(const std::string& s) {
  std::string out = s;
  for (size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<uint8_t>(out[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;  // lead byte: skip its trail byte
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

// Reads one byte of the packed input, which must not run out.
uint8_t NextByte(TMemoryStream& in, const char* what) {
  uint8_t b = 0;
  if (in.Read(&b, 1) != 1) FailCorrupt(what);
  return b;
}

}  // namespace

bool IsVHAHeader(const uint8_t* Header) { return std::memcmp(Header + 4, kSignature, sizeof kSignature) == 0; }

std::unique_ptr<TMemoryStream> ExpandBytePairs(TMemoryStream& Packed, uint32_t ExpandedSize) {
  if (ExpandedSize > kVHAMaxEntryBytes) FailCorrupt("expanded size too large");
  auto out = std::make_unique<TMemoryStream>();
  out->SetSize(ExpandedSize);
  uint8_t* dest = out->Memory();
  uint32_t written = 0;
  uint8_t left[kCodes], right[kCodes] = {};
  uint8_t stack[kStackBytes];
  while (Packed.Position() < Packed.Size()) {
    for (int k = 0; k < kCodes; ++k) left[k] = static_cast<uint8_t>(k);
    int c = 0;
    while (c < kCodes) {
      int entries = 0;
      const int n = NextByte(Packed, "pair table past the stored data");
      if (n > kLiteralRunBase) {
        c += n - kLiteralRunBase;
        if (c > kCodes) FailCorrupt("pair table run past code 256");
        if (c == kCodes) break;
        entries = 1;  // continues as if its count byte were 0
      } else {
        entries = n + 1;
        if (c + entries > kCodes) FailCorrupt("pair table run past code 256");
      }
      for (int e = 0; e < entries; ++e, ++c) {
        left[c] = NextByte(Packed, "pair table past the stored data");
        if (left[c] != c) right[c] = NextByte(Packed, "pair table past the stored data");
      }
    }
    uint8_t lengthBytes[4];
    if (Packed.Read(lengthBytes, 4) != 4) FailCorrupt("packed length past the stored data");
    uint32_t length = U32(lengthBytes);
    if (length > static_cast<uint64_t>(Packed.Remaining())) FailCorrupt("packed bytes past the stored data");
    int sp = 0;
    for (;;) {
      uint8_t b;
      if (sp > 0) {
        b = stack[--sp];
      } else {
        if (length == 0) break;
        --length;
        b = NextByte(Packed, "packed bytes past the stored data");
      }
      if (left[b] == b) {
        if (written >= ExpandedSize) FailCorrupt("expansion longer than the expanded size");
        dest[written++] = b;
      } else {
        if (sp + 2 > kStackBytes) FailCorrupt("pair expansion deeper than 256 bytes");
        stack[sp++] = right[b];
        stack[sp++] = left[b];
      }
    }
  }
  out->SetPosition(0);
  return out;
}

std::unique_ptr<TMemoryStream> LoadFromVHAStream(TStream& Stream, const std::string& ID) {
  uint8_t header[kVHAHeaderSize];
  if (Stream.Read(header, kVHAHeaderSize) != kVHAHeaderSize || !IsVHAHeader(header)) {
    Fail("Vornhalt Archiveの扱えるデータではありません");
  }
  const auto method = static_cast<int32_t>(U32(header));
  const auto count = static_cast<int32_t>(U32(header + 8));
  const int64_t entries = count > 0 ? count : 0;
  // The directory must lie in the file: a larger count is refused before
  // anything is allocated for it.
  if (entries * kVHADirectoryEntrySize > Stream.Remaining()) {
    throw EVHAError(Sjis("アーカイブのディレクトリがファイルに収まっていません") + FormatText(" (%d)", count));
  }
  std::vector<uint8_t> directory(static_cast<size_t>(entries * kVHADirectoryEntrySize));
  Stream.ReadBuffer(directory.data(), static_cast<int64_t>(directory.size()));

  const std::string wanted = LowerCp932(ID);
  const uint8_t* found = nullptr;
  for (int64_t i = 0; i < entries && found == nullptr; ++i) {
    const uint8_t* entry = directory.data() + i * kVHADirectoryEntrySize;
    const auto* idField = reinterpret_cast<const char*>(entry + 12);
    const std::string id(idField, strnlen(idField, kVHAIdFieldSize));
    if (LowerCp932(id) == wanted) found = entry;
  }
  if (found == nullptr || U32(found) == 0) {
    throw EVHAError(FormatText(Sjis("アーカイブ内には指定されたID '%s' を持つデータが見つかりません").c_str(), ID.c_str()));
  }
  const uint32_t offset = U32(found);
  const uint32_t stored = U32(found + 4);
  const uint32_t expanded = U32(found + 8);
  const uint32_t readSize = method == kVHAMethodBytePair ? stored : expanded;
  if (uint64_t{offset} + readSize > static_cast<uint64_t>(Stream.Size())) {
    throw EVHAError(FormatText(Sjis("アーカイブ内のデータ '%s' がファイルの外を指しています").c_str(), ID.c_str()));
  }
  if (readSize > kVHAMaxEntryBytes) FailCorrupt("entry too large");
  Stream.SetPosition(offset);
  std::vector<uint8_t> data(readSize);
  Stream.ReadBuffer(data.data(), readSize);
  if (method == kVHAMethodBytePair) {
    TMemoryStream packed(std::move(data));
    return ExpandBytePairs(packed, expanded);
  }
  auto out = std::make_unique<TMemoryStream>(std::move(data));
  out->SetPosition(0);
  return out;
}

std::unique_ptr<TMemoryStream> LoadFromVHAFile(const std::string& FileName, const std::string& ID) {
  TFileStream file(FileName, TFileStream::TMode::OpenRead);
  return LoadFromVHAStream(file, ID);
}
