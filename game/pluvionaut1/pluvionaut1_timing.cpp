// TForm1's timing features: pause and resume, pausing when the window goes to
// the background, and the calibration dialog. Main thread.
#include <QAction>

#include "game/timing/timing_dialog.h"
#include "game/core/extended_settings.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/timing/timing_settings.h"
#include "game/sequencer/window_player.h"

void TForm1::BuildTimingMenu() {
  m_timingMenu = AddTimingMenu(*m_menu, *m_extendedSettings);
  connect(m_timingMenu.Pause, &QAction::triggered, this, [this] { PauseClick(); });
  connect(m_timingMenu.PauseWhenInactive, &QAction::toggled, this,
          [this](bool checked) { m_extendedSettings->SetBool(kPauseWhenInactiveKey, checked); });
  connect(m_timingMenu.Calibration, &QAction::triggered, this, [this] { TimingCalibrationClick(); });
}

void TForm1::PauseClick() {
  if (m_player == nullptr || !m_player->Playing()) return;
  // Resume counts in through the event loop; a second press during that
  // second pauses again.
  if (m_player->PauseState() == TPauseState::None) {
    m_player->Pause();
  } else if (m_player->PauseState() == TPauseState::Paused) {
    m_player->Resume();
  } else {
    m_player->Pause();
  }
}

void TForm1::PauseWhenInactive() {
  if (m_player == nullptr || !m_timingMenu.PauseWhenInactive->isChecked()) return;
  if (!m_player->Playing() || m_player->PauseState() == TPauseState::Paused) return;
  m_player->Pause();
  // No frame is drawn while the window is in the background: show the
  // paused picture now rather than the last running frame.
  DrawFrame();
}

void TForm1::TimingCalibrationClick() {
  if (Playing()) return;
  const HMIDIOUT output = m_player != nullptr ? m_player->OutputHandle() : nullptr;
  TTimingDialog dialog(this, output, *m_extendedSettings);
  dialog.exec();
}
