// TSongLibrary: the player's song folders ("曲フォルダ" in 拡張設定) and the
// scans of them into the records database's library table. The scanner
// works on a worker thread of its own; its end is posted back here and
// handed to the listener (the song-select window) on the main thread.
// Main thread only; the main window owns it; the settings are not owned.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_scanner.h"

class TExtendedSettings;

class TSongLibrary : public QObject {
 public:
  // databasePath: the records file the library table lies in.
  TSongLibrary(QObject* parent, TExtendedSettings& settings, std::string databasePath);
  // Cancels a running scan and waits for it.
  ~TSongLibrary() override;

  const std::string& DatabasePath() const { return m_databasePath; }

  // The folders (UTF-8): as stored, or, with nothing stored, the music folder
  // when there is one.
  std::vector<std::string> Folders() const;
  // Stores the folders (an empty list stays empty: no music folder then).
  void SetFolders(const std::vector<std::string>& folders);
  // The stored form of a folder list and back: "|" between folders; "%",
  // "|", CR and LF inside a name as %XX, so any name survives.
  static std::string JoinFolders(const std::vector<std::string>& folders);
  static std::vector<std::string> SplitFolders(std::string_view stored);

  // Starts a scan of the folders (a refresh: unchanged files are not read
  // again); a running one is cancelled first.
  void Scan();
  void Cancel();
  bool Scanning() const;
  TLibraryScanner::TProgress Progress() const;
  // The end of the last scan that ran to its end or was cancelled.
  const TLibraryScanner::TResult& LastResult() const { return m_lastResult; }
  bool HasResult() const { return m_hasResult; }
  // Called on the main thread when a scan has ended.
  void SetScanEnded(std::function<void()> scanEnded) { m_scanEnded = std::move(scanEnded); }
  // Waits for the running scan (tests).
  void Wait();

 private:
  void ScanEnded(int generation, const TLibraryScanner::TResult& result);

  TExtendedSettings& m_settings;
  std::string m_databasePath;
  std::unique_ptr<TLibraryScanner> m_scanner;
  int m_generation = 0;  // of the scan started last; ends of older ones are stale
  bool m_scanning = false;
  TLibraryScanner::TResult m_lastResult;
  bool m_hasResult = false;
  std::function<void()> m_scanEnded;
};
