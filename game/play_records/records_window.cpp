#include "game/play_records/records_window.h"

#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

#include "game/play_records/game_recorder.h"
#include "game/app/tr.h"
#include "game/core/option_values.h"
#include "game/core/translatable.h"
#include "library/difficulty.h"

namespace {

constexpr int kWindowWidth = 760;
constexpr int kWindowHeight = 560;
constexpr int kPercentDecimals = 1;
constexpr int kRowsMeasuredForWidth = 50;
constexpr double kNormalSpeed = 1.0;

// Header texts (source texts for Tr), in column order.
constexpr const char* kSongHeaders[] = {Translatable("曲名"),     Translatable("ファイル名"), Translatable("難易度"),
                                        Translatable("遊んだ回数"), Translatable("ベスト"),     Translatable("最大コンボ"),
                                        Translatable("最後に遊んだ日")};
constexpr const char* kGameHeaders[] = {Translatable("日時"), "Good", "Bad", "%", Translatable("最大コンボ"),
                                        Translatable("操作"), Translatable("オプション")};
constexpr const char* kWindowTitle = Translatable("プレイ記録");
constexpr const char* kFilterHint = Translatable("曲名やファイル名でしぼりこめるよ。");
constexpr const char* kGamesHeading = Translatable("選んだ曲の記録だよ。ダブルクリックでその曲を開くよ。");
constexpr const char* kNoRecords = Translatable("まだ記録がないよ。1曲遊んでみてね！");
constexpr const char* kRecordsOff = Translatable("プレイ記録はお休み中だよ。");
// The inputs as the window names them (source texts for Tr).
constexpr const char* kMouseInput = Translatable("マウス");
constexpr const char* kKeyboardInput = Translatable("キーボード");
constexpr const char* kGamepadInput = Translatable("ゲームパッド");
constexpr const char* kShowPractice = Translatable("練習の記録も表示");
// A practice game's options: the part it played and its practice speed.
constexpr const char* kPracticeText = Translatable("練習 %1〜%2 (%3%)");
constexpr int kPercent = 100;
constexpr const char* kFileMissing = Translatable("この曲のファイルが見つからないよ…。動かしちゃった？");

QString BarInputText(const std::string& stored) {
  if (stored == kBarInputKeyboard) return Tr(kKeyboardInput);
  if (stored == kBarInputGamepad) return Tr(kGamepadInput);
  return Tr(kMouseInput);
}

QStandardItem* Cell(const QString& text, const QVariant& sortValue) {
  auto* item = new QStandardItem(text);
  item->setData(sortValue, TRecordsWindow::kSortRole);
  item->setEditable(false);
  return item;
}

// "M:SS" of a song position.
QString TimePanelClock(int32_t ms) {
  constexpr int kMsPerSecond = 1000;
  constexpr int kSecondsPerMinute = 60;
  const int seconds = ms / kMsPerSecond;
  return QStringLiteral("%1:%2").arg(seconds / kSecondsPerMinute).arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString PercentText(double percent) { return QString::number(percent, 'f', kPercentDecimals) + QStringLiteral("%"); }

// 25 -> "0.25", 50 -> "0.5", 200 -> "2.0": the captions of the menus.
QString FactorText(double factor) {
  const double tenths = factor * 10.0;
  return QString::number(factor, 'f', std::abs(tenths - std::round(tenths)) < 1e-9 ? 1 : 2);
}

}  // namespace

TRecordsWindow::TRecordsWindow(QWidget* parent, TGameRecorder& recorder, std::function<void(const QString&)> openSong)
    : QDialog(parent), m_recorder(recorder), m_openSong(std::move(openSong)) {
  setObjectName(QStringLiteral("RecordsWindow"));
  resize(kWindowWidth, kWindowHeight);
  auto* layout = new QVBoxLayout(this);

  m_filter = new QLineEdit(this);
  m_filter->setObjectName(QStringLiteral("RecordsFilter"));
  m_filter->setClearButtonEnabled(true);
  layout->addWidget(m_filter);

  m_songs = new QStandardItemModel(0, kSongColumns, this);
  m_shownSongs = new QSortFilterProxyModel(this);
  m_shownSongs->setSourceModel(m_songs);
  m_shownSongs->setSortRole(kSortRole);
  m_shownSongs->setFilterCaseSensitivity(Qt::CaseInsensitive);
  m_shownSongs->setFilterKeyColumn(-1);  // any column: title or file name
  m_songTable = new QTableView(this);
  m_songTable->setObjectName(QStringLiteral("RecordsSongs"));
  m_songTable->setModel(m_shownSongs);
  m_songTable->setSortingEnabled(true);
  m_songTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_songTable->setSelectionMode(QAbstractItemView::SingleSelection);
  m_songTable->verticalHeader()->hide();
  m_songTable->horizontalHeader()->setStretchLastSection(true);
  // Column widths from the first rows, not from a thousand.
  m_songTable->horizontalHeader()->setResizeContentsPrecision(kRowsMeasuredForWidth);
  m_songTable->sortByColumn(kSongLastPlayed, Qt::DescendingOrder);
  layout->addWidget(m_songTable, 3);

  m_gamesHeading = new QLabel(this);
  layout->addWidget(m_gamesHeading);
  m_showPractice = new QCheckBox(this);
  m_showPractice->setObjectName(QStringLiteral("RecordsShowPractice"));
  m_showPractice->setChecked(true);
  layout->addWidget(m_showPractice);
  m_games = new QStandardItemModel(0, kGameColumns, this);
  m_gameTable = new QTableView(this);
  m_gameTable->setObjectName(QStringLiteral("RecordsGames"));
  m_gameTable->setModel(m_games);
  m_gameTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_gameTable->verticalHeader()->hide();
  m_gameTable->horizontalHeader()->setStretchLastSection(true);
  m_gameTable->horizontalHeader()->setResizeContentsPrecision(kRowsMeasuredForWidth);
  layout->addWidget(m_gameTable, 2);

  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("RecordsStatus"));
  layout->addWidget(m_status);

  connect(m_filter, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_shownSongs->setFilterFixedString(text); });
  connect(m_songTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { SelectSong(current.row()); });
  connect(m_showPractice, &QCheckBox::toggled, this, [this] {
    if (!m_shownSongSha.empty()) ShowGamesOf(m_shownSongSha);
  });
  connect(m_songTable, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { OpenSongAt(index.row()); });
  Retranslate();
}

void TRecordsWindow::Retranslate() {
  setWindowTitle(Tr(kWindowTitle));
  m_filter->setPlaceholderText(Tr(kFilterHint));
  m_gamesHeading->setText(Tr(kGamesHeading));
  m_showPractice->setText(Tr(kShowPractice));
  for (int c = 0; c < kSongColumns; ++c) m_songs->setHeaderData(c, Qt::Horizontal, Tr(kSongHeaders[c]));
  for (int c = 0; c < kGameColumns; ++c) m_games->setHeaderData(c, Qt::Horizontal, Tr(kGameHeaders[c]));
}

void TRecordsWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    Retranslate();
    Refresh();  // the dates and options texts of the rows
  }
  QDialog::changeEvent(event);
}

void TRecordsWindow::showEvent(QShowEvent* event) {
  Refresh();
  QDialog::showEvent(event);
}

void TRecordsWindow::Refresh() {
  const std::vector<TSongSummary> songs = m_recorder.Songs();
  // Filled while detached from the sorting proxy: attached, every cell set
  // would sort and filter the whole list again.
  m_shownSongs->setSourceModel(nullptr);
  m_songs->removeRows(0, m_songs->rowCount());
  m_songs->setRowCount(static_cast<int>(songs.size()));
  for (int row = 0; row < static_cast<int>(songs.size()); ++row) {
    const TSongSummary& song = songs[static_cast<size_t>(row)];
    const QString title = QString::fromStdString(song.Title);
    QStandardItem* titleCell = Cell(title, title.toCaseFolded());
    titleCell->setData(QString::fromStdString(song.SongSha256), kShaRole);
    titleCell->setData(QString::fromStdString(song.Path), kPathRole);
    titleCell->setToolTip(QString::fromStdString(song.Path));
    m_songs->setItem(row, kSongTitle, titleCell);
    const QString fileName = QString::fromStdString(song.FileName);
    m_songs->setItem(row, kSongFileName, Cell(fileName, fileName.toCaseFolded()));
    // A song the library has not measured shows "-" and sorts below every figure.
    const double difficulty = m_recorder.LibraryDifficulty(song.SongSha256);
    m_songs->setItem(row, kSongDifficulty,
                     difficulty >= 0.0 ? Cell(QString::fromStdString(DifficultyText(difficulty)), difficulty)
                                       : Cell(QStringLiteral("-"), -1.0));
    m_songs->setItem(row, kSongGames, Cell(QString::number(song.Games), QVariant::fromValue<qlonglong>(song.Games)));
    m_songs->setItem(row, kSongBest, Cell(PercentText(song.BestPercent()), song.BestPercent()));
    m_songs->setItem(row, kSongBestCombo, Cell(QString::number(song.BestMaxCombo), song.BestMaxCombo));
    m_songs->setItem(row, kSongLastPlayed,
                     Cell(LocalTimeText(song.LastPlayedAt), QString::fromStdString(song.LastPlayedAt)));
  }
  m_shownSongs->setSourceModel(m_songs);
  m_shownSongs->sort(m_songTable->horizontalHeader()->sortIndicatorSection(),
                     m_songTable->horizontalHeader()->sortIndicatorOrder());
  m_songTable->resizeColumnsToContents();
  m_games->removeRows(0, m_games->rowCount());
  if (!m_recorder.Recording()) {
    m_status->setText(Tr(kRecordsOff));
  } else {
    m_status->setText(songs.empty() ? Tr(kNoRecords) : QString());
  }
  if (m_shownSongs->rowCount() > 0) m_songTable->selectRow(0);
}

void TRecordsWindow::SelectSong(int row) {
  if (row < 0 || row >= m_shownSongs->rowCount()) {
    m_games->removeRows(0, m_games->rowCount());
    return;
  }
  if (m_songTable->currentIndex().row() != row) m_songTable->selectRow(row);
  ShowGamesOf(m_shownSongs->index(row, kSongTitle).data(kShaRole).toString().toStdString());
}

void TRecordsWindow::ShowGamesOf(const std::string& songSha256) {
  m_shownSongSha = songSha256;
  std::vector<TGameRecord> games = m_recorder.GamesOfSong(songSha256);
  if (!m_showPractice->isChecked()) {
    std::erase_if(games, [](const TGameRecord& game) { return game.Practice; });
  }
  m_gameTable->setModel(nullptr);  // filled detached, like the songs
  m_games->removeRows(0, m_games->rowCount());
  m_games->setRowCount(static_cast<int>(games.size()));
  for (int row = 0; row < static_cast<int>(games.size()); ++row) {
    const TGameRecord& game = games[static_cast<size_t>(row)];
    m_games->setItem(row, kGameDate, Cell(LocalTimeText(game.PlayedAt), QString::fromStdString(game.PlayedAt)));
    m_games->setItem(row, kGameGood, Cell(QString::number(game.Good), game.Good));
    m_games->setItem(row, kGameBad, Cell(QString::number(game.Bad), game.Bad));
    const double percent = GoodPercent(game.Good, game.Bad);
    m_games->setItem(row, kGamePercent, Cell(PercentText(percent), percent));
    m_games->setItem(row, kGameMaxCombo, Cell(QString::number(game.MaxCombo), game.MaxCombo));
    const QString input = BarInputText(game.BarInput);
    m_games->setItem(row, kGameBarInput, Cell(input, input));
    QString options = OptionsText(game.Options);
    if (game.Practice) {
      const QString range = Tr(kPracticeText)
                                .arg(TimePanelClock(game.PracticeFromMs), TimePanelClock(game.PracticeToMs))
                                .arg(std::lround(game.PracticeSpeed * kPercent));
      options = range + QStringLiteral(" / ") + options;
    }
    m_games->setItem(row, kGameOptions, Cell(options, options));
  }
  m_gameTable->setModel(m_games);
  m_gameTable->resizeColumnsToContents();
}

void TRecordsWindow::OpenSongAt(int row) {
  if (row < 0 || row >= m_shownSongs->rowCount()) return;
  const QString path = m_shownSongs->index(row, kSongTitle).data(kPathRole).toString();
  if (!QFileInfo(path).isFile()) {
    m_status->setText(Tr(kFileMissing));
    return;
  }
  m_status->clear();
  if (m_openSong) m_openSong(path);
}

QString TRecordsWindow::OptionsText(const TGameOptions& options) {
  QStringList parts;
  if (options.RainSpeed != kBaseRainSpeed) {
    parts << QStringLiteral("HI-SPEED ") + FactorText(static_cast<double>(options.RainSpeed) / kBaseRainSpeed);
  }
  if (options.Hidden) parts << QStringLiteral("HIDDEN");
  if (options.Sudden) parts << QStringLiteral("SUDDEN");
  if (options.LaneMode != kLaneModeNormal) parts << QString::fromStdString(options.LaneMode);
  QStringList off;
  for (int c = 0; c < kRecordChannelCount; ++c) {
    if (!options.Channels[static_cast<size_t>(c)]) off << QString::number(c + 1);
  }
  if (!off.isEmpty()) parts << QStringLiteral("CH OFF ") + off.join(QLatin1Char(','));
  if (std::abs(options.MusicSpeed - kNormalSpeed) > 1e-9) parts << QStringLiteral("SPEED ") + FactorText(options.MusicSpeed);
  if (options.BarHalfWidth == kInfiniteBarHalfWidth) {
    parts << QStringLiteral("BAR ∞");
  } else if (options.BarHalfWidth != kBaseBarHalfWidth) {
    // The bar's option, found by the half length it gives (the halved bar is 7).
    double factor = static_cast<double>(options.BarHalfWidth) / kBaseBarHalfWidth;
    for (const TOptionValue& value : kBarLengthValues) {
      if (BarHalfWidthFor(value.Factor) == options.BarHalfWidth) factor = value.Factor;
    }
    parts << QStringLiteral("BAR ") + FactorText(factor);
  }
  if (options.OffsetMs != 0) parts << QStringLiteral("OFFSET %1ms").arg(options.OffsetMs);
  return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(" / "));
}

QString TRecordsWindow::LocalTimeText(const std::string& iso8601) {
  const QDateTime utc = QDateTime::fromString(QString::fromStdString(iso8601), Qt::ISODate);
  if (!utc.isValid()) return QString::fromStdString(iso8601);
  return utc.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}
