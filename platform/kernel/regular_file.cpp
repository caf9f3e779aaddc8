#include "platform/kernel/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A read of a regular file returns at most this many bytes at a time.
constexpr size_t kReadChunkBytes = 1 << 16;

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a named pipe, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  return "it is not a regular file";
}

TOpenedFile Refused(TFileRefusal refusal, std::string reason) {
  TOpenedFile file;
  file.refusal = refusal;
  file.reason = std::move(reason);
  return file;
}

}  // namespace

TOpenedFile OpenRegularFile(const std::string& path) {
  // O_NONBLOCK: opening a FIFO without a writer, or some devices, would
  // otherwise wait for ever before fstat could tell what it is.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    return Refused(error == ENOENT ? TFileRefusal::Missing : TFileRefusal::Failed,
                   error == ENOENT ? "the file does not exist" : std::strerror(error));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return Refused(TFileRefusal::Failed, std::strerror(error));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return Refused(TFileRefusal::NotRegular, KindOf(st.st_mode));
  }
  // Back to blocking reads, which a regular file never needs to wait for but
  // stdio and libsndfile expect.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  TOpenedFile file;
  file.fd = fd;
  return file;
}

TFileContents ReadRegularFile(const std::string& path, int64_t maxBytes) {
  TFileContents contents;
  TOpenedFile file = OpenRegularFile(path);
  if (file.fd < 0) {
    contents.refusal = file.refusal;
    contents.reason = std::move(file.reason);
    return contents;
  }
  struct stat st {};
  if (::fstat(file.fd, &st) == 0 && st.st_size > maxBytes) {
    ::close(file.fd);
    contents.refusal = TFileRefusal::TooLarge;
    contents.reason = "the file is too large (" + std::to_string(st.st_size) + " bytes)";
    return contents;
  }
  // The size is only a hint (the file may change while read): the loop reads
  // to the end and still stops above maxBytes.
  contents.bytes.reserve(static_cast<size_t>(st.st_size));
  std::vector<uint8_t> chunk(kReadChunkBytes);
  for (;;) {
    const ssize_t n = ::read(file.fd, chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(file.fd);
      contents.bytes.clear();
      contents.refusal = TFileRefusal::Failed;
      contents.reason = std::string("cannot read the file: ") + std::strerror(error);
      return contents;
    }
    if (n == 0) break;
    contents.bytes.insert(contents.bytes.end(), chunk.begin(), chunk.begin() + n);
    if (static_cast<int64_t>(contents.bytes.size()) > maxBytes) {
      ::close(file.fd);
      contents.bytes.clear();
      contents.refusal = TFileRefusal::TooLarge;
      contents.reason = "the file is too large (more than " + std::to_string(maxBytes) + " bytes)";
      return contents;
    }
  }
  ::close(file.fd);
  return contents;
}
