// TSongPreview: the song-select window's preview player. It plays about 15 s
// of a song, from its densest part, through the MIDI output the game plays
// through now, at half the music volume, and never while a game runs. Main
// thread; the preview's own timer thread sends the song's events. The
// preview owns its outputs: the one playing and those whose notes are still
// dying away after a stop (each is closed once its release is over).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QTimer;
class TMMTimer;
class TPreviewOutput;

class TSongPreview {
 public:
  using TClock = std::chrono::steady_clock;
  using TClockSource = std::function<TClock::time_point()>;

  static constexpr int32_t kLengthMs = 15000;
  // After a stop the notes get this long to die away before the port closes.
  static constexpr int32_t kReleaseMs = 1000;
  // Half the amplitude is sqrt(1/2) on the expression controller (11), which
  // GM's curve and FluidSynth's default modulator turn into 40 * log10(value
  // / 127) dB, as they do the channel volume (7). Expression, not volume: the
  // game's start resets the controllers (Reset All Controllers), which puts
  // expression back to 127 but keeps the volume, so a halved volume would
  // outlive the preview. Every expression the song sends, its chased value
  // and the default of a channel that has none are sent halved; the song's
  // volumes go out as they are.
  static constexpr double kExpressionFactor = 0.70710678118654752;
  // The expression of a channel the song never sets (GM's power-on value).
  static constexpr int32_t kDefaultExpression = 127;

  // outputDevice: the device id the game's sequencer plays through now
  // (kMidiMapperDevice = -1 for the built-in synthesizer), read at each
  // Play; gameRunning: true while a game runs.
  TSongPreview(std::function<int32_t()> outputDevice, std::function<bool()> gameRunning);
  // Stops with a release; the port closes at once (closing never cuts the notes).
  ~TSongPreview();
  TSongPreview(const TSongPreview&) = delete;
  TSongPreview& operator=(const TSongPreview&) = delete;

  // Stops any preview, loads the file and starts; false when a game runs,
  // the file does not load or the output does not open.
  bool Play(const std::string& path);
  // A release, not a cut: note-offs for the sounding notes and pedals up;
  // the port closes kReleaseMs later.
  void Stop();
  // From Play until Stop or the end of the 15 s.
  bool Playing() const;
  // Where the playing preview starts in its song (ms), -1 when none plays.
  int32_t StartMs() const;

  // The expression (controller 11) value sent for the song's value.
  static int32_t PreviewExpression(int32_t songValue);

  // Tests and offline renderers: the preview reads its moments from clock
  // and runs no timer of its own; Step does what the timers would (sends
  // what is due, ends the preview, closes released ports). Before any Play.
  void DriveByHand(TClockSource clock);
  void Step();

 private:
  // The timer thread's step: sends what is due on the playing output.
  void SendStep();
  // Main thread: ends a preview that has played to its end or met a game,
  // and closes the outputs whose release is over.
  void Housekeeping();
  void StopTimer();
  void KeepHouseWhileBusy();

  std::function<int32_t()> m_outputDevice;
  std::function<bool()> m_gameRunning;
  TClockSource m_clock;
  bool m_byHand = false;
  std::unique_ptr<TMMTimer> m_timer;
  std::unique_ptr<QTimer> m_housekeeping;
  // Held by the timer's step; Stop takes it after the timer is off, so that
  // no step is left running on the output it releases.
  std::mutex m_stepMutex;
  std::unique_ptr<TPreviewOutput> m_current;
  std::atomic<bool> m_playing{false};
  std::vector<std::unique_ptr<TPreviewOutput>> m_releasing;
};
