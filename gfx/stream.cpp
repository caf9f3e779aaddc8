#include "gfx/stream.h"

#include "platform/kernel/regular_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || (count > 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || (count > 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

int64_t TStream::Remaining() {
  const int64_t left = Size() - Position();
  return left > 0 ? left : 0;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || m_position >= Size()) return 0;
  const int64_t n = std::min(count, Size() - m_position);
  std::memcpy(buffer, m_bytes.data() + m_position, static_cast<size_t>(n));
  m_position += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (m_position + count > Size()) m_bytes.resize(static_cast<size_t>(m_position + count));
  std::memcpy(m_bytes.data() + m_position, buffer, static_cast<size_t>(count));
  m_position += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::Beginning ? 0 : (origin == TSeekOrigin::Current ? m_position : Size());
  m_position = std::max<int64_t>(0, base + offset);
  return m_position;
}

void TMemoryStream::SetSize(int64_t size) { m_bytes.resize(static_cast<size_t>(std::max<int64_t>(0, size))); }

TFileStream::TFileStream(const std::string& fileName, TMode mode) : m_fileName(fileName) {
  if (mode == TMode::OpenRead) {
    TOpenedFile file = OpenRegularFile(fileName);
    if (file.fd >= 0) m_file = ::fdopen(file.fd, "rb");
    if (m_file == nullptr) {
      if (file.fd >= 0) {
        file.reason = std::strerror(errno);
        ::close(file.fd);
      }
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + file.reason);
    }
    return;
  }
  m_file = std::fopen(fileName.c_str(), "w+b");
  if (m_file == nullptr) {
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  }
}

TFileStream::~TFileStream() {
  if (m_file != nullptr) std::fclose(m_file);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (std::fseek(m_file, static_cast<long>(m_position), SEEK_SET) != 0) return 0;
  const size_t n = std::fread(buffer, 1, static_cast<size_t>(count), m_file);
  m_position += static_cast<int64_t>(n);
  return static_cast<int64_t>(n);
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (std::fseek(m_file, static_cast<long>(m_position), SEEK_SET) != 0) return 0;
  const size_t n = std::fwrite(buffer, 1, static_cast<size_t>(count), m_file);
  m_position += static_cast<int64_t>(n);
  return static_cast<int64_t>(n);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::Beginning ? 0 : (origin == TSeekOrigin::Current ? m_position : Size());
  m_position = std::max<int64_t>(0, base + offset);
  return m_position;
}

int64_t TFileStream::Size() {
  struct stat st {};
  std::fflush(m_file);
  if (fstat(fileno(m_file), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}
