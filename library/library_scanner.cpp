#include "library/library_scanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "library/library_store.h"
#include "library/song_facts.h"
#include "midi/midi_errors.h"
#include "records/records_database.h"
#include "records/sha256.h"

// The scan goes in three steps: the walk lists the song files of every
// folder (Found grows) with the size and mtime the walk saw; each file is
// then looked at (Done grows): skipped when its stamp equals its row, else
// read and parsed outside any transaction, its row queued and the queue
// written every kRowsPerTransaction rows; last, unless cancelled, the rows of
// files that are gone are dropped.

namespace {

// A transaction of this many rows takes a few milliseconds, so a game's own
// write on the main thread (250 ms busy timeout) never waits long for it.
constexpr size_t kRowsPerTransaction = 200;
// The worker may wait long for the game's write: nobody waits for the worker.
constexpr int kWorkerBusyTimeoutMs = 5000;
// The lowest priority of the normal policy. Not SCHED_IDLE: a thread of that
// policy may be starved for seconds on a busy machine, and it must never be
// starved while it holds the database's write lock.
constexpr int kLowestNice = 19;
// A file that changes under every read is left as it was stored after this
// many attempts (a recorder still writing it; the next scan reads it).
constexpr int kReadAttempts = 3;
constexpr int64_t kBytesPerMiB = 1LL << 20;

struct TFileStamp {
  int64_t Size = 0;
  int64_t MtimeNs = 0;
};

int64_t MtimeNsOf(const struct stat& status) {
  return static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
}

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF): the only file names Qt's file classes open.
bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07, smallest = 0x10000;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// The path as UTF-8 for a message: each byte of a broken sequence as "\xNN".
std::string Printable(std::string_view path) {
  if (IsUtf8(path)) return std::string(path);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    // Keep the well-formed characters around the broken bytes.
    size_t length = byte < 0x80 ? 1 : (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 0;
    if (length > 0 && i + length <= path.size() && IsUtf8(path.substr(i, length))) {
      text.append(path.substr(i, length));
      i += length - 1;
    } else {
      text += "\\x";
      text.push_back(kDigits[byte >> 4]);
      text.push_back(kDigits[byte & 15]);
    }
  }
  return text;
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// .mid .midi .rmi .kar in any case.
bool IsSongName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension == "mid" || extension == "midi" || extension == "rmi" || extension == "kar";
}

// "/music/songs/" -> "/music/songs"; "/" stays.
std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool IsUnder(const std::string& path, const std::string& folder) {
  if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
  return folder.back() == '/' || path[folder.size()] == '/';
}

std::string ErrnoText(int error) { return std::strerror(error); }

// ---- The walk ----

struct TListedFile {
  std::string Path;
  TFileStamp Stamp;
};

class TWalk {
 public:
  TWalk(std::atomic<bool>& cancel, std::atomic<int64_t>& found, std::vector<std::string>& problems)
      : m_cancel(cancel), m_found(found), m_problems(problems) {}

  void Root(const std::string& given) {
    const std::string root = WithoutTrailingSlashes(given);
    struct stat status{};
    if (root.empty()) return;
    if (::stat(root.c_str(), &status) != 0) {
      const int error = errno;
      m_problems.push_back(Printable(root) +
                           (error == ENOENT ? ": the folder is not there" : ": cannot be read (" + ErrnoText(error) + ")"));
      KeptUnder.push_back(root);
      return;
    }
    if (!S_ISDIR(status.st_mode)) {
      m_problems.push_back(Printable(root) + ": is not a folder");
      KeptUnder.push_back(root);
      return;
    }
    // Depth first in name order, so a folder reached twice (through a link)
    // is always listed under the same path.
    std::vector<std::string> pending{root};
    while (!pending.empty() && !m_cancel.load(std::memory_order_relaxed)) {
      const std::string folder = std::move(pending.back());
      pending.pop_back();
      std::vector<std::string> subfolders = List(folder);
      pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                     std::make_move_iterator(subfolders.rend()));
    }
  }

  std::vector<TListedFile> Files;
  // Folders whose rows stay although no file was seen under them: missing,
  // not folders, unreadable.
  std::vector<std::string> KeptUnder;

 private:
  // Lists one folder's song files; gives its subfolders in name order.
  std::vector<std::string> List(const std::string& folder) {
    struct stat status{};
    if (::stat(folder.c_str(), &status) != 0 ||
        !m_visited.insert({static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)}).second) {
      return {};  // gone since its parent was listed, or already listed (a link back)
    }
    std::vector<std::string> names;
    if (!ReadNames(folder, names)) return {};
    std::sort(names.begin(), names.end());
    std::vector<std::string> subfolders;
    const std::string prefix = folder == "/" ? folder : folder + '/';
    for (const std::string& name : names) {
      if (m_cancel.load(std::memory_order_relaxed)) break;
      std::string path = prefix + name;
      // stat follows links; it opens nothing, so FIFOs, devices and sockets
      // are passed by unopened, and a dangling link is simply not there.
      if (::stat(path.c_str(), &status) != 0) continue;
      if (S_ISDIR(status.st_mode)) {
        subfolders.push_back(std::move(path));
      } else if (S_ISREG(status.st_mode) && IsSongName(name)) {
        Files.push_back({std::move(path), {static_cast<int64_t>(status.st_size), MtimeNsOf(status)}});
        m_found.fetch_add(1, std::memory_order_relaxed);
      }
    }
    return subfolders;
  }

  bool ReadNames(const std::string& folder, std::vector<std::string>& names) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
      Unreadable(folder, errno);
      return false;
    }
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(directory);
      if (entry == nullptr) {
        const int error = errno;
        ::closedir(directory);
        if (error == 0) return true;
        Unreadable(folder, error);
        return false;
      }
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        names.emplace_back(entry->d_name);
      }
    }
  }

  void Unreadable(const std::string& folder, int error) {
    m_problems.push_back(Printable(folder) + ": the folder cannot be read (" + ErrnoText(error) + ")");
    KeptUnder.push_back(folder);
  }

  std::atomic<bool>& m_cancel;
  std::atomic<int64_t>& m_found;
  std::vector<std::string>& m_problems;
  std::set<std::pair<uint64_t, uint64_t>> m_visited;  // (device, inode) of the folders listed
};

// ---- Reading one file ----

enum class TReadOutcome { Read, Gone, Unreadable, TooLarge, KeptChanging };

// Reads the whole file into bytes and gives its stamp as of that read; a
// file that changes while it is read is read again.
TReadOutcome ReadFile(const std::string& path, std::vector<uint8_t>& bytes, TFileStamp& stamp, std::string& error) {
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    // O_NONBLOCK: a FIFO put in the file's place since the walk must not
    // hold the scan up at open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      const int code = errno;
      if (code == ENOENT || code == ENOTDIR) return TReadOutcome::Gone;
      error = ErrnoText(code);
      return TReadOutcome::Unreadable;
    }
    struct stat before{};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
      ::close(fd);
      return TReadOutcome::Gone;  // no longer a file the library lists
    }
    stamp = {static_cast<int64_t>(before.st_size), MtimeNsOf(before)};
    if (stamp.Size > TLibraryScanner::kMaxFileBytes) {
      ::close(fd);
      return TReadOutcome::TooLarge;
    }
    bytes.resize(static_cast<size_t>(stamp.Size));
    size_t got = 0;
    bool failed = false;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = ErrnoText(errno);
        failed = true;
      }
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    uint8_t more = 0;
    const bool grew = !failed && got == bytes.size() && ::read(fd, &more, 1) > 0;
    ::close(fd);
    if (failed) return TReadOutcome::Unreadable;
    struct stat after{};
    if (::stat(path.c_str(), &after) != 0) return TReadOutcome::Gone;
    const bool same = got == bytes.size() && !grew && after.st_ino == before.st_ino && after.st_dev == before.st_dev &&
                      after.st_size == before.st_size && MtimeNsOf(after) == stamp.MtimeNs;
    if (same) return TReadOutcome::Read;
  }
  return TReadOutcome::KeptChanging;
}

std::string MiBText(int64_t bytes) { return std::to_string((bytes + kBytesPerMiB - 1) / kBytesPerMiB); }

void LowerThisThreadsPriority() {
  // On Linux a nice value belongs to the thread named by its id.
  const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
  ::setpriority(PRIO_PROCESS, thread, kLowestNice);
}

}  // namespace

TLibraryScanner::TResult TLibraryScanner::ScanNow(const std::string& databasePath,
                                                  const std::vector<std::string>& folders, std::atomic<bool>& cancel,
                                                  std::atomic<int64_t>& done, std::atomic<int64_t>& found) {
  TResult result;
  try {
    TRecordsDatabase records(databasePath, kWorkerBusyTimeoutMs);
    TLibraryStore store(records);

    TWalk walk(cancel, found, result.Problems);
    for (const std::string& folder : folders) {
      if (cancel.load(std::memory_order_relaxed)) break;
      walk.Root(folder);
    }

    std::unordered_set<std::string> seen;
    std::vector<TLibraryRow> queued;
    std::vector<uint8_t> bytes;  // the one file in memory
    for (TListedFile& file : walk.Files) {
      if (cancel.load(std::memory_order_relaxed)) break;
      TFileStamp stored;
      if (store.Stamp(file.Path, stored.Size, stored.MtimeNs) && stored.Size == file.Stamp.Size &&
          stored.MtimeNs == file.Stamp.MtimeNs) {
        ++result.Unchanged;
        seen.insert(std::move(file.Path));
        done.fetch_add(1, std::memory_order_relaxed);
        continue;
      }
      TLibraryRow row;
      row.Path = file.Path;
      row.Size = file.Stamp.Size;
      row.MtimeNs = file.Stamp.MtimeNs;
      const std::string name = NameOf(file.Path);
      bool storeRow = true;
      if (!IsUtf8(file.Path)) {
        row.Error = Printable(name) + ": the file's name (or its folder's) is not UTF-8, so the game cannot open it";
      } else if (file.Stamp.Size > kMaxFileBytes) {
        row.Error = name + ": larger than 64 MiB (" + MiBText(file.Stamp.Size) + " MiB), too large for a song";
      } else {
        TFileStamp stamp;
        std::string error;
        switch (ReadFile(file.Path, bytes, stamp, error)) {
          case TReadOutcome::Gone:
            storeRow = false;  // its row, if any, is dropped
            break;
          case TReadOutcome::KeptChanging:
            storeRow = false;
            seen.insert(file.Path);  // keeps its row until a scan finds it settled
            break;
          case TReadOutcome::Unreadable:
            row.Error = name + ": cannot be read (" + error + ")";
            break;
          case TReadOutcome::TooLarge:
            row.Size = stamp.Size;
            row.MtimeNs = stamp.MtimeNs;
            row.Error = name + ": larger than 64 MiB (" + MiBText(stamp.Size) + " MiB), too large for a song";
            break;
          case TReadOutcome::Read:
            row.Size = stamp.Size;
            row.MtimeNs = stamp.MtimeNs;
            try {
              row.Facts = ReadSongFacts(bytes.data(), bytes.size(), name);
              row.SongSha256 = TSha256::HexOf(
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            } catch (const EMidiError& e) {
              row.Error = e.what();
            } catch (const std::bad_alloc&) {
              row.Error = name + ": too large to read into memory";
            }
            break;
        }
      }
      if (storeRow) {
        ++result.Read;
        seen.insert(file.Path);
        queued.push_back(std::move(row));
        if (queued.size() >= kRowsPerTransaction) {
          store.Put(queued);
          queued.clear();
        }
      }
      done.fetch_add(1, std::memory_order_relaxed);
    }
    store.Put(queued);
    queued.clear();

    if (cancel.load(std::memory_order_relaxed)) {
      result.Cancelled = true;
      return result;
    }
    // Rows of files not seen go, unless they lie under a folder that could
    // not be listed (an unplugged drive keeps its songs). Rows outside every
    // listed folder go too: that folder was taken out of the library.
    std::vector<std::string> gone;
    for (std::string& path : store.Paths()) {
      if (seen.count(path) != 0) continue;
      const bool kept = std::any_of(walk.KeptUnder.begin(), walk.KeptUnder.end(),
                                    [&](const std::string& folder) { return path == folder || IsUnder(path, folder); });
      if (kept) continue;
      gone.push_back(std::move(path));
      if (gone.size() >= kRowsPerTransaction) {
        store.Remove(gone);
        result.Dropped += static_cast<int64_t>(gone.size());
        gone.clear();
      }
    }
    store.Remove(gone);
    result.Dropped += static_cast<int64_t>(gone.size());
  } catch (const ERecordsError& e) {
    result.DatabaseOff = true;
    result.DatabaseError = e.what();
  }
  return result;
}

TLibraryScanner::TLibraryScanner(std::string databasePath) : m_databasePath(std::move(databasePath)) {}

TLibraryScanner::~TLibraryScanner() {
  Cancel();
  Wait();
}

void TLibraryScanner::Start(std::vector<std::string> folders, std::function<void(const TResult&)> done) {
  std::lock_guard<std::mutex> lock(m_startMutex);
  m_cancel.store(true);
  if (m_worker.joinable()) m_worker.join();
  m_cancel.store(false);
  m_done.store(0);
  m_found.store(0);
  m_running.store(true);
  m_worker = std::thread([this, folders = std::move(folders), done = std::move(done)] {
    LowerThisThreadsPriority();
    TResult result;
    try {
      result = ScanNow(m_databasePath, folders, m_cancel, m_done, m_found);
    } catch (const std::exception& e) {
      // Out of memory listing the folders: the scan ends, the game goes on.
      result.Problems.push_back(std::string("the scan stopped: ") + e.what());
    }
    m_running.store(false);
    if (done) done(result);
  });
}

void TLibraryScanner::Cancel() { m_cancel.store(true); }

TLibraryScanner::TProgress TLibraryScanner::Progress() const {
  TProgress progress;
  progress.Done = m_done.load(std::memory_order_relaxed);
  progress.Found = m_found.load(std::memory_order_relaxed);
  progress.Running = m_running.load();
  return progress;
}

void TLibraryScanner::Wait() {
  std::lock_guard<std::mutex> lock(m_startMutex);
  if (m_worker.joinable()) m_worker.join();
}
