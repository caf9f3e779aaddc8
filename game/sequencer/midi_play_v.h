// TMidiPlayV: the game's sequencer. It plays the loaded song through the
// output ports, judges the raindrops against the bar inside its 5 ms timer
// step, and ends a game (voice line, play count, unlock message).
// Threads: Tick runs on the timer thread; everything else on the main thread,
// configuration only while the timer is off. The fields the frame loop reads
// while Tick writes them are atomic. The sequencer owns the song, the output
// ports, its timer and its message window.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "midi/list_int_items.h"
#include "midi/midi_output.h"
#include "midi/mm_timer.h"
#include "platform/kernel/paths.h"
#include "platform/ui/message_window.h"
#include "game/core/bar_motion.h"
#include "game/sequencer/pause_state.h"
#include "game/sequencer/sounding_notes.h"

class TMidiPlayV : public TMidiOutput {
 public:
  using TClock = std::chrono::steady_clock;
  // Where Tick reads the present moment (the steady clock unless an offline
  // renderer drives a virtual one).
  using TClockSource = std::function<TClock::time_point()>;
  // How the count-in waits between its frames (Sleep unless a test makes it instant).
  using TSleepFunction = std::function<void(DWORD Ms)>;

  using TNotifyEvent = std::function<void(TMidiPlayV* Sender)>;
  using TMidiOutTempoEvent = std::function<void(TMidiPlayV* Sender, double aTempo)>;
  using TMidiOutLyricEvent = std::function<void(TMidiPlayV* Sender, const std::string& aStr)>;
  using TMidiOutRhythmEvent = std::function<void(TMidiPlayV* Sender, int32_t aBunshi, int32_t aBunbo, int32_t aDivision)>;
  using TMidiOutVibrantEvent = std::function<void(TMidiPlayV* Sender, int32_t aVibrant, int32_t aRhythm)>;
  using TMidiOutLcdStrEvent = std::function<void(TMidiPlayV* Sender, const std::string& aStr)>;
  using TMidiOutLcdDotEvent = std::function<void(TMidiPlayV* Sender, const TListIntItems& aDots)>;

  static constexpr UINT kTickIntervalMs = 5;
  // The count-in: 101 frames with 10 ms of sleep after each, about one second.
  static constexpr int kCountInFrames = 101;
  static constexpr DWORD kCountInFrameMs = 10;
  // Play-field geometry of the judgement: lanes of 5 pixels, the centre of
  // lane L at x = L * 5 + 2, a drop 2 pixels either side of its centre.
  static constexpr int kLaneWidthPx = 5;
  static constexpr int kLaneCentrePx = 2;
  static constexpr int kDropHalfWidthPx = 2;
  static constexpr int32_t kDefaultTempoUs = TMidiSong::kDefaultTempo;
  // The message the timer thread posts to show an unlock box on the main
  // thread; wParam = the play count that unlocked it.
  static constexpr UINT kUnlockMessage = WM_USER + 1;
  // The message that hands a finished game (one that raised the play count)
  // from the timer thread to the main thread: the counts packed into wParam
  // and lParam.
  static constexpr UINT kGameEndMessage = WM_USER + 2;
  // The message the timer thread posts when the song clock reached
  // LoopEndMs: the step stopped the timer there, the main thread decides.
  static constexpr UINT kLoopEndMessage = WM_USER + 3;

  // What the end of a game hands over to the main thread.
  struct TGameEnd {
    int32_t GoodCount = 0;
    int32_t BadCount = 0;
    int32_t MaxCombo = 0;
    int32_t PlayCount = 0;  // after this game
  };
  // Good and Bad in wParam, MaxCombo and PlayCount in lParam, low half first.
  static std::pair<WPARAM, LPARAM> PackGameEnd(const TGameEnd& Game);
  static TGameEnd UnpackGameEnd(WPARAM WParam, LPARAM LParam);

  // Creates the timer (disabled, 5 ms), reads the play count from the
  // settings file (the game's own unless another one is named), records the
  // owner (the main window) as Form.
  explicit TMidiPlayV(void* Owner = nullptr, std::string SettingsFile = SettingsFilePath());
  // Stops the timer and waits for a step in progress; then the output side
  // frees the buffers and the ports.
  ~TMidiPlayV() override;

  // ---- Main thread ----
  // Disables the timer (waiting for a step in progress), resets and closes
  // the ports; a play count that could not be saved is written once more.
  bool ClosePorts() override;
  // Clears the counters and moves to Ms (clamped into 0 .. EndTime): the next
  // event, the tick position and the beat, time signature, tempo and lyric in
  // force there. Caught flags are kept.
  void Seek(int32_t Ms);
  // Sends what the song set up before PositionMs on every port (the chase,
  // midi/song_chase.h): the last reset exclusive message and those after it,
  // bank, program, controllers, RPN/NRPN, bend and pressure. A port whose
  // song has no reset gets the power-on values of what the song sets later.
  // Nothing at position 0. Main thread, timer off.
  void SendChase();
  // Moves a running game to Ms: the sounding notes are released (note-offs,
  // pedals up), the counters stay, the drops from Ms on may be caught again,
  // the chase is sent, and after the one-second count-in the song goes on
  // from Ms (a paused game moves and stays paused). False when no game runs,
  // during a count-in, or when Stop, Start or ClosePorts came during it.
  bool JumpTo(int32_t Ms);
  // The music's tempo factor; 1.0 for 0 (and for any factor that is not a
  // positive finite number, which could not time anything).
  void SetPlaySpeed(double Factor);
  // Beats per minute of the tempo in force; 0 for a tempo of 0.
  double CurrentBpm() const;
  // The name of track 0 (CP932), empty when there is none.
  std::string TrackTitle() const;
  // Clears Caught, resets the ports, plays the count-in voice, runs the
  // one-second count-in through the application's message pump and idle
  // handler, then enables the timer. False (with the timer off and Playing
  // false) when enabling the timer failed, or when Stop, a new Start or
  // ClosePorts came during the count-in: that game is no longer running.
  bool Start();
  // Disables the timer (waiting for a step in progress unless called by that
  // step), clears Playing and any pause, silences and resets the ports.
  // False on an error.
  bool Stop();
  // Pauses a running game between two steps: the timer stops (so does the
  // song clock), every note struck and not yet released gets its note-off,
  // held sustain pedals are let go; counters, position, tempo and programs
  // stay. During the count-in of Resume it goes back to paused (that count-in
  // ends). False when no game runs, during Start's count-in, or when it is
  // already paused.
  bool Pause();
  // Goes on after Pause: the one-second count-in (the frame loop shows the
  // ready picture over the frozen field), the pedals put back, then the timer
  // again from the same position; nothing is struck again and no drop is
  // judged twice. False when not paused, or when Stop, Start, Pause or
  // ClosePorts came during the count-in.
  bool Resume();
  // True when Index is at or past the last event.
  bool IsAtEnd(int32_t Index) const;
  // Writes PlayCount to the settings file now; false when that failed (the
  // count stays in memory and is written with the next game or at ClosePorts).
  bool SavePlayCount();
  bool PlayCountUnsaved() const { return m_playCountUnsaved.load(std::memory_order_relaxed); }

  // ---- Timer thread (or the main thread while the timer is off) ----
  // One step of ElapsedMs milliseconds: advance the song clock, judge the due
  // drops, send the due events, end the game at the last event. Never throws.
  virtual void Tick(int32_t ElapsedMs);
  virtual void DoStop();
  void DoVibrant(TMidiEventItemVibrant* Item) override;
  void DoTempo(int Tempo) override;
  void DoLyric(const std::string& Text) override;
  void DoLcdStr(const std::string& Text) override;
  void DoLcdDot(TListIntItems& Dots) override;
  void DoRhythm(TMidiEventItemRhythm* Item) override;
  // Sends as the output does and keeps track of the struck notes and pedals.
  void SendShort(int Track, TMidiEventItemShort* Item) override;

  // ---- Seams for offline rendering and tests (main thread, timer off) ----
  void SetClock(TClockSource Clock);
  void SetCountInSleep(TSleepFunction SleepFunction);
  const std::string& SettingsFile() const { return m_settingsFile; }

  TMMTimer Timer;
  std::atomic<double> PlaySpeed{1.0};
  std::atomic<bool> Playing{false};
  std::atomic<int32_t> PlayCount{0};
  // A practice game: its end raises no play count and unlocks nothing.
  std::atomic<bool> Practice{false};
  // Where the song clock stops and kLoopEndMessage goes out (ms); negative: none.
  std::atomic<int32_t> LoopEndMs{-1};
  std::atomic<bool> VoiceOn{false};
  std::atomic<int32_t> BarHalfWidth{0};  // pixels
  std::atomic<TPauseState> PauseState{TPauseState::None};
  // When the last step ran (ns on the steady clock): the position it left
  // is that old. The drawing of a calibrated offset reads it.
  std::atomic<int64_t> StepMomentNs{0};
  void* Form = nullptr;                  // the owner; the mouse x comes from Application()
  // The bar moved by keys or a gamepad (not owned; null: the mouse alone).
  // Set while the timer is off.
  const TBarMotion* BarMotion = nullptr;
  std::string LcdText;                   // last display text (CP932)
  TListIntItems LcdDots;                 // last display dot pattern

  // Published events; the game assigns none. They are called on the thread
  // that performs the event (the timer thread during play).
  TNotifyEvent OnStop;
  TMidiOutTempoEvent OnTempo;
  TMidiOutLyricEvent OnLyric;
  TMidiOutRhythmEvent OnRhythm;
  TMidiOutVibrantEvent OnVibrant;
  TMidiOutLcdStrEvent OnLcdStr;
  TMidiOutLcdDotEvent OnLcdDot;
  // A game that judged at least one drop has ended: called on the main
  // thread, through the message window, after the play count was saved.
  std::function<void(const TGameEnd& Game)> OnGameEnd;
  // The song clock reached LoopEndMs: called on the main thread, through the
  // message window, while the game still runs with its timer off.
  std::function<void()> OnLoopEnd;

 protected:
  // The event's Time mapped back onto the steady clock of the current step:
  // now - (song clock - Time) / PlaySpeed, the song clock taken before its
  // rounding to whole milliseconds. Outside a step: now.
  TMidiDueTime DueTimeFor(const TMidiEventItemStanderd& Item) override;

 private:
  // Where the steps stand; see Tick.
  enum class TStepEnd { Waiting, Reached };

  void TimerHandler();
  // The count-in frames of Start and Resume; false as soon as game is no
  // longer the running one.
  bool RunCountIn(uint32_t Game);
  void SendNow(const std::vector<TSoundingNotes::TMessage>& Messages);
  void Step(int32_t ElapsedMs);
  void AdvanceClock(int32_t ElapsedMs);
  void InterpolateTicks();
  void JudgeDueDrops();
  bool Judged(const TMidiEventItemStanderd& Item) const;
  // The bar's x that judges this step: the mouse, or the path of the keys or
  // the pad at this moment.
  int32_t JudgedBarX() const;
  bool BarCovers(int32_t Lane, int32_t BarX) const;
  TStepEnd SendDueEvents();
  // The step reached LoopEndMs: the clock is held there and the main thread told.
  bool LoopEndReached();
  // Seek without clearing the counters.
  void MoveTo(int32_t Ms);
  void EndOfSong();
  void PostGameEnd(const TGameEnd& Game);
  // Timer off; from any thread but the step's own, also waits until a step
  // in progress has finished, so nothing the caller does next interleaves with it.
  void DisableTimer();
  bool OnStepThread() const;
  LRESULT WindowProcedure(UINT Msg, WPARAM WParam, LPARAM LParam);

  std::string m_settingsFile;
  std::atomic<bool> m_playCountUnsaved{false};

  // Held by every step: Stop, Seek's callers and the destructor wait for it.
  std::mutex m_stepMutex;
  std::atomic<std::thread::id> m_stepThread{};
  // The song clock's rounding remainder (ms) carried to the next step, so
  // that 0.5 and 1.5 times speed keep their true pace. Timer thread.
  double m_stepRemainder = 0.0;
  TClock::time_point m_stepNow{};  // the current step's moment, whole milliseconds
  bool m_inStep = false;
  TClockSource m_clock;
  TSleepFunction m_sleep;

  // Bumped by Start, Stop and ClosePorts: a count-in that finds it changed
  // belongs to a game that is no longer running.
  std::atomic<uint32_t> m_gameGeneration{0};
  std::atomic<bool> m_countingIn{false};  // Start's count-in runs
  // Notes struck and pedals held: written by the sending step, read by Pause.
  TSoundingNotes m_sounding;
  std::atomic<bool> m_saveErrorReported{false};
  std::atomic<bool> m_stepErrorReported{false};
  HWND m_window = nullptr;
};
