#include "platform/kernel/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>

namespace {

// iconv descriptors are not thread-safe; each conversion opens its own.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (ok()) iconv_close(m_cd);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

// Length of the CP932 character starting at byte c (1 or 2).
size_t Cp932CharLength(unsigned char c) {
  return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
}

void AppendEscaped(std::string& out, unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", c);
  out += buf;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() * 3 / 2 + 4);
  IconvHandle cd("UTF-8", "CP932");
  if (!cd.ok()) {
    for (unsigned char c : cp932) {
      if (c < 0x80) out += static_cast<char>(c); else AppendEscaped(out, c);
    }
    return out;
  }
  // Convert character by character so that one bad byte costs only itself.
  size_t i = 0;
  while (i < cp932.size()) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t len = Cp932CharLength(c);
    if (i + len > cp932.size()) len = 1;
    char in[2] = {cp932[i], len > 1 ? cp932[i + 1] : '\0'};
    char buf[16];
    char* inPtr = in;
    size_t inLeft = len;
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
      AppendEscaped(out, c);
      ++i;
      continue;
    }
    out.append(buf, static_cast<size_t>(outPtr - buf));
    i += len;
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  std::string out;
  IconvHandle cd("CP932", "UTF-8");
  if (!cd.ok()) return std::string(utf8);
  std::string input(utf8);
  char* inPtr = input.data();
  size_t inLeft = input.size();
  while (inLeft > 0) {
    char buf[256];
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    const size_t r = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<size_t>(outPtr - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Unconvertible or broken input: skip one whole UTF-8 character.
      out += '?';
      size_t skip = 1;
      while (skip < inLeft && (static_cast<unsigned char>(inPtr[skip]) & 0xC0) == 0x80) ++skip;
      inPtr += skip;
      inLeft -= skip;
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

char32_t Cp932CodeToUnicode(unsigned code) {
  char in[2];
  size_t inLen;
  if (code < 0x100) {
    in[0] = static_cast<char>(code);
    inLen = 1;
  } else {
    in[0] = static_cast<char>(code >> 8);
    in[1] = static_cast<char>(code & 0xFF);
    inLen = 2;
  }
  IconvHandle cd("UTF-32LE", "CP932");
  if (!cd.ok()) return code < 0x80 ? static_cast<char32_t>(code) : 0;
  unsigned char outBuf[8] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(outBuf);
  size_t outLeft = sizeof outBuf;
  if (iconv(cd.get(), &inPtr, &inLen, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLen != 0 ||
      outLeft != sizeof outBuf - 4) {
    return 0;
  }
  return static_cast<char32_t>(outBuf[0] | (outBuf[1] << 8) | (outBuf[2] << 16) |
                               (static_cast<std::uint32_t>(outBuf[3]) << 24));
}
