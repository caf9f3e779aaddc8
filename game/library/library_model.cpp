#include "game/library/library_model.h"

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>
#include <unordered_map>

#include "game/app/tr.h"
#include "game/core/translatable.h"
#include "library/difficulty.h"
#include "records/game_record.h"

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr int kPercentDecimals = 1;

// Header texts (source texts for Tr), in column order.
constexpr const char* kHeaders[] = {Translatable("曲名"),       Translatable("ファイル名"), Translatable("長さ"),
                                    Translatable("ノーツ"),     Translatable("難しさ"),     Translatable("BPM"),
                                    Translatable("遊んだ回数"), Translatable("ベスト"),     Translatable("最大コンボ"),
                                    Translatable("最後に遊んだ日")};
static_assert(std::size(kHeaders) == TLibraryModel::kColumns);
constexpr const char* kUnreadable = Translatable("この曲は読めなかったよ: %1");
constexpr const char* kGone = Translatable("このファイル、見つからなくなっちゃった…。");
constexpr const char* kNotYet = "-";

bool Played(const TLibraryRow& row) { return row.Games > 0; }

double BestPercentOf(const TLibraryRow& row) { return Played(row) ? GoodPercent(row.BestGood, row.BestBad) : -1.0; }

}  // namespace

TLibraryModel::TLibraryModel(QObject* parent) : QAbstractTableModel(parent) {}

QString TLibraryModel::LengthText(int32_t ms) {
  const int seconds = ms / kMsPerSecond;
  return QStringLiteral("%1:%2").arg(seconds / kSecondsPerMinute).arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString TLibraryModel::BpmText(double bpmMin, double bpmMax) {
  const long long low = std::llround(bpmMin);
  const long long high = std::llround(bpmMax);
  return low == high ? QString::number(low) : QStringLiteral("%1-%2").arg(low).arg(high);
}

QString TLibraryModel::LocalTimeText(const std::string& iso8601) {
  if (iso8601.empty()) return QString::fromLatin1(kNotYet);
  const QDateTime utc = QDateTime::fromString(QString::fromStdString(iso8601), Qt::ISODate);
  if (!utc.isValid()) return QString::fromStdString(iso8601);
  return utc.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

void TLibraryModel::SetRows(std::vector<TLibraryRow> rows) {
  beginResetModel();
  // Paths in order, so that a song's first path (the one it opens from) does
  // not depend on the order the rows came in.
  std::sort(rows.begin(), rows.end(), [](const TLibraryRow& a, const TLibraryRow& b) { return a.Path < b.Path; });
  m_songs.clear();
  m_songs.reserve(rows.size());
  // Keys view the songs' own identities: m_songs never grows past its reserve.
  std::unordered_map<std::string_view, size_t> bySha;
  bySha.reserve(rows.size());
  for (TLibraryRow& row : rows) {
    // A file that did not load has no identity: a song of its own.
    if (!row.SongSha256.empty()) {
      const auto known = bySha.find(row.SongSha256);
      if (known != bySha.end()) {
        m_songs[known->second].Paths.push_back(std::move(row.Path));
        continue;
      }
    }
    TSong& song = m_songs.emplace_back();
    song.Paths.push_back(row.Path);
    song.Row = std::move(row);
    if (!song.Row.SongSha256.empty()) bySha.emplace(song.Row.SongSha256, m_songs.size() - 1);
  }
  for (TSong& song : m_songs) {
    song.Subject = FilterSubjectOf(song.Row, song.Paths);
    song.Title = QString::fromStdString(song.Row.Facts.Title);
    // The name after the last '/', without a QFileInfo per song.
    const size_t slash = song.Row.Path.rfind('/');
    song.FileName = QFile::decodeName(song.Row.Path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
    song.TitleKey = song.Title.toCaseFolded();
    song.FileKey = song.FileName.toCaseFolded();
  }
  SortAll();
  endResetModel();
}

void TLibraryModel::SetFilter(TLibraryFilter filter) {
  beginResetModel();
  m_filter = std::move(filter);
  FilterShown();
  endResetModel();
}

void TLibraryModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumns) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<size_t> songsBefore;
  songsBefore.reserve(static_cast<size_t>(before.size()));
  for (const QModelIndex& index : before) songsBefore.push_back(m_shown[static_cast<size_t>(index.row())]);
  m_sortColumn = column;
  m_sortOrder = order;
  SortAll();
  // The selection and the current row follow their songs.
  std::vector<int> rowOfSong(m_songs.size(), -1);
  for (size_t row = 0; row < m_shown.size(); ++row) rowOfSong[m_shown[row]] = static_cast<int>(row);
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype i = 0; i < before.size(); ++i) {
    after.push_back(index(rowOfSong[songsBefore[static_cast<size_t>(i)]], before[i].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TLibraryModel::SortAll() {
  m_order.resize(m_songs.size());
  for (size_t i = 0; i < m_order.size(); ++i) m_order[i] = i;
  const int column = m_sortColumn;
  // Less by the column's typed key; ties by path, so that the order is the same every time.
  auto less = [this, column](size_t a, size_t b) {
    const TSong& x = m_songs[a];
    const TSong& y = m_songs[b];
    const TLibraryRow& p = x.Row;
    const TLibraryRow& q = y.Row;
    int c = 0;
    auto three = [](auto u, auto v) { return u < v ? -1 : (v < u ? 1 : 0); };
    switch (column) {
      case kTitle: c = x.TitleKey.compare(y.TitleKey); break;
      case kFile: c = x.FileKey.compare(y.FileKey); break;
      case kLength: c = three(p.Facts.LengthMs, q.Facts.LengthMs); break;
      case kNotes: c = three(p.Facts.Notes, q.Facts.Notes); break;
      case kDifficulty: c = three(p.Facts.Difficulty, q.Facts.Difficulty); break;
      case kBpm: c = three(std::pair(p.Facts.BpmMin, p.Facts.BpmMax), std::pair(q.Facts.BpmMin, q.Facts.BpmMax)); break;
      case kPlays: c = three(p.Games, q.Games); break;
      case kBest: c = three(BestPercentOf(p), BestPercentOf(q)); break;
      case kBestCombo: c = three(p.BestMaxCombo, q.BestMaxCombo); break;
      case kLastPlayed: c = p.LastPlayedAt.compare(q.LastPlayedAt); break;
      default: break;
    }
    if (c != 0) return c < 0;
    return p.Path < q.Path;
  };
  if (m_sortOrder == Qt::AscendingOrder) {
    std::sort(m_order.begin(), m_order.end(), less);
  } else {
    std::sort(m_order.begin(), m_order.end(), [&less](size_t a, size_t b) { return less(b, a); });
  }
  FilterShown();
}

void TLibraryModel::FilterShown() {
  m_shown.clear();
  m_shown.reserve(m_order.size());
  if (m_filter.Empty()) {
    m_shown = m_order;
    return;
  }
  for (size_t song : m_order) {
    if (m_filter.Matches(m_songs[song].Subject)) m_shown.push_back(song);
  }
}

void TLibraryModel::MarkGone(int row) {
  if (row < 0 || row >= ShownCount()) return;
  m_songs[m_shown[static_cast<size_t>(row)]].Gone = true;
  emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

int TLibraryModel::RowOfPath(const std::string& path) const {
  for (size_t row = 0; row < m_shown.size(); ++row) {
    const std::vector<std::string>& paths = m_songs[m_shown[row]].Paths;
    if (std::find(paths.begin(), paths.end(), path) != paths.end()) return static_cast<int>(row);
  }
  return -1;
}

int TLibraryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ShownCount(); }

int TLibraryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TLibraryModel::DisplayText(const TSong& song, int column) const {
  const TLibraryRow& row = song.Row;
  // A file that did not load has its name and its games, no figures.
  const bool figures = !row.Error.has_value();
  switch (column) {
    case kTitle: return song.Title;
    case kFile: return song.FileName;
    case kLength: return figures ? LengthText(row.Facts.LengthMs) : QString();
    case kNotes: return figures ? QString::number(row.Facts.Notes) : QString();
    case kDifficulty: return figures ? QString::fromStdString(DifficultyText(row.Facts.Difficulty)) : QString();
    case kBpm: return figures ? BpmText(row.Facts.BpmMin, row.Facts.BpmMax) : QString();
    case kPlays: return QString::number(row.Games);
    case kBest:
      return Played(row) ? QString::number(BestPercentOf(row), 'f', kPercentDecimals) + QStringLiteral("%")
                         : QString::fromLatin1(kNotYet);
    case kBestCombo: return Played(row) ? QString::number(row.BestMaxCombo) : QString::fromLatin1(kNotYet);
    case kLastPlayed: return LocalTimeText(row.LastPlayedAt);
    default: return {};
  }
}

QVariant TLibraryModel::SortKey(const TSong& song, int column) const {
  const TLibraryRow& row = song.Row;
  switch (column) {
    case kTitle: return song.TitleKey;
    case kFile: return song.FileKey;
    case kLength: return row.Facts.LengthMs;
    case kNotes: return row.Facts.Notes;
    case kDifficulty: return row.Facts.Difficulty;
    case kBpm: return row.Facts.BpmMin;
    case kPlays: return QVariant::fromValue<qlonglong>(row.Games);
    case kBest: return BestPercentOf(row);
    case kBestCombo: return row.BestMaxCombo;
    case kLastPlayed: return QString::fromStdString(row.LastPlayedAt);
    default: return {};
  }
}

QString TLibraryModel::ToolTip(const TSong& song) const {
  if (song.Gone) return Tr(kGone);
  if (song.Row.Error) return Tr(kUnreadable).arg(QString::fromStdString(*song.Row.Error));
  QStringList paths;
  for (const std::string& path : song.Paths) paths << QFile::decodeName(path.c_str());
  return paths.join(QLatin1Char('\n'));
}

QVariant TLibraryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= ShownCount() || index.column() >= kColumns) return {};
  const TSong& song = ShownSong(index.row());
  switch (role) {
    case Qt::DisplayRole: return DisplayText(song, index.column());
    case kSortRole: return SortKey(song, index.column());
    case kPathRole: return QFile::decodeName(song.Row.Path.c_str());
    case Qt::ToolTipRole: return ToolTip(song);
    case Qt::ForegroundRole:
      if (song.Gone || song.Row.Error) return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() >= kLength && index.column() <= kBestCombo) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
      }
      return {};
    default: return {};
  }
}

QVariant TLibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return Tr(kHeaders[section]);
}

void TLibraryModel::Retranslate() {
  emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
  if (ShownCount() > 0) emit dataChanged(index(0, 0), index(ShownCount() - 1, kColumns - 1));
}
