// TLibraryModel: the songs of the song-select window as a table model. The
// library's rows are grouped by song identity (one file kept in several
// folders is one song with all its paths), sorted on any column by typed
// keys and narrowed by a TLibraryFilter without sorting again. Cells are
// made on demand from the stored facts; nothing is computed from the files
// here. Main thread only (a Qt model).
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <vector>

#include "library/library_filter.h"
#include "library/library_row.h"

class TLibraryModel : public QAbstractTableModel {
 public:
  enum TColumn { kTitle, kFile, kLength, kNotes, kDifficulty, kBpm, kPlays, kBest, kBestCombo, kLastPlayed, kColumns };
  // The typed value each column sorts by (text columns: case-folded text).
  static constexpr int kSortRole = Qt::UserRole + 1;
  // The path a song opens from (the first of its paths).
  static constexpr int kPathRole = Qt::UserRole + 2;

  // One song: the row its figures come from and every path it lies at.
  struct TSong {
    TLibraryRow Row;
    std::vector<std::string> Paths;  // sorted; Row.Path is the first
    TFilterSubject Subject;
    QString Title;     // shown: the stored title, or nothing
    QString FileName;  // of the first path
    QString TitleKey;  // case-folded, for sorting
    QString FileKey;
    bool Gone = false; // its files were found gone since the scan
  };

  explicit TLibraryModel(QObject* parent = nullptr);

  // Puts rows in place of the songs (grouped), keeping the sort and filter.
  void SetRows(std::vector<TLibraryRow> rows);
  // Narrows the shown songs; the sort stays.
  void SetFilter(TLibraryFilter filter);
  const TLibraryFilter& Filter() const { return m_filter; }

  // The songs shown, in order, and all of them.
  int ShownCount() const { return static_cast<int>(m_shown.size()); }
  int SongCount() const { return static_cast<int>(m_songs.size()); }
  const TSong& ShownSong(int row) const { return m_songs[m_shown[static_cast<size_t>(row)]]; }
  // Marks the shown row's song as gone (greyed, its tooltip says so).
  void MarkGone(int row);
  // The shown row of the song at path (any of its paths); -1 when not shown.
  int RowOfPath(const std::string& path) const;
  int SortColumn() const { return m_sortColumn; }
  Qt::SortOrder SortOrder() const { return m_sortOrder; }

  // The texts of the cells (also used for copying).
  static QString LengthText(int32_t ms);
  static QString BpmText(double bpmMin, double bpmMax);
  static QString LocalTimeText(const std::string& iso8601);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  // A new translation: the headers and the texts of the cells again.
  void Retranslate();

 private:
  QVariant DisplayText(const TSong& song, int column) const;
  QVariant SortKey(const TSong& song, int column) const;
  QString ToolTip(const TSong& song) const;
  // Sorts m_order by the current column, then filters it into m_shown.
  void SortAll();
  void FilterShown();

  std::vector<TSong> m_songs;
  std::vector<size_t> m_order;  // every song, sorted
  std::vector<size_t> m_shown;  // the songs of m_order that the filter lets through
  TLibraryFilter m_filter;
  int m_sortColumn = kTitle;
  Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
