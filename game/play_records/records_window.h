// TRecordsWindow ("プレイ記録"): one row per played song (title, file name,
// difficulty, games, best Good %, best max combo, last played), sortable by every
// column and narrowed by a filter box; below, the games of the selected
// song with their options; practice games are marked as such and shown or
// hidden with a check box. A double click on a song whose file is still
// there opens it in the game. Main thread only; a child window of the main
// window, which owns it; it reads the records through the TGameRecorder it
// is given (not owned).
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "records/game_record.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
class TGameRecorder;

class TRecordsWindow : public QDialog {
 public:
  // Columns of the song list and of the game list.
  enum TSongColumn { kSongTitle, kSongFileName, kSongDifficulty, kSongGames, kSongBest, kSongBestCombo, kSongLastPlayed, kSongColumns };
  enum TGameColumn { kGameDate, kGameGood, kGameBad, kGamePercent, kGameMaxCombo, kGameBarInput, kGameOptions, kGameColumns };
  // The model role that carries each cell's sorting value and, in the
  // title column, the song's identity.
  static constexpr int kSortRole = Qt::UserRole + 1;
  static constexpr int kShaRole = Qt::UserRole + 2;
  static constexpr int kPathRole = Qt::UserRole + 3;

  TRecordsWindow(QWidget* parent, TGameRecorder& recorder, std::function<void(const QString& path)> openSong);

  // Reads the songs again (at every showing and after a game).
  void Refresh();
  // The songs as shown (filtered and sorted), and the games listed.
  QTableView* SongTable() const { return m_songTable; }
  QTableView* GameTable() const { return m_gameTable; }
  QLineEdit* FilterBox() const { return m_filter; }
  QLabel* StatusLine() const { return m_status; }
  // Practice games are listed among the games while it is checked.
  QCheckBox* ShowPracticeBox() const { return m_showPractice; }
  // Selects the shown row and lists its games.
  void SelectSong(int row);
  // What a double click on the shown row does.
  void OpenSongAt(int row);
  // Applies the installed translation to every text of the window.
  void Retranslate();

  // A game's options in one short line ("HI-SPEED 2.0 / HIDDEN / ..."); the
  // plain game gives "-".
  static QString OptionsText(const TGameOptions& options);
  // An ISO 8601 UTC moment in local time, "2026/12/08 17:47".
  static QString LocalTimeText(const std::string& iso8601);

 protected:
  void showEvent(QShowEvent* event) override;
  // A new translation installed: every text again.
  void changeEvent(QEvent* event) override;

 private:
  void ShowGamesOf(const std::string& songSha256);

  TGameRecorder& m_recorder;
  std::function<void(const QString&)> m_openSong;
  QLineEdit* m_filter = nullptr;
  QTableView* m_songTable = nullptr;
  QTableView* m_gameTable = nullptr;
  QLabel* m_status = nullptr;
  QLabel* m_gamesHeading = nullptr;
  QCheckBox* m_showPractice = nullptr;
  std::string m_shownSongSha;  // whose games are listed
  QStandardItemModel* m_songs = nullptr;
  QSortFilterProxyModel* m_shownSongs = nullptr;
  QStandardItemModel* m_games = nullptr;
};
