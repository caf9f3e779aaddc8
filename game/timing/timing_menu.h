// The timing items of the 再生 menu: 一時停止 (Esc and Space too), the check
// item 非アクティブ時に一時停止 and the dialog タイミング調整... (only while no
// game runs). Main thread only; the menu bar owns the actions, this only
// names them.
#pragma once

class QAction;
class TExtendedSettings;
class TMainMenu;

struct TTimingMenu {
  QAction* Pause = nullptr;              // "Pause"
  QAction* PauseWhenInactive = nullptr;  // "PauseWhenInactive"
  QAction* Calibration = nullptr;        // "TimingCalibration"
};

// Adds the items to the end of 再生 with the check mark read from settings.
TTimingMenu AddTimingMenu(TMainMenu& menu, const TExtendedSettings& settings);
// Pause enabled exactly while a game runs (like Stop).
void ApplyTimingMenuState(const TTimingMenu& items, bool playing);
