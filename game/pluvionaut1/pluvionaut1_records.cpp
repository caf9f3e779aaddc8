// TForm1 and the play records: the recorder beside the settings file, the
// records' menu items, the records window, and what a game hands over (its
// options at Play, its counts at its end).
#include <QFile>

#include <climits>

#include "game/play_records/game_recorder.h"
#include "game/pluvionaut1/open_song.h"
#include "game/app/tr.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/play_records/records_menu.h"
#include "game/play_records/records_window.h"
#include "game/sequencer/window_player.h"
#include "library/difficulty.h"
#include "library/song_facts.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"
#include "records/records_database.h"

void TForm1::CreateRecords() {
  m_recorder = std::make_unique<TGameRecorder>(TRecordsDatabase::PathBesideSettings(SettingsFilePath()), [] {
    Application().ShowMessageBox(Utf8ToCp932(Tr(TGameRecorder::SwitchedOffText()).toStdString()),
                                 Utf8ToCp932(Tr(TGameRecorder::SwitchedOffCaption()).toStdString()),
                                 MB_OK | MB_ICONWARNING);
  });
  m_recordsMenu = std::make_unique<TRecordsMenu>(
      *m_menu, *m_recorder, [this](const QString& path) { OpenRecordedSong(path); }, [this] { ShowRecordsWindow(); });
  if (m_player != nullptr) {
    m_player->SetGameEndHandler([this](int good, int bad, int maxCombo) { GameEnded(good, bad, maxCombo); });
  }
}

void TForm1::RecordSong(const std::string& fileName, bool tutorial) {
  const std::string title = m_player != nullptr ? TrimSongTitle(m_player->TrackTitle()).toStdString() : std::string();
  // The song's facts for its row in the song library (the records window's
  // difficulty); the sequencer is stopped, its song is read here.
  const TSongFacts facts = m_player != nullptr ? FactsOfSong(m_player->Song()) : TSongFacts{};
  m_recorder->SetSong(fileName, title, tutorial, m_player != nullptr ? &facts : nullptr);
}

void TForm1::BeginRecordedGame(const TGameOptions& options) {
  // The sequencer is stopped: the end of a game it finished just before
  // may still wait in the queue, and must reach that game's record, not
  // the one about to begin.
  ProcessPostedMessages();
  TGameOptions withOffset = options;
  // The offset the game plays with, read at Play.
  withOffset.OffsetMs = m_offsetMs;
  if (m_player != nullptr) withOffset.MusicSpeed = m_player->PlaySpeed();
  const int endTime = m_player != nullptr ? m_player->EndTime() : 0;
  m_bestBeforeGame = m_recorder->BeginGame(withOffset, endTime);
  m_barTravelPx = {};
  m_lastBarX = BarX();
}

void TForm1::MeasureGameDifficulty(const TGameOptions& options) {
  m_gameDifficulty = -1.0;
  if (m_player == nullptr) return;
  // The sequencer is stopped: its song is read here on the main thread.
  TDifficultyOptions difficulty;
  difficulty.MusicSpeed = options.MusicSpeed;
  difficulty.BarHalfWidth = options.BarHalfWidth;
  difficulty.Mirror = options.LaneMode == kLaneModeMirror;
  m_gameDifficulty = SongDifficulty(SongDrops(m_player->Song(), options.Channels), difficulty);
}

void TForm1::GameEnded(int good, int bad, int maxCombo) {
  MarkPracticeRecord();
  m_recorder->GameEnded(good, bad, maxCombo, MostUsedBarInput());
  if (m_recordsWindow != nullptr && m_recordsWindow->isVisible()) m_recordsWindow->Refresh();
}

void TForm1::ShowRecordsWindow() {
  if (m_recordsWindow == nullptr) {
    m_recordsWindow = new TRecordsWindow(this, *m_recorder, [this](const QString& path) { OpenRecordedSong(path); });
  }
  if (m_recordsWindow->isVisible()) m_recordsWindow->Refresh();
  m_recordsWindow->show();
  m_recordsWindow->raise();
  m_recordsWindow->activateWindow();
}

void TForm1::OpenRecordedSong(const QString& fileName) {
  if (m_player != nullptr) m_player->Stop();
  OpenSong(fileName);
}
