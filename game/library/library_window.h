// TLibraryWindow ("曲ライブラリ"): the song-select window over the player's
// song folders. A filter box (words and terms, see library/library_filter.h)
// with a note of the terms it did not understand, the songs in a table
// (sortable on every column; files that did not load greyed with the reason
// as their tooltip), a progress bar with a cancel button while the folders
// are scanned, and the folders with add, remove and 再スキャン. Enter or a
// double click opens the song as Open does and closes the window; a row
// selected for a moment is previewed. Main thread only; a child window of
// the main window, which owns it; the library and the settings are not
// owned. It reads the rows through a records connection of its own.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableView;
class TExtendedSettings;
class TLibraryModel;
class TRecordsDatabase;
class TSongLibrary;

// What the window asks of the main window.
struct TLibraryWindowHost {
  // Opens a song file as the Open dialog opens it.
  std::function<void(const QString& path)> OpenSong;
  // Plays a moment of the song at path (the file system's bytes), and stops it.
  std::function<void(const std::string& path)> Preview;
  std::function<void()> StopPreview;
  // Asks for a folder (start: where to begin); empty when cancelled. A
  // folder dialog when not given.
  std::function<QString(const QString& start)> ChooseFolder;
};

class TLibraryWindow : public QDialog {
 public:
  static constexpr int kPreviewDelayMs = 400;
  static constexpr int kProgressIntervalMs = 100;

  TLibraryWindow(QWidget* parent, TSongLibrary& library, TExtendedSettings& settings, TLibraryWindowHost host);
  ~TLibraryWindow() override;

  // Reads the rows again from the records file (at every showing and after
  // each scan); only rows under the current folders are listed.
  void Reload();
  // Opens the shown row's song (Enter, double click); a file gone since the
  // scan is marked and said so instead.
  void OpenRow(int row);
  // Adds a folder (then scans), removes the selected one, scans again.
  void AddFolder(const QString& folder);
  void RemoveSelectedFolder();
  void Rescan();
  // The shown rows' texts, tab-separated, one line per row (what Ctrl+C copies).
  QString RowsText(const std::vector<int>& rows) const;
  // Applies the installed translation to every text of the window.
  void Retranslate();
  // The records file could not be used: the library is off.
  bool LibraryOff() const { return m_off; }

  TLibraryModel& Model() const { return *m_model; }
  QTableView* Table() const { return m_table; }
  QLineEdit* FilterBox() const { return m_filter; }
  QLabel* UnknownTermsLine() const { return m_unknown; }
  QLabel* StatusLine() const { return m_status; }
  QLabel* ProblemsLine() const { return m_problems; }
  QProgressBar* ProgressBar() const { return m_progress; }
  QPushButton* CancelButton() const { return m_cancel; }
  QListWidget* FolderList() const { return m_folders; }
  QTimer& PreviewTimer() { return m_previewTimer; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FilterChanged(const QString& text);
  void CurrentRowChanged();
  void PreviewCurrent();
  void StopPreview();
  void ScanEnded();
  void UpdateProgress();
  void ShowFolders();
  void ShowCount();
  void RestoreGeometry();
  void SaveGeometry();
  void CopySelectedRows() const;

  TSongLibrary& m_library;
  TExtendedSettings& m_settings;
  TLibraryWindowHost m_host;
  std::unique_ptr<TRecordsDatabase> m_database;
  bool m_off = false;
  TLibraryModel* m_model = nullptr;
  QLineEdit* m_filter = nullptr;
  QLabel* m_count = nullptr;
  QLabel* m_unknown = nullptr;
  QTableView* m_table = nullptr;
  QProgressBar* m_progress = nullptr;
  QPushButton* m_cancel = nullptr;
  QLabel* m_status = nullptr;
  QLabel* m_problems = nullptr;
  QLabel* m_foldersHeading = nullptr;
  QListWidget* m_folders = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_rescan = nullptr;
  QTimer m_previewTimer;
  QTimer m_progressTimer;
  bool m_previewing = false;
  bool m_geometryRestored = false;
};
