// TTimingDialog (タイミング調整): two rounds of taps on a metronome at 100
// BPM. In the first the player hears it (a side stick on channel 10 through
// the game's MIDI output) and taps Space or clicks on every beat; in the
// second the sound stops and a square flashes on every beat, and the player
// taps on what they see. The proposed offset is how much later the taps to
// the sound came than the taps to the picture, so that the lag of the
// player's own hand counts in neither. A slider adjusts it; accepting saves
// it under "オフセット", cancelling keeps the old value. Main thread only.
// Refers to the output handle and the settings (owned by the window).
#pragma once

#include <QDialog>
#include <QTimer>

#include <chrono>

#include "game/core/offset_calibration.h"
#include "platform/winmm/mmsystem.h"

class QLabel;
class QPushButton;
class QSlider;
class QWidget;
class TExtendedSettings;

class TTimingDialog : public QDialog {
 public:
  using TClock = std::chrono::steady_clock;

  static constexpr int kBeatsPerMinute = 100;
  static constexpr std::chrono::milliseconds kBeatPeriod{60000 / kBeatsPerMinute};
  static constexpr int kDrumStatus = 0x99;  // note-on, channel 10
  static constexpr int kSideStick = 37;
  static constexpr int kStickVelocity = 100;

  // output: where the metronome plays (nullptr: silent, taps still count).
  TTimingDialog(QWidget* parent, HMIDIOUT output, TExtendedSettings& settings);
  ~TTimingDialog() override;

  enum class TRound { Heard, Seen };

  // One tap at a moment of the steady clock (Space and clicks come here).
  // Enough good taps in the heard round start the seen round.
  void Tap(TClock::time_point at);
  // The slider's value: the offset that accepting saves.
  int ChosenOffsetMs() const;
  TRound Round() const { return m_round; }
  const TOffsetCalibration& Heard() const { return m_heard; }
  const TOffsetCalibration& Seen() const { return m_seen; }
  // The first beat's due moment of the round in progress (each round starts
  // its metronome a moment after it begins).
  TClock::time_point FirstBeat() const { return m_firstBeat; }
  // Starts both rounds again.
  void Restart();
  // The metronome at the moment now: in the heard round hands the beats due
  // soon to the output, in the seen round lights the flash during a beat
  // (the dialog's timer calls it).
  void Pump(TClock::time_point now);

  // Saves the chosen offset, then closes.
  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void StartRound(TRound round);
  void SendBeat(TClock::time_point due);
  void UpdateTexts();
  void UpdateSliderLabel();

  HMIDIOUT m_output;
  TExtendedSettings& m_settings;
  TRound m_round = TRound::Heard;
  TOffsetCalibration m_heard;
  TOffsetCalibration m_seen;
  TClock::time_point m_firstBeat{};
  int m_beatsSent = 0;      // beats of the round handed to the output (ahead of their due time)
  int m_beatsFlashed = 0;   // beats of the round that are due
  TClock::time_point m_flashOff{};
  QTimer m_timer;
  QWidget* m_flash = nullptr;
  QLabel* m_guide = nullptr;
  QLabel* m_status = nullptr;
  QSlider* m_slider = nullptr;
  QLabel* m_sliderValue = nullptr;
  QPushButton* m_ok = nullptr;
};
