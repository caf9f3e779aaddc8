// Feeds arbitrary bytes as a settings file to the private-profile reader and
// writer. Besides the sanitizers, it checks that a write changes nothing but
// its own key: every value readable before a write reads the same after it,
// and a written value reads back as written. The file lives in /dev/shm so
// that the writer's fsync costs little.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/profile.h"

namespace {

constexpr DWORD kListBufferSize = 1 << 16;
constexpr const char* kWrittenKey = "FuzzKey";
constexpr const char* kWrittenValue = "written value";

std::string FilePath() {
  static const std::string path = [] {
    std::string dir = "/dev/shm/pluv_fuzz_ini_" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    return dir + "/fuzz.ini";
  }();
  return path;
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_ini: %s\n", what);
    std::abort();
  }
}

std::vector<std::string> SplitList(const std::vector<char>& buffer, DWORD n) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t i = 0; i < n; ++i) {
    if (buffer[i] == '\0') {
      names.emplace_back(buffer.data() + start, i - start);
      start = i + 1;
    }
  }
  return names;
}

// One buffer for every read: clearing 64 KiB per call was most of an
// execution. Only the n bytes a call reports are ever looked at.
std::vector<char>& Buffer() {
  static std::vector<char> buffer(kListBufferSize);
  return buffer;
}

std::vector<std::string> List(const char* section, const std::string& file) {
  std::vector<char>& buffer = Buffer();
  const DWORD n = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), kListBufferSize, file.c_str());
  Check(n < kListBufferSize, "list longer than its buffer");
  return SplitList(buffer, n);
}

std::string Read(const std::string& section, const std::string& key, const std::string& file) {
  std::vector<char>& buffer = Buffer();
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01missing", buffer.data(), kListBufferSize,
                                           file.c_str());
  Check(n < kListBufferSize, "value longer than its buffer");
  return std::string(buffer.data(), n);
}

std::string FileBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when a listed key name addresses the written key. The reader trims
// blanks around the name asked for, so a listed name that still carries a
// blank (one cut short by a NUL byte in the file: "FUZZKEY\r\0...") finds
// the written key too.
bool IsWrittenKey(std::string key) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; };
  while (!key.empty() && blank(key.front())) key.erase(key.begin());
  while (!key.empty() && blank(key.back())) key.pop_back();
  const std::string target = kWrittenKey;
  if (key.size() != target.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(key[i])) != std::tolower(static_cast<unsigned char>(target[i]))) {
      return false;
    }
  }
  return true;
}

// Every read parses the whole file, so visiting each of a file's sections
// and keys made an execution quadratic in its lines: inputs of a hundred
// short lines cost fifty times the rest and held the campaign at a few
// hundred executions a second. The sections listed and the keys checked are
// a few, spread evenly over the file.
constexpr size_t kVisited = 16;

template <typename T>
std::vector<T> Sample(std::vector<T> items) {
  if (items.size() <= kVisited) return items;
  std::vector<T> sample;
  for (size_t i = 0; i < kVisited; ++i) sample.push_back(std::move(items[i * (items.size() - 1) / (kVisited - 1)]));
  return sample;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = FilePath();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // Small buffers exercise the cutting of values and lists.
  char tiny[3];
  for (DWORD bufferSize = 0; bufferSize <= sizeof tiny; ++bufferSize) {
    GetPrivateProfileStringA(nullptr, nullptr, "", tiny, bufferSize, file.c_str());
  }

  std::vector<std::pair<std::string, std::string>> pairs;
  const std::vector<std::string> sections = List(nullptr, file);
  for (const std::string& section : Sample(sections)) {
    GetPrivateProfileStringA(section.c_str(), nullptr, "", tiny, sizeof tiny, file.c_str());
    for (const std::string& key : List(section.c_str(), file)) {
      if (!IsWrittenKey(key)) pairs.emplace_back(section, key);
    }
  }
  pairs = Sample(std::move(pairs));
  for (const auto& [section, key] : pairs) {
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "d", tiny, sizeof tiny, file.c_str());
  }
  std::vector<std::string> before;
  for (const auto& [section, key] : pairs) before.push_back(Read(section, key, file));

  const std::string section = sections.empty() ? std::string("Fuzz") : sections[size % sections.size()];
  const BOOL written = WritePrivateProfileStringA(section.c_str(), kWrittenKey, kWrittenValue, file.c_str());
  if (written) {
    Check(Read(section, kWrittenKey, file) == kWrittenValue, "written value does not read back");
    for (size_t i = 0; i < pairs.size(); ++i) {
      Check(Read(pairs[i].first, pairs[i].second, file) == before[i], "a write changed another value");
    }
  } else {
    Check(FileBytes(file) == bytes, "a refused write changed the file");
  }

  // The input's own bytes as a value: refused or stored, never a crash.
  WritePrivateProfileStringA(section.c_str(), "raw", bytes.c_str(), file.c_str());
  // Deleting the key and the section.
  WritePrivateProfileStringA(section.c_str(), kWrittenKey, nullptr, file.c_str());
  WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
  return 0;
}
