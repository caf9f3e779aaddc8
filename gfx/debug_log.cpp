#include "gfx/debug_log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <unordered_map>

#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"

bool HaltOnErrorSwitch = true;
bool DebugMessageSwitch = true;
bool DetailedLogSwitch = true;
int32_t LogIndent = 0;
int32_t LogLineCount = 0;

namespace {

constexpr const char* kLogFileName = "Vextral_DebugLog.txt";
constexpr int32_t kHaltExitStatus = 0;
constexpr uint32_t kD3DErrorBase = 0x88760000u;

std::string& LogFolderOverride() {
  static std::string folder;
  return folder;
}

struct TNamedCode {
  unsigned number;
  const char* name;
};

// The Direct3D 9 errors by their number in the Direct3D facility.
constexpr TNamedCode kErrorNames[] = {
    {380, "D3DERR_OUTOFVIDEOMEMORY"},
    {2072, "D3DERR_WRONGTEXTUREFORMAT"},
    {2073, "D3DERR_UNSUPPORTEDCOLOROPERATION "},
    {2074, "D3DERR_UNSUPPORTEDCOLORARG "},
    {2075, "D3DERR_UNSUPPORTEDALPHAOPERATION "},
    {2076, "D3DERR_UNSUPPORTEDALPHAARG "},
    {2077, "D3DERR_TOOMANYOPERATIONS "},
    {2078, "D3DERR_CONFLICTINGTEXTUREFILTER"},
    {2079, "D3DERR_UNSUPPORTEDFACTORVALUE"},
    {2081, "D3DERR_CONFLICTINGRENDERSTATE"},
    {2082, "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
    {2086, "D3DERR_CONFLICTINGTEXTUREPALETTE "},
    {2087, "D3DERR_DRIVERINTERNALERROR "},
    {2150, "D3DERR_NOTFOUND"},
    {2151, "D3DERR_MOREDATA"},
    {2152, "D3DERR_DEVICELOST"},
    {2153, "D3DERR_DEVICENOTRESET"},
    {2154, "D3DERR_NOTAVAILABLE"},
    {2155, "D3DERR_INVALIDDEVICE "},
    {2156, "D3DERR_INVALIDCALL "},
    {2157, "D3DERR_DRIVERINVALIDCALL "},
};

constexpr DWORD FourCC(const char (&s)[5]) {
  return DWORD(BYTE(s[0])) | (DWORD(BYTE(s[1])) << 8) | (DWORD(BYTE(s[2])) << 16) | (DWORD(BYTE(s[3])) << 24);
}

struct TFormatInfo {
  DWORD code;
  const char* name;
  UINT bits;
};

constexpr TFormatInfo kFormats[] = {
    {20, "R8G8B8", 24},        {21, "A8R8G8B8", 32},      {22, "X8R8G8B8", 32},   {23, "R5G6B5", 16},
    {24, "X1R5G5B5", 16},      {25, "A1R5G5B5", 16},      {26, "A4R4G4B4", 16},   {27, "R3G3B2", 8},
    {28, "A8", 8},             {29, "A8R3G3B2", 16},      {30, "X4R4G4B4", 16},   {40, "A8P8", 16},
    {41, "P8", 8},             {50, "L8", 8},             {51, "A8L8", 16},       {52, "A4L4", 8},
    {60, "V8U8", 16},          {61, "L6V5U5", 16},        {62, "X8L8V8U8", 32},   {63, "Q8W8V8U8", 32},
    {64, "V16U16", 32},        {70, "D16_LOCKABLE", 16},  {71, "D32", 32},        {73, "D15S1", 16},
    {75, "D24S8", 32},         {77, "D24X8", 32},         {79, "D24X4S4", 32},    {80, "D16", 16},
    {100, "VERTEXDATA", 0},    {101, "INDEX16", 0},       {102, "INDEX32", 0},    {FourCC("DXT1"), "DXT1", 0},
    {FourCC("DXT2"), "DXT2", 0}, {FourCC("DXT3"), "DXT3", 0}, {FourCC("DXT4"), "DXT4", 0},
    {FourCC("DXT5"), "DXT5", 0}, {FourCC("YUY2"), "YUY2", 0}, {FourCC("UYVY"), "UYVY", 0},
};

const TFormatInfo* FindFormat(DWORD code) {
  for (const TFormatInfo& f : kFormats) {
    if (f.code == code) return &f;
  }
  return nullptr;
}

}  // namespace

void SetDebugLogDirectory(const std::string& folder) {
  std::string f = folder;
  if (!f.empty() && f.back() != '/') f += '/';
  LogFolderOverride() = f;
}

std::string DebugLogPath() {
  const std::string& folder = LogFolderOverride();
  return (folder.empty() ? ExecutableDir() : folder) + kLogFileName;
}

void DebugLog(const std::string& text) {
  if (!DebugMessageSwitch) return;
  const std::string path = DebugLogPath();
  // The first line of a run starts a new file; every line is closed at once
  // so that it is on disk even when the process ends right after.
  FILE* file = std::fopen(path.c_str(), LogLineCount == 0 ? "wb" : "ab");
  if (file == nullptr) throw std::system_error(errno, std::generic_category(), "cannot open the debug log " + path);
  ++LogLineCount;
  std::string line = FormatText("#%.5d | ", LogLineCount);
  if (LogIndent > 0) line.append(static_cast<size_t>(LogIndent) * 2, ' ');
  line += text;
  line += "\r\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) throw std::system_error(EIO, std::generic_category(), "cannot write the debug log " + path);
}

void DetailLog(const std::string& text) {
  if (DetailedLogSwitch) DebugLog(text);
}

int32_t CheckResult(int32_t code, const std::string& message) {
  if (code == 0) return 0;
  DebugLog(message + FormatText("(Error Code = %s)", ErrorCodeName(code).c_str()));
  if (HaltOnErrorSwitch) std::exit(kHaltExitStatus);
  return code;
}

std::string ErrorCodeName(int32_t code) {
  if (code == 0) return "D3D_OK";
  const auto value = static_cast<uint32_t>(code);
  for (const TNamedCode& e : kErrorNames) {
    if (value == kD3DErrorBase + e.number) return e.name;
  }
  return FormatText("UNKNOWN ERROR ... $%.8X", value);
}

std::string FormatName(DWORD format) {
  const TFormatInfo* f = FindFormat(format);
  return f != nullptr ? f->name : "UNKNOWN";
}

UINT FormatBitCount(DWORD format) {
  const TFormatInfo* f = FindFormat(format);
  return f != nullptr ? f->bits : 0;
}

const std::string& Sjis(const char* utf8Literal) {
  static std::unordered_map<const char*, std::string> cache;
  auto it = cache.find(utf8Literal);
  if (it == cache.end()) it = cache.emplace(utf8Literal, Utf8ToCp932(utf8Literal)).first;
  return it->second;
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}
