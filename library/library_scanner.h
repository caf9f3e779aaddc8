// TLibraryScanner: scans the song folders into the library table on a
// worker thread of its own (at a low priority, so no frame waits for it):
// recursive, no symlink loop followed, .mid .midi .rmi .kar in any case,
// FIFOs, devices and sockets skipped unopened, files over 64 MiB skipped
// with that reason. A refresh reads again only files whose size or mtime
// changed and drops rows of files gone from readable folders. Start,
// Cancel, Progress and Wait: any thread (the main thread in the game).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TLibraryScanner {
 public:
  static constexpr int64_t kMaxFileBytes = 64LL << 20;

  struct TProgress {
    int64_t Done = 0;   // files looked at
    int64_t Found = 0;  // files found so far
    bool Running = false;
  };
  // What one scan ended with.
  struct TResult {
    bool Cancelled = false;
    bool DatabaseOff = false;          // the records database could not be used
    std::string DatabaseError;
    std::vector<std::string> Problems; // one line per unreadable, missing or non-folder entry (UTF-8)
    int64_t Read = 0;                  // files read (new or changed)
    int64_t Unchanged = 0;
    int64_t Dropped = 0;               // rows of files gone
  };

  // databasePath: the records file (pluvionaut.sqlite).
  explicit TLibraryScanner(std::string databasePath);
  // Cancels and waits.
  ~TLibraryScanner();
  TLibraryScanner(const TLibraryScanner&) = delete;
  TLibraryScanner& operator=(const TLibraryScanner&) = delete;

  // Starts a scan of folders (a running scan is cancelled first); done runs
  // on the worker thread when it ends (the game posts it to its main thread).
  void Start(std::vector<std::string> folders, std::function<void(const TResult&)> done);
  void Cancel();
  TProgress Progress() const;
  // Waits for the running scan to end (tests, closing).
  void Wait();

  // The scan itself, on the calling thread (the worker runs this; tests and
  // the bench may call it directly).
  static TResult ScanNow(const std::string& databasePath, const std::vector<std::string>& folders,
                         std::atomic<bool>& cancel, std::atomic<int64_t>& done, std::atomic<int64_t>& found);

 private:
  std::string m_databasePath;
  std::thread m_worker;
  std::atomic<bool> m_cancel{false};
  std::atomic<int64_t> m_done{0};
  std::atomic<int64_t> m_found{0};
  std::atomic<bool> m_running{false};
  std::mutex m_startMutex;
};
