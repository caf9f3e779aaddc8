#include "records/presence_locks.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The lock bytes of SQLite's unix file layer: the database's shared range
// lies just past the pending and reserved bytes at 1 GiB; the index's
// dead-man switch follows its eight WAL locks at byte 120.
constexpr off_t kPendingByte = 0x40000000;
constexpr off_t kSharedFirst = kPendingByte + 2;
constexpr off_t kSharedSize = 510;
constexpr off_t kIndexDeadManSwitch = 128;

// A read lock on [start, start + length) through a new description of the
// file; the descriptor, or -1 with the reason in why.
int LockedDescriptor(const std::string& path, off_t start, off_t length, std::string& why) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    why = path + ": " + std::strerror(errno);
    return -1;
  }
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  lock.l_pid = 0;  // open-file-description locks require it
  if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    why = path + ": no lock of its own: " + std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

TPresenceLocks::~TPresenceLocks() { Release(); }

std::string TPresenceLocks::Hold(const std::string& path) {
  Release();
  std::string why;
  m_database = LockedDescriptor(path, kSharedFirst, kSharedSize, why);
  const std::string index = path + "-shm";
  if (m_database >= 0 && access(index.c_str(), F_OK) == 0) {
    m_index = LockedDescriptor(index, kIndexDeadManSwitch, 1, why);
  }
  return why;
}

void TPresenceLocks::Release() {
  // Closing these descriptors drops this process's POSIX locks on the files
  // too: only the records' own closing may come after.
  for (int* fd : {&m_index, &m_database}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}
