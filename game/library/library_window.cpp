#include "game/library/library_window.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

#include "game/app/file_dialog.h"
#include "game/app/tr.h"
#include "game/core/extended_settings.h"
#include "game/core/setting_declarations.h"
#include "game/core/translatable.h"
#include "game/library/library_model.h"
#include "game/library/song_library.h"
#include "library/library_store.h"
#include "records/records_database.h"

namespace {

constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 600;
constexpr int kMinimumSide = 200;
constexpr int kFolderListRows = 3;
constexpr char kSizeSeparator = 'x';
constexpr char kWidthSeparator = ',';

constexpr const char* kWindowTitle = Translatable("曲ライブラリ");
constexpr const char* kFilterHint = Translatable("曲名やファイル名、star>3 length<2:30 bpm>=140 played=0 notes>500 でしぼりこめるよ。");
constexpr const char* kUnknownTerms = Translatable("わからない条件: %1");
constexpr const char* kCount = Translatable("%1 / %2曲");
constexpr const char* kScanning = Translatable("曲フォルダを読んでいるよ… %v / %m");
constexpr const char* kCancel = Translatable("やめる");
constexpr const char* kFoldersHeading = Translatable("曲フォルダ");
constexpr const char* kAddFolder = Translatable("追加...");
constexpr const char* kRemoveFolder = Translatable("はずす");
constexpr const char* kRescan = Translatable("再スキャン");
constexpr const char* kChooseFolder = Translatable("曲フォルダを選んでね");
constexpr const char* kLibraryOff = Translatable("曲ライブラリはお休み中だよ。記録のファイルが読めないみたい…。ゲームはそのまま遊べるよ。");
constexpr const char* kNoFolders = Translatable("曲フォルダがまだないよ。「追加...」で教えてね！");
constexpr const char* kNoSongs = Translatable("曲フォルダにMIDIファイルが見つからなかったよ。");
constexpr const char* kFileGone = Translatable("そのファイル、なくなっちゃったみたい…。再スキャンしてみてね。");
constexpr const char* kProblems = Translatable("読めなかったフォルダがあるよ: %1");
constexpr const char* kScanCancelled = Translatable("スキャンをやめたよ。続きは「再スキャン」でね。");

// "760x560" -> the size; false for anything else.
bool ParseSize(const std::string& text, QSize& size) {
  const size_t at = text.find(kSizeSeparator);
  if (at == std::string::npos) return false;
  bool widthOk = false;
  bool heightOk = false;
  const int width = QString::fromStdString(text.substr(0, at)).toInt(&widthOk);
  const int height = QString::fromStdString(text.substr(at + 1)).toInt(&heightOk);
  if (!widthOk || !heightOk || width < kMinimumSide || height < kMinimumSide) return false;
  size = QSize(width, height);
  return true;
}

// What a column typically holds, for its width before the player sets one:
// a long title and file name, the widest figures.
constexpr const char* kColumnSamples[] = {"A fairly long song title", "a_long_file_name_00.mid", "00:00", "00000",
                                          "00.0",                     "000-000",                 "0000",  "100.0%",
                                          "0000",                     "0000/00/00 00:00"};
static_assert(std::size(kColumnSamples) == TLibraryModel::kColumns);
constexpr int kCellPadding = 16;

// A path lies in the folder or below it.
bool Under(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
  return folder.back() == '/' || path[folder.size()] == '/';
}

}  // namespace

TLibraryWindow::TLibraryWindow(QWidget* parent, TSongLibrary& library, TExtendedSettings& settings,
                               TLibraryWindowHost host)
    : QDialog(parent), m_library(library), m_settings(settings), m_host(std::move(host)) {
  setObjectName(QStringLiteral("LibraryWindow"));
  setSizeGripEnabled(true);
  resize(kWindowWidth, kWindowHeight);
  auto* layout = new QVBoxLayout(this);

  auto* filterRow = new QHBoxLayout;
  m_filter = new QLineEdit(this);
  m_filter->setObjectName(QStringLiteral("LibraryFilter"));
  m_filter->setClearButtonEnabled(true);
  m_filter->installEventFilter(this);
  filterRow->addWidget(m_filter, 1);
  m_count = new QLabel(this);
  m_count->setObjectName(QStringLiteral("LibraryCount"));
  filterRow->addWidget(m_count);
  layout->addLayout(filterRow);
  m_unknown = new QLabel(this);
  m_unknown->setObjectName(QStringLiteral("LibraryUnknownTerms"));
  m_unknown->hide();
  layout->addWidget(m_unknown);

  m_model = new TLibraryModel(this);
  m_table = new QTableView(this);
  m_table->setObjectName(QStringLiteral("LibrarySongs"));
  m_table->setModel(m_model);
  m_table->setSortingEnabled(true);
  m_table->sortByColumn(TLibraryModel::kTitle, Qt::AscendingOrder);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setWordWrap(false);
  m_table->verticalHeader()->hide();
  // Rows of one height: the view need not measure ten thousand of them.
  m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->installEventFilter(this);
  layout->addWidget(m_table, 1);

  auto* progressRow = new QHBoxLayout;
  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QStringLiteral("LibraryProgress"));
  progressRow->addWidget(m_progress, 1);
  m_cancel = new QPushButton(this);
  m_cancel->setObjectName(QStringLiteral("LibraryCancel"));
  progressRow->addWidget(m_cancel);
  layout->addLayout(progressRow);
  m_progress->hide();
  m_cancel->hide();

  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("LibraryStatus"));
  m_status->setWordWrap(true);
  layout->addWidget(m_status);
  m_problems = new QLabel(this);
  m_problems->setObjectName(QStringLiteral("LibraryProblems"));
  m_problems->setWordWrap(true);
  m_problems->hide();
  layout->addWidget(m_problems);

  m_foldersHeading = new QLabel(this);
  layout->addWidget(m_foldersHeading);
  auto* folderRow = new QHBoxLayout;
  m_folders = new QListWidget(this);
  m_folders->setObjectName(QStringLiteral("LibraryFolders"));
  m_folders->setMaximumHeight(m_folders->fontMetrics().height() * (kFolderListRows + 1));
  folderRow->addWidget(m_folders, 1);
  auto* buttons = new QVBoxLayout;
  m_add = new QPushButton(this);
  m_add->setObjectName(QStringLiteral("LibraryAddFolder"));
  m_remove = new QPushButton(this);
  m_remove->setObjectName(QStringLiteral("LibraryRemoveFolder"));
  m_rescan = new QPushButton(this);
  m_rescan->setObjectName(QStringLiteral("LibraryRescan"));
  for (QPushButton* button : {m_cancel, m_add, m_remove, m_rescan}) {
    // Enter belongs to the song list: it opens the song.
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  buttons->addWidget(m_add);
  buttons->addWidget(m_remove);
  buttons->addWidget(m_rescan);
  buttons->addStretch();
  folderRow->addLayout(buttons);
  layout->addLayout(folderRow);

  m_previewTimer.setSingleShot(true);
  m_previewTimer.setInterval(kPreviewDelayMs);
  m_progressTimer.setInterval(kProgressIntervalMs);
  connect(&m_previewTimer, &QTimer::timeout, this, [this] { PreviewCurrent(); });
  connect(&m_progressTimer, &QTimer::timeout, this, [this] { UpdateProgress(); });
  connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) { FilterChanged(text); });
  connect(m_filter, &QLineEdit::returnPressed, this, [this] {
    const int row = m_table->currentIndex().isValid() ? m_table->currentIndex().row() : 0;
    OpenRow(row);
  });
  connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { CurrentRowChanged(); });
  connect(m_model, &QAbstractItemModel::modelReset, this, [this] { CurrentRowChanged(); });
  connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { OpenRow(index.row()); });
  connect(m_cancel, &QPushButton::clicked, this, [this] { m_library.Cancel(); });
  connect(m_add, &QPushButton::clicked, this, [this] {
    const std::vector<std::string> folders = m_library.Folders();
    QStringList starts;
    if (!folders.empty()) starts << QString::fromStdString(folders.back());
    starts << QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    QString folder;
    if (m_host.ChooseFolder) {
      folder = m_host.ChooseFolder(starts.constFirst());
    } else {
      QFileDialog dialog(this, Tr(kChooseFolder), DialogStartFolder(starts, GameDataFolder()));
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly, true);
      dialog.setIconProvider(new TPlainFileIcons);
      if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        folder = dialog.selectedFiles().constFirst();
      }
    }
    if (!folder.isEmpty()) AddFolder(folder);
  });
  connect(m_remove, &QPushButton::clicked, this, [this] { RemoveSelectedFolder(); });
  connect(m_rescan, &QPushButton::clicked, this, [this] { Rescan(); });
  m_library.SetScanEnded([this] { ScanEnded(); });

  RestoreGeometry();
  Retranslate();
  ShowFolders();
}

TLibraryWindow::~TLibraryWindow() { m_library.SetScanEnded(nullptr); }

void TLibraryWindow::Retranslate() {
  setWindowTitle(Tr(kWindowTitle));
  m_filter->setPlaceholderText(Tr(kFilterHint));
  m_filter->setToolTip(Tr(kFilterHint));
  m_progress->setFormat(Tr(kScanning));
  m_cancel->setText(Tr(kCancel));
  m_foldersHeading->setText(Tr(kFoldersHeading));
  m_add->setText(Tr(kAddFolder));
  m_remove->setText(Tr(kRemoveFolder));
  m_rescan->setText(Tr(kRescan));
  m_model->Retranslate();
  FilterChanged(m_filter->text());
  ShowCount();
}

void TLibraryWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) Retranslate();
  QDialog::changeEvent(event);
}

void TLibraryWindow::showEvent(QShowEvent* event) {
  Reload();
  UpdateProgress();
  if (m_library.Scanning()) m_progressTimer.start();
  QDialog::showEvent(event);
  m_filter->setFocus();
}

void TLibraryWindow::hideEvent(QHideEvent* event) {
  m_progressTimer.stop();
  StopPreview();
  SaveGeometry();
  QDialog::hideEvent(event);
}

void TLibraryWindow::Reload() {
  std::vector<TLibraryRow> rows;
  try {
    if (m_database == nullptr) m_database = std::make_unique<TRecordsDatabase>(m_library.DatabasePath());
    rows = TLibraryStore(*m_database).Rows();
    m_off = false;
  } catch (const std::exception&) {
    // A records file that cannot be read: the library is off, the game goes on.
    m_database.reset();
    m_off = true;
  }
  // Rows of folders no longer listed stay in the table until a scan drops
  // them; the window lists only what lies under the folders.
  std::vector<std::string> folders;
  for (const std::string& folder : m_library.Folders()) {
    folders.push_back(QFile::encodeName(QString::fromStdString(folder)).toStdString());
  }
  std::erase_if(rows, [&folders](const TLibraryRow& row) {
    return std::none_of(folders.begin(), folders.end(), [&row](const std::string& folder) { return Under(row.Path, folder); });
  });
  m_model->SetRows(std::move(rows));
  if (m_off) {
    m_status->setText(Tr(kLibraryOff));
  } else if (folders.empty()) {
    m_status->setText(Tr(kNoFolders));
  } else if (m_model->SongCount() == 0 && !m_library.Scanning()) {
    m_status->setText(Tr(kNoSongs));
  } else {
    m_status->clear();
  }
  ShowCount();
}

void TLibraryWindow::FilterChanged(const QString& text) {
  TLibraryFilter filter(text.toStdString());
  QStringList unknown;
  for (const std::string& term : filter.UnknownTerms()) unknown << QString::fromStdString(term);
  m_unknown->setText(Tr(kUnknownTerms).arg(unknown.join(QStringLiteral(", "))));
  m_unknown->setVisible(!unknown.isEmpty());
  m_model->SetFilter(std::move(filter));
  ShowCount();
}

void TLibraryWindow::ShowCount() { m_count->setText(Tr(kCount).arg(m_model->ShownCount()).arg(m_model->SongCount())); }

void TLibraryWindow::CurrentRowChanged() {
  // A new selection ends the preview of the last one; its own starts when
  // the player rests on it.
  StopPreview();
  if (m_table->currentIndex().isValid() && isVisible()) m_previewTimer.start();
}

void TLibraryWindow::PreviewCurrent() {
  const QModelIndex current = m_table->currentIndex();
  if (!current.isValid() || !m_host.Preview) return;
  const TLibraryModel::TSong& song = m_model->ShownSong(current.row());
  if (song.Gone || song.Row.Error) return;
  m_previewing = true;
  m_host.Preview(song.Row.Path);
}

void TLibraryWindow::StopPreview() {
  m_previewTimer.stop();
  if (m_previewing && m_host.StopPreview) m_host.StopPreview();
  m_previewing = false;
}

void TLibraryWindow::OpenRow(int row) {
  if (row < 0 || row >= m_model->ShownCount()) return;
  const TLibraryModel::TSong& song = m_model->ShownSong(row);
  // The first of its places where the file still is.
  QString path;
  for (const std::string& place : song.Paths) {
    const QString name = QFile::decodeName(place.c_str());
    if (QFileInfo(name).isFile()) {
      path = name;
      break;
    }
  }
  if (path.isEmpty()) {
    m_model->MarkGone(row);
    m_status->setText(Tr(kFileGone));
    return;
  }
  StopPreview();
  m_status->clear();
  if (m_host.OpenSong) m_host.OpenSong(path);
  accept();
}

void TLibraryWindow::ShowFolders() {
  m_folders->clear();
  for (const std::string& folder : m_library.Folders()) m_folders->addItem(QString::fromStdString(folder));
}

void TLibraryWindow::AddFolder(const QString& folder) {
  std::vector<std::string> folders = m_library.Folders();
  const std::string added = QDir::cleanPath(folder).toStdString();
  if (std::find(folders.begin(), folders.end(), added) == folders.end()) folders.push_back(added);
  m_library.SetFolders(folders);
  ShowFolders();
  Rescan();
}

void TLibraryWindow::RemoveSelectedFolder() {
  const int row = m_folders->currentRow();
  std::vector<std::string> folders = m_library.Folders();
  if (row < 0 || row >= static_cast<int>(folders.size())) return;
  folders.erase(folders.begin() + row);
  m_library.SetFolders(folders);
  ShowFolders();
  Reload();
  Rescan();
}

void TLibraryWindow::Rescan() {
  m_problems->hide();
  m_library.Scan();
  m_progressTimer.start();
  UpdateProgress();
}

void TLibraryWindow::UpdateProgress() {
  const bool scanning = m_library.Scanning();
  m_progress->setVisible(scanning);
  m_cancel->setVisible(scanning);
  if (!scanning) {
    m_progressTimer.stop();
    return;
  }
  const TLibraryScanner::TProgress progress = m_library.Progress();
  // Nothing found yet: a busy bar.
  m_progress->setMaximum(static_cast<int>(std::min<int64_t>(progress.Found, INT32_MAX)));
  m_progress->setValue(static_cast<int>(std::min(progress.Done, progress.Found)));
}

void TLibraryWindow::ScanEnded() {
  UpdateProgress();
  const TLibraryScanner::TResult& result = m_library.LastResult();
  QStringList problems;
  for (const std::string& problem : result.Problems) problems << QString::fromStdString(problem);
  // Reported once, in one line, for the scan that met them.
  m_problems->setText(Tr(kProblems).arg(problems.join(QStringLiteral(", "))));
  m_problems->setVisible(!problems.isEmpty());
  Reload();
  if (result.DatabaseOff) {
    m_off = true;
    m_status->setText(Tr(kLibraryOff));
  } else if (result.Cancelled) {
    m_status->setText(Tr(kScanCancelled));
  }
}

QString TLibraryWindow::RowsText(const std::vector<int>& rows) const {
  QStringList lines;
  for (const int row : rows) {
    QStringList cells;
    for (int column = 0; column < TLibraryModel::kColumns; ++column) {
      cells << m_model->index(row, column).data().toString();
    }
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.join(QLatin1Char('\n')) + (lines.isEmpty() ? QString() : QStringLiteral("\n"));
}

void TLibraryWindow::CopySelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  QApplication::clipboard()->setText(RowsText(rows));
}

bool TLibraryWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == m_table) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (m_table->currentIndex().isValid()) OpenRow(m_table->currentIndex().row());
      return true;
    }
    if (key->matches(QKeySequence::Copy)) {
      CopySelectedRows();
      return true;
    }
  } else if (watched == m_filter && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown)) {
    // From the filter straight into the list.
    m_table->setFocus();
    if (!m_table->currentIndex().isValid() && m_model->ShownCount() > 0) m_table->selectRow(0);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TLibraryWindow::RestoreGeometry() {
  QSize size;
  if (ParseSize(m_settings.String(kLibraryWindowSizeSetting), size)) resize(size);
  const QFontMetrics cells = m_table->fontMetrics();
  const QFontMetrics headers = m_table->horizontalHeader()->fontMetrics();
  for (int column = 0; column < TLibraryModel::kColumns; ++column) {
    const QString header = m_model->headerData(column, Qt::Horizontal).toString();
    m_table->setColumnWidth(column, std::max(cells.horizontalAdvance(QString::fromLatin1(kColumnSamples[column])),
                                             headers.horizontalAdvance(header)) +
                                        kCellPadding);
  }
  const QStringList widths = QString::fromStdString(m_settings.String(kLibraryColumnWidthsSetting)).split(QLatin1Char(kWidthSeparator));
  for (int column = 0; column < std::min<int>(widths.size(), TLibraryModel::kColumns); ++column) {
    bool ok = false;
    const int width = widths[column].toInt(&ok);
    if (ok && width > 0) m_table->setColumnWidth(column, width);
  }
}

void TLibraryWindow::SaveGeometry() {
  m_settings.SetString(kLibraryWindowSizeKey,
                       QStringLiteral("%1%2%3").arg(width()).arg(QLatin1Char(kSizeSeparator)).arg(height()).toStdString());
  QStringList widths;
  for (int column = 0; column < TLibraryModel::kColumns; ++column) widths << QString::number(m_table->columnWidth(column));
  m_settings.SetString(kLibraryColumnWidthsKey, widths.join(QLatin1Char(kWidthSeparator)).toStdString());
}
