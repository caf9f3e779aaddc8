// The records' items of the ファイル menu, between Open and 終了: the
// submenu "最近使った曲" with the last songs played whose files are still
// there (read again each time it opens) and "プレイ記録...", which shows
// the records window. Both appear with Open, from the first completed game.
// Main thread only; the actions belong to the menu bar, the recorder and the
// window to the main window.
#pragma once

#include <QString>

#include <functional>

class QAction;
class QMenu;
class TGameRecorder;
class TMainMenu;

class TRecordsMenu {
 public:
  // Adds the items to menu's ファイル menu. openSong opens a chosen file as
  // the Open dialog would; showRecords shows the records window.
  TRecordsMenu(TMainMenu& menu, TGameRecorder& recorder, std::function<void(const QString& path)> openSong,
               std::function<void()> showRecords);

  // Shows the items from the play count at which Open appears.
  void ApplyVisibility(int playCount);
  // Fills the recent-songs submenu from the records.
  void FillRecentSongs();
  QMenu* RecentSongsMenu() const { return m_recentMenu; }
  QAction* RecordsItem() const { return m_recordsItem; }

 private:
  TGameRecorder& m_recorder;
  std::function<void(const QString&)> m_openSong;
  QMenu* m_recentMenu = nullptr;
  QAction* m_recordsItem = nullptr;
};
