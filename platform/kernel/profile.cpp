// Settings files with the Windows private-profile semantics.
//
// Index:
//   1. Line model: splitting a file into lines and classifying each line
//   2. Name matching: CP932-aware, ASCII-case-blind comparison
//   3. Lookup: the first section of a name, its keys, where a new key goes
//   4. File access: whole-file read, atomic replace, per-file write locks
//   5. GetPrivateProfileStringA / WritePrivateProfileStringA
//   6. TIniFile
//
// Every call reads the file afresh; nothing is cached, so a write by another
// program is seen at the next read. Writes edit the file's text line by line:
// lines that are not changed keep their bytes and their line ends.
#include "platform/kernel/profile.h"

#include "platform/kernel/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// 1. Line model

constexpr std::string_view kNewLine = "\r\n";  // what this system writes
constexpr char kSectionOpen = '[';
constexpr char kSectionClose = ']';
constexpr char kComment = ';';
constexpr char kAssign = '=';

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

struct IniLine {
  std::string_view text;    // the line without its end
  std::string_view ending;  // "\r\n", "\n", or "" for a last line without one
};

// Splits at LF; a CR right before the LF belongs to the line end.
std::vector<IniLine> SplitLines(std::string_view content) {
  std::vector<IniLine> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    const size_t lf = content.find('\n', pos);
    if (lf == std::string_view::npos) {
      lines.push_back({content.substr(pos), {}});
      break;
    }
    size_t textEnd = lf;
    if (textEnd > pos && content[textEnd - 1] == '\r') --textEnd;
    lines.push_back({content.substr(pos, textEnd - pos), content.substr(textEnd, lf + 1 - textEnd)});
    pos = lf + 1;
  }
  return lines;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // trimmed; only for keys with '='
  bool hasValue = false;   // a key line without '=' names a key but gives no value
};

// Blank lines and lines whose first non-blank byte is ';' are Other. A line
// opening with '[' is a section header when it has a ']' (the last one
// closes the name); otherwise it is read as a key line, as Windows does.
ParsedLine ParseLine(std::string_view text) {
  ParsedLine parsed;
  const std::string_view line = Trim(text);
  if (line.empty() || line.front() == kComment) return parsed;
  if (line.front() == kSectionOpen) {
    const size_t close = line.rfind(kSectionClose);
    if (close != std::string_view::npos) {
      parsed.kind = LineKind::Section;
      parsed.name = Trim(line.substr(1, close - 1));
      return parsed;
    }
  }
  parsed.kind = LineKind::Key;
  const size_t assign = line.find(kAssign);
  if (assign == std::string_view::npos) {
    parsed.name = line;
    return parsed;
  }
  parsed.name = TrimRight(line.substr(0, assign));
  parsed.value = TrimLeft(line.substr(assign + 1));
  parsed.hasValue = true;
  return parsed;
}

// Windows strips one pair of matching quotes (double or single) around a value.
std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// ---------------------------------------------------------------------------
// 2. Name matching

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

unsigned char FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c; }

// ASCII letters match without regard to case. The trail byte of a
// double-byte character is compared exactly: "ア" (83 41) and "ヂ" (83 61)
// differ although 41 and 61 are 'A' and 'a'.
bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  size_t i = 0;
  while (i < a.size()) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (IsCp932LeadByte(ca) && i + 1 < a.size()) {
      if (ca != cb || a[i + 1] != b[i + 1]) return false;
      i += 2;
      continue;
    }
    if (FoldAscii(ca) != FoldAscii(cb)) return false;
    ++i;
  }
  return true;
}

// ---------------------------------------------------------------------------
// 3. Lookup

struct Location {
  std::optional<size_t> section;  // header line of the first section of that name
  size_t sectionEnd = 0;          // one past its last line
  size_t lastContent = 0;         // its last non-blank line (the header when it has none)
  std::optional<size_t> key;      // the first line naming the key in it
};

// Only the first section of a name counts, as with Windows; keys before any
// section header belong to no section and are never found.
Location Locate(const std::vector<IniLine>& lines, std::string_view section, std::optional<std::string_view> key) {
  Location loc;
  for (size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine parsed = ParseLine(lines[i].text);
    if (parsed.kind == LineKind::Section) {
      if (loc.section) {
        loc.sectionEnd = i;
        return loc;
      }
      if (NamesMatch(parsed.name, section)) {
        loc.section = i;
        loc.lastContent = i;
      }
      continue;
    }
    if (!loc.section) continue;
    if (!Trim(lines[i].text).empty()) loc.lastContent = i;
    if (key && !loc.key && parsed.kind == LineKind::Key && NamesMatch(parsed.name, *key)) loc.key = i;
  }
  loc.sectionEnd = lines.size();
  return loc;
}

// ---------------------------------------------------------------------------
// 4. File access

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  // A pipe, device or folder in the settings file's place is refused at once.
  const TOpenedFile file = OpenRegularFile(path);
  if (file.fd < 0) return file.refusal == TFileRefusal::Missing ? ReadResult::Missing : ReadResult::Failed;
  const int fd = file.fd;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return ReadResult::Failed;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return ReadResult::Ok;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The file that a write replaces: a symbolic link is followed so that the
// link itself stays in place.
std::filesystem::path WriteTarget(const std::string& fileName) {
  std::error_code ec;
  std::filesystem::path path(fileName);
  if (std::filesystem::is_symlink(path, ec)) {
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    if (!ec) return target;
  }
  return path;
}

// Writes content to a new file beside the target, puts it on disk and
// renames it over the target: readers see the old or the new file, never a
// part of one, and a failure leaves the old file untouched.
bool ReplaceFile(const std::filesystem::path& target, std::string_view content) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  const std::string base = target.filename().string();

  struct stat oldStat {};
  const bool hadFile = ::stat(target.c_str(), &oldStat) == 0;
  // A read-only settings file stays as it is, as on Windows, although the
  // folder would let a rename replace it.
  if (hadFile && ::access(target.c_str(), W_OK) != 0) return false;

  std::string tempName;
  int fd = -1;
  constexpr int kTempAttempts = 16;
  for (int attempt = 0; attempt < kTempAttempts && fd < 0; ++attempt) {
    tempName = (dir / ("." + base + ".tmp" + std::to_string(::getpid()) + "_" +
                       std::to_string(counter.fetch_add(1, std::memory_order_relaxed))))
                   .string();
    // 0666 before the umask, as any new file of the process.
    fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = WriteAll(fd, content);
  if (ok && hadFile) ok = ::fchmod(fd, oldStat.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tempName.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tempName.c_str());
    return false;
  }
  // The rename itself is on disk only when the folder is.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

// One mutex per file (by absolute path) so that the timer thread's play
// count and the main thread's options never interleave their
// read-modify-write. Entries live for the process: a game has few files.
std::mutex& FileLock(const std::filesystem::path& target) {
  static std::mutex mapLock;
  static std::map<std::string, std::unique_ptr<std::mutex>> locks;
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(target, ec);
  const std::string key = (ec ? target : absolute).lexically_normal().string();
  std::lock_guard<std::mutex> guard(mapLock);
  auto& slot = locks[key];
  if (!slot) slot = std::make_unique<std::mutex>();
  return *slot;
}

// ---------------------------------------------------------------------------
// 5. The two functions

// Copies a list of names, each followed by a zero, plus a final zero. When it
// does not fit, the list is cut and still ends in two zeros; the result is
// then size - 2, as with Windows.
DWORD CopyNameList(const std::vector<std::string_view>& names, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  std::string list;
  for (std::string_view name : names) {
    list.append(name);
    list.push_back('\0');
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

DWORD CopyValue(std::string_view value, LPSTR buffer, DWORD size) {
  // The caller sees a C string: a zero byte in the file ends the value.
  const size_t zero = value.find('\0');
  if (zero != std::string_view::npos) value = value.substr(0, zero);
  const size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Names and values that would change the file's structure when written: a
// line break would start a new line (a value could forge keys), '=' in a key
// or ']' in a section would be read back as a different name, and a key
// opening with ';' or '[' would read back as a comment or a section.
bool SafeToWrite(std::string_view section, const char* key, const char* value) {
  if (HasLineBreak(section) || section.find(kSectionClose) != std::string_view::npos) return false;
  if (key) {
    const std::string_view k = Trim(key);
    if (HasLineBreak(k) || k.find(kAssign) != std::string_view::npos) return false;
    if (!k.empty() && (k.front() == kComment || k.front() == kSectionOpen)) return false;
  }
  if (value && HasLineBreak(value)) return false;
  return true;
}

std::string Join(const std::vector<IniLine>& lines, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) {
    out.append(lines[i].text);
    out.append(lines[i].ending);
  }
  return out;
}

// The file's new content, or nothing when the file needs no change.
std::optional<std::string> EditContent(const std::string& content, std::string_view section, const char* key,
                                       const char* value) {
  const std::vector<IniLine> lines = SplitLines(content);
  const Location loc = Locate(lines, section, key ? std::optional<std::string_view>(Trim(key)) : std::nullopt);

  if (!key) {  // delete the section
    if (!loc.section) return std::nullopt;
    return Join(lines, 0, *loc.section) + Join(lines, loc.sectionEnd, lines.size());
  }
  if (!value) {  // delete the key
    if (!loc.key) return std::nullopt;
    return Join(lines, 0, *loc.key) + Join(lines, *loc.key + 1, lines.size());
  }

  const std::string_view newValue = TrimLeft(value);
  if (loc.key) {
    const ParsedLine old = ParseLine(lines[*loc.key].text);
    if (old.hasValue && lines[*loc.key].text == std::string(old.name) + "=" + std::string(newValue)) {
      return std::nullopt;
    }
    std::string out = Join(lines, 0, *loc.key);
    out.append(old.name);  // the name keeps its spelling in the file
    out.push_back(kAssign);
    out.append(newValue);
    out.append(lines[*loc.key].ending);
    out += Join(lines, *loc.key + 1, lines.size());
    return out;
  }

  const std::string keyLine = std::string(Trim(key)) + "=" + std::string(newValue) + std::string(kNewLine);
  if (loc.section) {
    const size_t after = loc.lastContent;
    std::string out = Join(lines, 0, after + 1);
    if (lines[after].ending.empty()) out.append(kNewLine);
    out += keyLine;
    out += Join(lines, after + 1, lines.size());
    return out;
  }
  std::string out = content;
  if (!out.empty() && out.back() != '\n') out.append(kNewLine);
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // a chain of temporary concatenations here.
  out += '[';
  out += section;
  out += ']';
  out += kNewLine;
  out += keyLine;
  return out;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                               DWORD size, LPCSTR fileName) {
  if (!returnedString || size == 0) return 0;
  std::string content;
  const bool haveFile = fileName && ReadWholeFile(fileName, content) == ReadResult::Ok;
  const std::vector<IniLine> lines = haveFile ? SplitLines(content) : std::vector<IniLine>{};

  if (!appName) {
    std::vector<std::string_view> sections;
    for (const IniLine& line : lines) {
      const ParsedLine parsed = ParseLine(line.text);
      if (parsed.kind == LineKind::Section) sections.push_back(parsed.name);
    }
    return CopyNameList(sections, returnedString, size);
  }
  const std::string_view section = Trim(appName);
  if (!keyName) {
    const Location loc = Locate(lines, section, std::nullopt);
    std::vector<std::string_view> keys;
    if (loc.section) {
      for (size_t i = *loc.section + 1; i < loc.sectionEnd; ++i) {
        const ParsedLine parsed = ParseLine(lines[i].text);
        if (parsed.kind == LineKind::Key) keys.push_back(parsed.name);
      }
    }
    return CopyNameList(keys, returnedString, size);
  }

  const Location loc = Locate(lines, section, Trim(keyName));
  if (loc.key) {
    const ParsedLine parsed = ParseLine(lines[*loc.key].text);
    if (parsed.hasValue) return CopyValue(StripQuotes(parsed.value), returnedString, size);
  }
  // Windows drops the default's trailing blanks.
  return CopyValue(TrimRight(defaultValue ? defaultValue : ""), returnedString, size);
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  if (!fileName || !*fileName) return FALSE;
  if (!appName) {
    // All three null asks Windows to flush its cache; every write here is
    // already on disk.
    return (!keyName && !value) ? TRUE : FALSE;
  }
  const std::string_view section = Trim(appName);
  if (!SafeToWrite(section, keyName, value)) return FALSE;

  const std::filesystem::path target = WriteTarget(fileName);
  std::lock_guard<std::mutex> guard(FileLock(target));
  std::string content;
  // A file that exists but cannot be read is not replaced: its content would be lost.
  if (ReadWholeFile(target.string(), content) == ReadResult::Failed) return FALSE;
  const std::optional<std::string> edited = EditContent(content, section, keyName, value);
  if (!edited) return TRUE;
  return ReplaceFile(target, *edited) ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// 6. TIniFile

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The class library's integer reading: an optional sign, then decimal
// digits, or hexadecimal digits after "$" or "0x". Decimal must fit a 32-bit
// signed integer; hexadecimal may use all 32 bits ("$FFFFFFFF" is -1).
std::optional<int> ParseInteger(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  for (char c : s) {
    const int digit = DigitValue(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  auto bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<int>(bits);
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : m_fileName(std::move(fileName)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  // Grow the buffer until the whole value fits: a full buffer may mean a cut.
  constexpr DWORD kFirstBufferSize = 256;
  std::vector<char> buffer(kFirstBufferSize);
  for (;;) {
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), m_fileName.c_str());
    if (n + 1 < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  return ParseInteger(ReadString(section, key, "")).value_or(def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), m_fileName.c_str()) != FALSE;
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}
