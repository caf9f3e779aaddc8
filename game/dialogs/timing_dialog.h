// TTimingDialog (タイミング調整): a metronome (side stick on channel 10 at
// 100 BPM) through the game's MIDI output with a flash on each beat; the
// player taps Space or clicks on every beat heard, and after enough good taps
// the dialog proposes the offset, which a slider can adjust. Accepting saves
// it under "オフセット"; cancelling keeps the old value. Main thread only.
// Refers to the output handle and the settings (owned by the window).
#pragma once

#include <QDialog>
#include <QTimer>

#include <chrono>

#include "game/timing/offset_calibration.h"
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

  // One tap at a moment of the steady clock (Space and clicks come here).
  void Tap(TClock::time_point at);
  // The slider's value: the offset that accepting saves.
  int ChosenOffsetMs() const;
  const TOffsetCalibration& Calibration() const { return m_calibration; }
  // The first beat's due moment (the metronome started when the dialog was made).
  TClock::time_point FirstBeat() const { return m_firstBeat; }
  // Starts the taps and the beats again.
  void Restart();
  // The metronome at the moment now: hands the beats due soon to the output
  // and lights the flash during a beat (the dialog's timer calls it).
  void Pump(TClock::time_point now);

  // Saves the chosen offset, then closes.
  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void SendBeat(TClock::time_point due);
  void UpdateTexts();
  void UpdateSliderLabel();

  HMIDIOUT m_output;
  TExtendedSettings& m_settings;
  TOffsetCalibration m_calibration;
  TClock::time_point m_firstBeat{};
  int m_beatsSent = 0;      // beats handed to the output (ahead of their due time)
  int m_beatsFlashed = 0;   // beats shown
  TClock::time_point m_flashOff{};
  QTimer m_timer;
  QWidget* m_flash = nullptr;
  QLabel* m_guide = nullptr;
  QLabel* m_status = nullptr;
  QSlider* m_slider = nullptr;
  QLabel* m_sliderValue = nullptr;
  QPushButton* m_ok = nullptr;
};
