// Archive layout (32-bit little-endian integers): a 256-byte header (method,
// "VHA0", entry count, reserved), then count directory entries of 268 bytes
// (data offset, stored size, expanded size, a zero-terminated 256-byte ID),
// entry data anywhere after. Byte-pair blocks: a pair table written as runs
// over codes 0..255, a 4-byte packed length, the packed bytes.
#include "gfx/vha_archive.h"

#include <algorithm>
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

namespace {

// The pair table of one block: left[k] == k marks a literal.
struct TPairTable {
  uint8_t left[kCodes];
  uint8_t right[kCodes];
};

// Reads one block's pair table and packed length, leaving Packed at the
// packed bytes, which must all lie in the stored data.
uint32_t ReadBlockHeader(TMemoryStream& Packed, TPairTable& table) {
  for (int k = 0; k < kCodes; ++k) {
    table.left[k] = static_cast<uint8_t>(k);
    table.right[k] = 0;
  }
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
      table.left[c] = NextByte(Packed, "pair table past the stored data");
      if (table.left[c] != c) table.right[c] = NextByte(Packed, "pair table past the stored data");
    }
  }
  uint8_t lengthBytes[4];
  if (Packed.Read(lengthBytes, 4) != 4) FailCorrupt("packed length past the stored data");
  const uint32_t length = U32(lengthBytes);
  if (length > static_cast<uint64_t>(Packed.Remaining())) FailCorrupt("packed bytes past the stored data");
  return length;
}

// What one code of a table expands to: its length in bytes (kEndless for a
// code that contains itself) and the expansion stack it needs (kEndless when
// it contains itself through a left byte, which grows the stack each time).
constexpr uint64_t kEndless = UINT64_MAX;

class TCodeSizes {
 public:
  explicit TCodeSizes(const TPairTable& table) : m_table(table) {}
  uint64_t Length(uint8_t code) {
    Visit(code, 0);
    return m_length[code];
  }
  uint64_t Stack(uint8_t code) {
    Visit(code, 0);
    return m_stack[code];
  }

 private:
  enum class TState : uint8_t { New, OnPath, Done };
  static uint64_t Add(uint64_t a, uint64_t b) { return a > kEndless - b ? kEndless : a + b; }

  // Depth-first over the pair graph; leftEdges counts the left bytes taken
  // on the path so far, to tell a stack-growing cycle from a right-only one.
  void Visit(uint8_t code, int leftEdges) {
    if (m_state[code] == TState::Done) return;
    m_state[code] = TState::OnPath;
    m_pathLeftEdges[code] = leftEdges;
    if (m_table.left[code] == code) {
      m_length[code] = 1;
      m_stack[code] = 0;
    } else {
      const uint8_t l = m_table.left[code];
      const uint8_t r = m_table.right[code];
      const uint64_t leftStack = Child(l, leftEdges + 1);
      const uint64_t rightStack = Child(r, leftEdges);
      const bool endless = m_endless[l] || m_endless[r];
      m_endless[code] = endless;
      m_length[code] = endless ? kEndless : Add(m_length[l], m_length[r]);
      // Push right and left (2), pop left and expand it over right (1 +),
      // then pop right and expand it on an empty stack.
      const uint64_t pushed = 2;
      m_stack[code] = std::max({pushed, Add(leftStack, 1), rightStack});
    }
    m_state[code] = TState::Done;
  }
  // The stack a child needs; a child on the path is a cycle.
  uint64_t Child(uint8_t child, int leftEdges) {
    if (m_state[child] == TState::OnPath) {
      m_endless[child] = true;
      return leftEdges > m_pathLeftEdges[child] ? kEndless : 0;
    }
    Visit(child, leftEdges);
    return m_stack[child];
  }

  const TPairTable& m_table;
  TState m_state[kCodes] = {};
  bool m_endless[kCodes] = {};
  int m_pathLeftEdges[kCodes] = {};
  uint64_t m_length[kCodes] = {};
  uint64_t m_stack[kCodes] = {};
};

// The exact length of the whole expansion, checked before anything is
// allocated: refused when it would overrun the expansion stack or exceed
// the largest entry (a few hundred packed bytes can describe more than any
// memory holds).
uint64_t ExpandedLength(TMemoryStream& Packed) {
  uint64_t total = 0;
  TPairTable table;
  while (Packed.Position() < Packed.Size()) {
    const uint32_t length = ReadBlockHeader(Packed, table);
    TCodeSizes sizes(table);
    const uint8_t* bytes = Packed.Memory() + Packed.Position();
    for (uint32_t i = 0; i < length; ++i) {
      if (sizes.Stack(bytes[i]) > kStackBytes) FailCorrupt("pair expansion deeper than 256 bytes");
      const uint64_t codeLength = sizes.Length(bytes[i]);
      if (codeLength > static_cast<uint64_t>(kVHAMaxEntryBytes) - total) {
        FailCorrupt("expansion larger than the largest entry");
      }
      total += codeLength;
    }
    Packed.Seek(length, TSeekOrigin::Current);
  }
  Packed.SetPosition(0);
  return total;
}

}  // namespace

std::unique_ptr<TMemoryStream> ExpandBytePairs(TMemoryStream& Packed, uint32_t ExpandedSize) {
  if (ExpandedSize > kVHAMaxEntryBytes) FailCorrupt("expanded size too large");
  const int64_t start = Packed.Position();
  const uint64_t expandedLength = ExpandedLength(Packed);
  Packed.SetPosition(start);
  // The preallocation is the expanded size, as far as the data can fill it
  // (plus a bounded tail of zeros); the output grows past it when the data
  // expands to more, up to what the data expands to.
  const uint64_t preallocation =
      std::min<uint64_t>(ExpandedSize, expandedLength + static_cast<uint64_t>(kVHAMaxZeroTailBytes));
  auto out = std::make_unique<TMemoryStream>();
  out->SetSize(static_cast<int64_t>(std::max(preallocation, expandedLength)));
  uint8_t* dest = out->Memory();
  uint64_t written = 0;
  TPairTable table;
  uint8_t stack[kStackBytes];
  while (Packed.Position() < Packed.Size()) {
    uint32_t length = ReadBlockHeader(Packed, table);
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
      if (table.left[b] == b) {
        // Measured above; checked again so that no write can pass the end.
        if (written >= expandedLength) FailCorrupt("expansion longer than measured");
        dest[written++] = b;
      } else {
        if (sp + 2 > kStackBytes) FailCorrupt("pair expansion deeper than 256 bytes");
        stack[sp++] = table.right[b];
        stack[sp++] = table.left[b];
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
