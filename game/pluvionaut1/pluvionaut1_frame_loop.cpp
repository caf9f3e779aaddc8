// TForm1's frame loop: the idle handler and the frame-rate timer.
#include <QApplication>

#include <climits>

#include "game/pluvionaut1/cursor_publisher.h"
#include "game/frame/drawn_position.h"
#include "game/frame/play_field.h"
#include "game/play_records/game_recorder.h"
#include "game/library/library_menu.h"
#include "game/play_records/records_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/practice/practice_mode.h"
#include "game/sequencer/window_player.h"
#include "game/app/tr.h"
#include "library/difficulty.h"
#include "platform/kernel/cp932.h"

void TForm1::ApplicationEvents1Idle(void* /*Sender*/, bool& Done) {
  // The menus follow the play count on every call, active or not.
  m_menu->ApplyVisibility(PlayCount());
  if (m_recordsMenu) m_recordsMenu->ApplyVisibility(PlayCount());
  if (m_libraryMenu) m_libraryMenu->ApplyVisibility(PlayCount());
  m_practice->ApplyVisibility(m_menu->OpenVisible());
  const bool acceptFiles = m_menu->OpenVisible();
  if (acceptDrops() != acceptFiles) setAcceptDrops(acceptFiles);

  // A box of the game's own (the unlock message) keeps the picture behind it
  // going, so the result screen appears under it.
  if (!isActiveWindow() && !OwnDialogActive()) return;  // Done stays True: wait for the next event
  if (FrameCount != INT_MAX) ++FrameCount;
  // The judgement reads the cursor from here when it has not moved over the
  // drawing (it may be outside the window).
  m_cursor->PublishFromCursor();
  PollBarInputs();

  DrawFrame();
  // The menus follow the game also while the device cannot draw, so that
  // Stop stays reachable.
  m_menu->ApplyPlayingState(Playing());
  ApplyTimingMenuState(m_timingMenu, Playing());

  UpdateStatusReadouts();
  UpdatePracticeStatus();
  Done = false;
}

bool TForm1::OwnDialogActive() const {
  const QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal->parentWidget() == this && modal->isActiveWindow();
}

bool TForm1::DrawFrame() {
  if (!m_playField || m_player == nullptr) return false;
  TPlayField& field = *m_playField;
  // The window's state goes in; the first live event comes back, as the
  // frame advances it.
  field.FirstLiveEvent = FirstLiveEvent;
  field.RainSpeed = RainSpeed;
  field.RainChannels = RainChannels;
  field.TutorialSong = TutorialSong;
  TFrameInput input;
  input.Playing = Playing();
  input.PlayCount = PlayCount();
  input.MouseX = BarX();
  input.BarHalfWidth = m_barHalfWidth;
  input.Hidden = m_menu->Checked("Hidden");
  input.Sudden = m_menu->Checked("Sudden");
  // A practice game is never a best: its result shows no records.
  input.RecordsOn = m_recorder != nullptr && m_recorder->Recording() && !m_practice->PracticeGame();
  input.HasBest = m_bestBeforeGame.has_value();
  if (m_bestBeforeGame) {
    input.BestGood = m_bestBeforeGame->BestGood;
    input.BestBad = m_bestBeforeGame->BestBad;
  }
  // The result screen's difficulty, in the language of the moment.
  if (!input.Playing && m_gameDifficulty >= 0.0) {
    const QString line = Tr("難易度 %1").arg(QString::fromStdString(DifficultyText(m_gameDifficulty)));
    input.DifficultyLine = Utf8ToCp932(line.toStdString());
  }
  input.Pause = m_player->PauseState();
  // The offset is real time; the drawing moves in song time, and makes up
  // for the age of the last step while the song clock runs.
  input.OffsetSongMs = FrameOffsetSongMs(m_offsetMs, m_player->MsSinceStep(), m_player->PlaySpeed());
  const bool drawn = field.Frame(m_player->Song(), input);
  FirstLiveEvent = field.FirstLiveEvent;
  return drawn;
}

void TForm1::UpdateStatusReadouts() {
  int good = 0;
  int bad = 0;
  double bpm = 0.0;
  int positionMs = 0;
  int endTime = 0;
  if (m_player != nullptr) {
    good = m_player->GoodCount();
    bad = m_player->BadCount();
    bpm = m_player->CurrentBpm();
    positionMs = m_player->PositionMs();
    endTime = m_player->EndTime();
  }
  m_statusBar->SetPanelText(kGoodPanel, GoodPanelText(good));
  m_statusBar->SetPanelText(kBadPanel, BadPanelText(bad));
  m_statusBar->SetPanelText(kBpmPanel, BpmPanelText(bpm));
  m_statusBar->SetPanelText(kTimePanel, TimePanelText(positionMs, endTime));
}

void TForm1::FramerateTimerTimer() {
  m_statusBar->SetPanelText(kFrameRatePanel, FrameRatePanelText(FrameCount));
  FrameCount = 0;
}
