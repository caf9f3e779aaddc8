// Byte streams for the graphics side's readers and writers: memory and file
// streams with read, write, seek, position and size, in the shape of the
// class library the bitmap and archive code is written against. ReadBuffer
// raises EReadError when the stream holds fewer bytes than asked for. One
// thread at a time per stream; a stream owns its memory or file handle.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// A read that cannot deliver every byte asked for.
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// A file that cannot be opened (missing, locked, a folder, ...).
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position (which may pass the end); returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }
  // Reads exactly count bytes or raises EReadError.
  void ReadBuffer(void* buffer, int64_t count);
  // Writes exactly count bytes or raises EWriteError.
  void WriteBuffer(const void* buffer, int64_t count);
  // Bytes between the position and the end (0 when past the end).
  int64_t Remaining();
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(m_bytes.size()); }
  // Resizes (new bytes are zero); the position stays.
  void SetSize(int64_t size);
  uint8_t* Memory() { return m_bytes.data(); }
  const std::vector<uint8_t>& Bytes() const { return m_bytes; }

 private:
  std::vector<uint8_t> m_bytes;
  int64_t m_position = 0;
};

class TFileStream : public TStream {
 public:
  enum class TMode { OpenRead, Create };
  // Raises EFOpenError naming the file when it cannot be opened.
  TFileStream(const std::string& fileName, TMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  const std::string& FileName() const { return m_fileName; }

 private:
  std::string m_fileName;
  std::FILE* m_file = nullptr;
  int64_t m_position = 0;
};
