// Opening outside files for reading: only regular files are accepted, so a
// named pipe, a device or a folder given as a song, picture, archive, voice
// or settings file is refused at once instead of blocking or misreporting.
// Any thread; the caller owns the returned descriptor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Why a file could not be opened or read.
enum class TFileRefusal { None, Missing, NotRegular, TooLarge, Failed };

struct TOpenedFile {
  int fd = -1;  // open for reading, blocking, close-on-exec; -1 when refused
  TFileRefusal refusal = TFileRefusal::None;
  std::string reason;  // English, e.g. "it is a directory, not a file"
};

// Opens path read-only without waiting for a writer (a FIFO) or a device,
// then keeps it only when it is a regular file.
TOpenedFile OpenRegularFile(const std::string& path);

struct TFileContents {
  std::vector<uint8_t> bytes;
  TFileRefusal refusal = TFileRefusal::None;
  std::string reason;
  bool Ok() const { return refusal == TFileRefusal::None; }
};

// The whole regular file at path, refused (nothing read) when it holds more
// than maxBytes.
TFileContents ReadRegularFile(const std::string& path, int64_t maxBytes);
