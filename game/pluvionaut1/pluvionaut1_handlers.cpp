// TForm1's menu handlers, OpenSong and dropped files.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "game/play_records/game_recorder.h"
#include "game/pluvionaut1/open_song.h"
#include "game/menus/options.h"
#include "game/timing/timing_settings.h"
#include "game/app/file_dialog.h"
#include "game/core/translatable.h"
#include "game/app/tr.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/practice/practice_mode.h"

#include "game/sound/sound_menu.h"
#include "game/sequencer/window_player.h"
#include "platform/kernel/cp932.h"
#include "platform/ui/application.h"

void TForm1::OpenClick() {
  if (m_player != nullptr) m_player->Stop();
  const QString fileName = ChooseSongFile();
  if (!fileName.isEmpty()) OpenSong(fileName);
}

QString TForm1::ChooseSongFile() {
  if (m_chooseFile) return m_chooseFile();
  // Where the player's songs are: the last one's folder, the most recent
  // song's, the music folder.
  QStringList starts{m_lastSongFile};
  if (m_recorder) {
    const std::vector<TSongSummary> recent = m_recorder->RecentSongs();
    if (!recent.empty()) starts << QFile::decodeName(recent.front().Path.c_str());
  }
  starts << QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  TOpenFileDialog dialog(this, QString(), starts);
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setNameFilters(NameFiltersFromFilter(Tr(OpenDialogFilter())));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void TForm1::OpenSong(const QString& fileName) {
  if (!LoadSong(fileName)) ShowLoadError();
}

bool TForm1::LoadSong(const QString& fileName) {
  const QString appTitle = QString::fromLatin1(kApplicationTitle);
  setWindowTitle(appTitle);
  try {
    if (m_player == nullptr) throw std::runtime_error("no sequencer to load the song into");
    // Paths are handed on in the file system's own encoding.
    m_player->LoadFromFile(QFile::encodeName(fileName).toStdString());
    const QString caption = SongCaption(fileName, m_player->TrackTitle());
    setWindowTitle(caption);
    m_player->Seek(0);
    TutorialSong = false;
    m_lastSongFile = fileName;
    m_menu->Item("Play")->setEnabled(true);
    RecordSong(QFile::encodeName(fileName).toStdString(), false);
    return true;
  } catch (...) {
    m_recorder->ClearSong();
    setWindowTitle(appTitle);
    m_menu->Item("Play")->setEnabled(false);
    return false;
  }
}

void TForm1::ShowLoadError() {
  Application().ShowMessageBox(Utf8ToCp932(Tr(LoadErrorText()).toStdString()),
                               Utf8ToCp932(Tr(LoadErrorCaption()).toStdString()), MB_OK | MB_ICONERROR);
}

void TForm1::PlayClick() {
  StopSongPreview();
  if (m_player != nullptr) {
    m_player->Stop();
    m_player->Seek(0);
  }
  m_soundMenu->BeforeGameStart();
  FirstLiveEvent = 0;
  const std::optional<double> playSpeed = MusicSpeedOption(*m_menu);
  RainSpeed = RainSpeedOption(*m_menu);
  RainChannels = RainChannelsOption(*m_menu);
  const int barHalfWidth = BarHalfWidthOption(*m_menu);
  m_barHalfWidth = barHalfWidth;
  const bool voiceOn = m_menu->Checked("VoiceON");
  m_offsetMs = ReadOffsetMs(*m_extendedSettings);
  // The permutation is drawn whatever the lane mode, so the generator's
  // sequence does not depend on the options.
  const TLanePermutation permutation = MakeLanePermutation();
  const TLaneMode laneMode = LaneModeOption(*m_menu);
  if (m_player == nullptr) return;
  if (playSpeed) m_player->SetPlaySpeed(*playSpeed);
  m_player->SetChannelOn(RainChannels);
  m_player->SetBarHalfWidth(barHalfWidth);
  m_player->SetVoiceOn(voiceOn);
  m_player->AssignLanes(FirstLiveEvent,
                        [&](int note) { return LaneForNote(laneMode, note, permutation); });
  TGameOptions recorded;
  recorded.RainSpeed = RainSpeed;
  recorded.Hidden = m_menu->Checked("Hidden");
  recorded.Sudden = m_menu->Checked("Sudden");
  recorded.LaneMode = LaneModeName(laneMode);
  recorded.Channels = RainChannels;
  recorded.MusicSpeed = playSpeed.value_or(1.0);
  recorded.BarHalfWidth = barHalfWidth;
  BeginRecordedGame(recorded);
  MeasureGameDifficulty(recorded);
  m_practice->BeginGame();
  m_player->Start();
}

void TForm1::StopClick() {
  if (m_player == nullptr) return;
  // A practice game that loops never reaches the end of the song: Stop ends
  // it, and what it judged is kept as a practice game.
  const bool practice = m_practice->Active();
  const int good = m_player->GoodCount();
  const int bad = m_player->BadCount();
  const int maxCombo = m_player->MaxCombo();
  m_player->Stop();
  m_player->Seek(0);
  if (practice && good + bad > 0) GameEnded(good, bad, maxCombo);
}

void TForm1::Exit1Click() { close(); }

void TForm1::ALLONClick() { SetAllChannels(*m_menu, true); }

void TForm1::ALLOFFClick() { SetAllChannels(*m_menu, false); }

void TForm1::WMDropFiles(const QStringList& fileNames) {
  raise();
  activateWindow();
  if (m_player != nullptr) m_player->Stop();
  // Only the first file counts; its name is taken whole, however long. The
  // error box of a file that does not load comes after the drop is over, so
  // the file manager the file came from is not held until it is answered.
  if (!fileNames.isEmpty() && !LoadSong(fileNames.constFirst())) {
    QTimer::singleShot(0, this, [this] { ShowLoadError(); });
  }
}

void TForm1::OpenCommandLineFile(const QString& fileName) {
  if (fileName.isEmpty()) return;
  if (m_menu->OpenVisible()) {
    WMDropFiles({fileName});
    return;
  }
  // Songs of one's own open only after the first game, also this way.
  DisplayHint(Tr(StatusText("曲を開けるのは、一回遊んでからだよ。まずはチュートリアルをやってみてね。")));
}

QStringList TForm1::LocalFiles(const QMimeData* mime) {
  QStringList files;
  if (mime == nullptr || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (m_menu->OpenVisible() && !LocalFiles(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TForm1::dropEvent(QDropEvent* event) {
  const QStringList files = LocalFiles(event->mimeData());
  if (!m_menu->OpenVisible() || files.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  WMDropFiles(files);
}
