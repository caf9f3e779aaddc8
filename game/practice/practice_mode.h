// TPracticeMode: the practice item of 再生(P) and what it does to a game
// started while it is checked (a practice game): the keys that seek, set the
// A and B marks, jump back and set the practice speed, the A-B loop with its
// passes, the progress strip with its click-to-seek, and the text of status
// panel 0. With the item off nothing here
// touches a game. Main thread only; it owns its actions (children of the
// window it is given) and refers to the player the window names.
#pragma once

#include <QObject>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

#include "game/core/practice_rules.h"

class QAction;
class QWidget;
class TExtendedSettings;
class TMainMenu;
class TProgressStrip;
class TWindowPlayer;

class TPracticeMode : public QObject {
 public:
  // Seek steps of PageUp and PageDown.
  static constexpr int32_t kSeekStepMs = 5000;

  struct THost {
    std::function<TWindowPlayer*()> Player;
    // The song moved (the drawing starts its drops again from the first event).
    std::function<void()> Moved;
    // The designed music-speed factor the game was started with.
    std::function<double()> MusicSpeed;
    // Where the progress strip lives (the drawing area, which places it).
    QWidget* StripParent = nullptr;
  };

  // Adds "練習モード" to 再生(P) (idle only, checked as the settings say) and
  // the practice keys to window.
  TPracticeMode(TMainMenu& menu, TExtendedSettings& settings, QWidget& window, THost host);

  QAction* Item() const { return m_item; }
  // The progress strip, shown in practice games only.
  TProgressStrip* Strip() const { return m_strip; }
  // Once a frame: the strip follows the song, and hides outside practice games.
  void Follow();
  // The item is shown with Open.
  void ApplyVisibility(bool openVisible);
  // A game is starting: it is a practice game when the item is checked.
  void BeginGame();
  // A practice game runs (begun and not yet over).
  bool Active() const;
  // The game begun last is a practice game (also after its end).
  bool PracticeGame() const { return m_game; }
  // The text of status panel 0 in a practice game: the pass of the loop with
  // its counts, or the practice speed; empty outside practice games.
  QString StatusText() const;
  // The part of the song the game played and its practice speed (a factor).
  TPracticeRange PlayedRange() const;
  double SpeedFactor() const { return m_speed.Factor(); }

  // The key operations (also the tests' way in).
  void SetA();
  void SetB();
  void JumpToA();
  void Seek(int32_t Ms);
  void SeekBy(int32_t DeltaMs);
  void Slower();
  void Faster();
  const TPracticeLoop& Loop() const { return m_loop; }
  const TPracticePasses& Passes() const { return m_passes; }
  int SpeedPercent() const { return m_speed.Percent(); }

 private:
  TWindowPlayer* RunningPlayer() const;
  void AddKey(QWidget& window, const char* name, const QList<QKeySequence>& keys, std::function<void()> action);
  // The loop's end goes to the player; a loop just completed starts at A.
  void ApplyLoop(bool startAtA);
  void LoopEnded();
  void ApplySpeed();

  TExtendedSettings& m_settings;
  THost m_host;
  QAction* m_item = nullptr;
  TProgressStrip* m_strip = nullptr;  // a child of the strip's parent
  bool m_game = false;  // the game begun last is a practice game
  TPracticeLoop m_loop;
  TPracticePasses m_passes;
  TPracticeSpeed m_speed;
  int32_t m_playedFromMs = 0;
  int32_t m_playedToMs = 0;
};
