// TForm1's practice games: the practice feature made and connected, the
// status text of a practice game in panel 0, and the practice mark on its
// record. Main thread.
#include "game/menus/options.h"
#include "game/play_records/game_recorder.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/practice/practice_mode.h"
#include "game/practice/progress_strip.h"
#include "game/view/draw_area.h"

void TForm1::BuildPractice() {
  TPracticeMode::THost host;
  host.Player = [this] { return m_player; };
  host.Moved = [this] { FirstLiveEvent = 0; };
  host.MusicSpeed = [this] { return MusicSpeedOption(*m_menu).value_or(1.0); };
  host.StripParent = m_drawArea;
  m_practice = new TPracticeMode(*m_menu, *m_extendedSettings, *this, std::move(host));
  m_drawArea->SetTopOverlay(m_practice->Strip(), TProgressStrip::kRows);
}

void TForm1::UpdatePracticeStatus() {
  m_practice->Follow();
  const QString text = m_practice->StatusText();
  if (!text.isEmpty()) {
    m_statusBar->SetPanelText(kHintPanel, text);
    m_practiceTextShown = true;
  } else if (m_practiceTextShown) {
    // The practice game is over: the hint comes back.
    m_statusBar->SetPanelText(kHintPanel, m_hint);
    m_practiceTextShown = false;
  }
}

void TForm1::MarkPracticeRecord() {
  if (!m_practice->PracticeGame()) return;
  const TPracticeRange range = m_practice->PlayedRange();
  m_recorder->MarkPractice(range.FromMs, range.ToMs, m_practice->SpeedFactor());
}
