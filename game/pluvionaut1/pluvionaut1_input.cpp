// TForm1's keyboard and gamepad: the bar's motion shared with the sequencer,
// the keys and the controllers that move it, the mouse's hand-over, and the
// controls dialog. Main thread.
#include <QAction>
#include <QApplication>

#include <cstdlib>

#include "game/core/bar_motion.h"
#include "game/core/extended_settings.h"
#include "game/input/bar_keys.h"
#include "game/input/controls_dialog.h"
#include "game/input/gamepad.h"
#include "game/input/key_bindings.h"
#include "game/pluvionaut1/cursor_publisher.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/sequencer/window_player.h"

namespace {

// SDL stamps a controller's events when it is asked for them: every 4 ms
// keeps the stamps within a judging step of the stick's real moves.
constexpr int kPadPollMs = 4;

}  // namespace

void TForm1::CreateBarInputs() {
  const auto barX = [this] { return BarX(); };
  const auto mouseX = [this] { return m_cursor->ClientX(); };
  const auto mayMove = [this] { return BarMayMove(); };
  m_barKeys = new TBarKeys(this, *m_barMotion, mayMove, barX, mouseX);
  m_barKeys->SetBindings(ReadKeyBindings(*m_extendedSettings));
  if (m_timingMenu.Pause != nullptr) m_timingMenu.Pause->setShortcuts(m_barKeys->Bindings().PauseShortcuts());
  m_gamepad = std::make_unique<TGamepad>(*m_barMotion, mayMove, barX, mouseX);
  m_gamepad->SetDeadZone(ReadPadDeadZone(*m_extendedSettings));
  m_gamepad->OnStart = [this] {
    if (isActiveWindow() && QApplication::activeModalWidget() == nullptr) PauseClick();
  };
  // A controller pulled out in the middle of a game: the player has lost
  // the bar, so the game waits.
  m_gamepad->OnUnplugged = [this] {
    if (m_player != nullptr && m_player->Playing() && m_player->PauseState() != TPauseState::Paused) {
      m_player->Pause();
    }
  };
  m_padTimer.setInterval(kPadPollMs);
  connect(&m_padTimer, &QTimer::timeout, this, [this] { m_gamepad->Poll(); });
  m_controlsItem = AddControlsItem(*m_menu);
  connect(m_controlsItem, &QAction::triggered, this, [this] { ControlsClick(); });
}

int TForm1::BarX() const { return m_barMotion->BarX(m_cursor->ClientX(), m_barMotion->NowMs()); }

bool TForm1::BarMayMove() const {
  return m_player != nullptr && m_player->Playing() && m_player->PauseState() == TPauseState::None &&
         isActiveWindow() && QApplication::activePopupWidget() == nullptr &&
         QApplication::activeModalWidget() == nullptr;
}

void TForm1::PollBarInputs() {
  m_barMotion->MouseMoved(m_cursor->ClientX());
  m_barKeys->Poll();
  m_gamepad->Poll();
  // No controller, no timer: a machine without one is not woken for it.
  const bool padPlugged = m_gamepad->ControllerCount() > 0;
  if (padPlugged != m_padTimer.isActive()) {
    if (padPlugged) {
      m_padTimer.start();
    } else {
      m_padTimer.stop();
    }
  }
  const int x = BarX();
  if (m_player != nullptr && m_player->Playing() && m_player->PauseState() == TPauseState::None) {
    m_barTravelPx[static_cast<size_t>(m_barMotion->Owner())] += std::abs(x - m_lastBarX);
  }
  m_lastBarX = x;
}

std::string TForm1::MostUsedBarInput() const {
  size_t most = static_cast<size_t>(TBarInput::Mouse);
  for (size_t i = 0; i < m_barTravelPx.size(); ++i) {
    if (m_barTravelPx[i] > m_barTravelPx[most]) most = i;
  }
  switch (static_cast<TBarInput>(most)) {
    case TBarInput::Keyboard:
      return kBarInputKeyboard;
    case TBarInput::Gamepad:
      return kBarInputGamepad;
    case TBarInput::Mouse:
      break;
  }
  return kBarInputMouse;
}

void TForm1::ControlsClick() {
  if (Playing()) return;
  TControlsDialog dialog(this, *m_extendedSettings);
  if (dialog.exec() != QDialog::Accepted) return;
  m_barKeys->SetBindings(ReadKeyBindings(*m_extendedSettings));
  m_timingMenu.Pause->setShortcuts(m_barKeys->Bindings().PauseShortcuts());
  m_gamepad->SetDeadZone(ReadPadDeadZone(*m_extendedSettings));
}
