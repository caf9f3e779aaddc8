#include "game/timing/timing_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "game/menus/main_menu.h"
#include "game/timing/timing_settings.h"

TTimingMenu AddTimingMenu(TMainMenu& menu, const TExtendedSettings& settings) {
  QMenu* play = menu.Item("P1")->menu();
  TTimingMenu items;
  play->addSeparator();
  items.Pause = menu.AddCommand(play, "Pause", QStringLiteral("一時停止(&A)"),
                                QStringLiteral("ゲームをちょっとお休みするよ。もう一度選ぶと続きからだよ。"));
  items.Pause->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_Space)});
  items.Pause->setEnabled(false);
  items.PauseWhenInactive =
      menu.AddCheck(play, "PauseWhenInactive", QStringLiteral("非アクティブ時に一時停止"),
                    QStringLiteral("ほかのウィンドウに移ったら、ゲームを一時停止して待ってるね。"),
                    ReadPauseWhenInactive(settings));
  items.Calibration = menu.AddCommand(play, "TimingCalibration", QStringLiteral("タイミング調整..."),
                                      QStringLiteral("音と雨のタイミングを、お兄ちゃんの環境に合わせるよ。"));
  menu.AddIdleOnly(items.Calibration);
  return items;
}

void ApplyTimingMenuState(const TTimingMenu& items, bool playing) {
  if (items.Pause != nullptr) items.Pause->setEnabled(playing);
}
