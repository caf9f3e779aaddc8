// TMidiPlayV's life on the main thread: creation, ports, seeking, starting
// with the count-in, stopping, the notifications and the unlock box. The
// timer step is in midi_play_tick.cpp.
#include "game/sequencer/midi_play_v.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <map>

#include "game/sequencer/game_cues.h"
#include "midi/song_chase.h"
#include "platform/kernel/tick_count.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"
#include "platform/winmm/mmsystem.h"

namespace {
constexpr double kMicrosecondsPerMinute = 60000000.0;
constexpr uint64_t kLow32Bits = 0xFFFFFFFFu;
static_assert(sizeof(WPARAM) >= 8 && sizeof(LPARAM) >= 8, "a finished game travels in two 64-bit message words");
constexpr double kNormalSpeed = 1.0;
}  // namespace

TMidiPlayV::TMidiPlayV(void* Owner, std::string SettingsFile)
    : Timer(this), m_settingsFile(std::move(SettingsFile)), m_clock(&TClock::now), m_sleep(&::Sleep) {
  Timer.SetEnabled(false);
  Timer.SetInterval(kTickIntervalMs);
  Timer.OnTimer = [this](TMMTimer*) { TimerHandler(); };
  PlayCount.store(SystemData::ReadPlayCount(m_settingsFile), std::memory_order_relaxed);
  Form = Owner;
  m_window = AllocateHWnd([this](UINT Msg, WPARAM WParam, LPARAM LParam) { return WindowProcedure(Msg, WParam, LParam); });
}

TMidiPlayV::~TMidiPlayV() {
  // Waits for a step in progress; the timer's own destructor then waits for
  // the callback around a step that stopped the timer itself.
  DisableTimer();
  DeallocateHWnd(m_window);
}

// ---- Timer control ----

bool TMidiPlayV::OnStepThread() const { return m_stepThread.load() == std::this_thread::get_id(); }

void TMidiPlayV::DisableTimer() {
  Timer.SetEnabled(false);
  if (OnStepThread()) return;
  // Killing the timer from this thread waits for a callback in progress, but
  // a step that already stopped the timer itself is no longer waited for
  // there: its lock is.
  std::lock_guard<std::mutex> waitForStep(m_stepMutex);
}

void TMidiPlayV::TimerHandler() { Tick(static_cast<int32_t>(Timer.Elapsed())); }

// ---- Ports ----

bool TMidiPlayV::ClosePorts() {
  m_gameGeneration.fetch_add(1);
  DisableTimer();
  if (PlayCountUnsaved()) SavePlayCount();
  return TMidiOutput::ClosePorts();
}

// ---- Position and configuration ----

void TMidiPlayV::Seek(int32_t Ms) {
  GoodCount.store(0, std::memory_order_relaxed);
  BadCount.store(0, std::memory_order_relaxed);
  Combo.store(0, std::memory_order_relaxed);
  MaxCombo.store(0, std::memory_order_relaxed);
  MoveTo(Ms);
}

void TMidiPlayV::MoveTo(int32_t Ms) {
  if (Ms > EndTime) Ms = EndTime;
  if (Ms < 0) Ms = 0;
  PositionMs.store(Ms, std::memory_order_relaxed);
  const int count = Events.Count();
  int next = 0;
  while (next < count && Events[next]->Time < Ms) ++next;
  NextIndex.store(next, std::memory_order_relaxed);
  int32_t ticks = 0;
  if (next < count) {
    ticks = Events[next]->Tick;
  } else if (count > 0) {
    ticks = Events.Last()->Tick;
  }
  PositionTicks.store(ticks, std::memory_order_relaxed);
  UpdateCurrentItems();
  // A pause left over from where the song stood means nothing here: the
  // device is reset before the next game anyway.
  WaitRemaining = 0;
  m_stepRemainder = 0.0;
}

void TMidiPlayV::SendChase() {
  const int32_t position = PositionMs.load(std::memory_order_relaxed);
  if (position <= 0) return;
  std::map<int32_t, TPortChase> ports = ChaseSong(*this, position);
  const std::map<int32_t, TPortChase> whole = ChaseSong(*this, std::numeric_limits<int32_t>::max());
  for (auto& [number, port] : ports) {
    const auto all = whole.find(number);
    if (port.LastReset == nullptr && all != whole.end()) port.Channels.FillDefaultsFrom(all->second.Channels);
  }
  for (const TChaseMessage& message : ChaseMessages(ports)) {
    if (message.Long != nullptr) {
      SendLong(message.Long->Track, message.Long);
      // A reset needs its pause before the next message, as in play.
      if (WaitRemaining > 0) m_sleep(static_cast<DWORD>(WaitRemaining));
      WaitRemaining = 0;
      continue;
    }
    const HMIDIOUT output = DeviceForTrack(message.Track);
    if (output == nullptr) continue;
    midiOutShortMsgAt(output, static_cast<DWORD>(message.Message), m_clock());
    m_sounding.Sent(output, message.Message);  // a pedal put down here is let go by a pause
  }
  DoTempo(Tempo.load(std::memory_order_relaxed));
}

bool TMidiPlayV::JumpTo(int32_t Ms) {
  if (!Playing.load(std::memory_order_relaxed) || m_countingIn.load()) return false;
  const TPauseState state = PauseState.load(std::memory_order_relaxed);
  if (state == TPauseState::Resuming) return false;
  const uint32_t game = m_gameGeneration.fetch_add(1) + 1;
  try {
    DisableTimer();
    if (!Playing.load(std::memory_order_relaxed)) return false;  // that step ended the game
    // A release, not a cut: the notes die away as they would at their note-offs.
    SendNow(m_sounding.ReleaseMessages());
    m_sounding.Clear();
    MoveTo(Ms);
    const int32_t from = PositionMs.load(std::memory_order_relaxed);
    for (TMidiEventItemStanderd* item : Events) {
      if (item->Time < from || item->Kind != MidiKind::NoteOn) continue;
      if (auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item)) note->Caught.store(false, std::memory_order_relaxed);
    }
    SendChase();
    if (state == TPauseState::Paused) return true;
    PauseState.store(TPauseState::Resuming, std::memory_order_relaxed);
    if (!RunCountIn(game)) return false;
    PauseState.store(TPauseState::None, std::memory_order_relaxed);
    Timer.SetEnabled(true);
    return true;
  } catch (const std::exception&) {
    if (m_gameGeneration.load() == game) PauseState.store(TPauseState::Paused, std::memory_order_relaxed);
    return false;
  }
}

void TMidiPlayV::SetPlaySpeed(double Factor) {
  const bool usable = std::isfinite(Factor) && Factor > 0.0;
  PlaySpeed.store(usable ? Factor : kNormalSpeed, std::memory_order_relaxed);
}

double TMidiPlayV::CurrentBpm() const {
  const int32_t tempo = Tempo.load(std::memory_order_relaxed);
  return tempo == 0 ? 0.0 : kMicrosecondsPerMinute / tempo;
}

std::string TMidiPlayV::TrackTitle() const {
  if (Tracks.Count() == 0) return {};
  const TMidiEventItemTrackName* name = Tracks.Track(0)->NameItem;
  return name != nullptr ? name->Text : std::string();
}

bool TMidiPlayV::IsAtEnd(int32_t Index) const { return Index >= Events.Count() - 1; }

void TMidiPlayV::SetClock(TClockSource Clock) { m_clock = Clock ? std::move(Clock) : TClockSource(&TClock::now); }

void TMidiPlayV::SetCountInSleep(TSleepFunction SleepFunction) {
  m_sleep = SleepFunction ? std::move(SleepFunction) : TSleepFunction(&::Sleep);
}

// ---- Start and stop ----

bool TMidiPlayV::RunCountIn(uint32_t Game) {
  auto stillThisGame = [&] { return m_gameGeneration.load() == Game; };
  for (int frame = 0; frame < kCountInFrames; ++frame) {
    Application().ProcessMessages();
    if (!stillThisGame()) return false;
    Application().RunIdleHandler(this);
    if (!stillThisGame()) return false;
    m_sleep(kCountInFrameMs);
  }
  return true;
}

bool TMidiPlayV::Start() {
  const uint32_t game = m_gameGeneration.fetch_add(1) + 1;
  auto stillThisGame = [&] { return m_gameGeneration.load() == game; };
  try {
    // Counting in means the timer is off, also when Start comes without Stop.
    DisableTimer();
    PauseState.store(TPauseState::None, std::memory_order_relaxed);
    for (TMidiEventItemStanderd* item : Events) {
      if (item->Kind != MidiKind::NoteOn) continue;
      if (auto* note = dynamic_cast<TMidiEventItemNoteOn*>(item)) note->Caught.store(false, std::memory_order_relaxed);
    }
    ResetPorts();
    m_sounding.Clear();
    // A game that starts later in the song starts with what the song set up before.
    SendChase();
    Playing.store(true, std::memory_order_relaxed);
    if (VoiceOn.load(std::memory_order_relaxed)) sndPlaySoundA(SequencerCues::StartVoice().c_str(), SND_ASYNC);
    // The count-in: PositionMs is still 0, so the frame loop shows the ready
    // picture. The window's handlers run in here; when one of them stopped
    // or restarted the game, this game is over and must not start its timer.
    m_countingIn.store(true);
    const bool counted = RunCountIn(game);
    if (stillThisGame()) m_countingIn.store(false);
    if (!counted) return false;
    m_stepRemainder = 0.0;
    Timer.SetEnabled(true);
    return true;
  } catch (const std::exception&) {
    if (stillThisGame()) {
      m_countingIn.store(false);
      DisableTimer();
      // No game runs: the frame loop must not wait for one.
      Playing.store(false, std::memory_order_relaxed);
    }
    return false;
  }
}

bool TMidiPlayV::Stop() {
  m_gameGeneration.fetch_add(1);
  m_countingIn.store(false);
  try {
    DisableTimer();
    Playing.store(false, std::memory_order_relaxed);
    PauseState.store(TPauseState::None, std::memory_order_relaxed);
    AllNotesOff();
    ResetPorts();
    AllNotesOff();
    m_sounding.Clear();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// ---- Pause and resume ----

bool TMidiPlayV::Pause() {
  if (!Playing.load(std::memory_order_relaxed) || m_countingIn.load()) return false;
  const TPauseState state = PauseState.load(std::memory_order_relaxed);
  if (state == TPauseState::Paused) return false;
  if (state == TPauseState::Resuming) {
    // The count-in of Resume ends at its next frame; nothing sounds yet.
    m_gameGeneration.fetch_add(1);
    PauseState.store(TPauseState::Paused, std::memory_order_relaxed);
    return true;
  }
  try {
    // Between two steps: the step in progress finishes first.
    DisableTimer();
    // That step may have been the last one.
    if (!Playing.load(std::memory_order_relaxed)) return false;
    PauseState.store(TPauseState::Paused, std::memory_order_relaxed);
    SendNow(m_sounding.ReleaseMessages());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TMidiPlayV::Resume() {
  if (!Playing.load(std::memory_order_relaxed) || PauseState.load(std::memory_order_relaxed) != TPauseState::Paused) {
    return false;
  }
  const uint32_t game = m_gameGeneration.fetch_add(1) + 1;
  try {
    PauseState.store(TPauseState::Resuming, std::memory_order_relaxed);
    if (!RunCountIn(game)) return false;
    SendNow(m_sounding.PedalMessages());
    PauseState.store(TPauseState::None, std::memory_order_relaxed);
    // The first step after enabling gets 0 ms: the song goes on from where
    // it stood, with the rounding remainder it had.
    Timer.SetEnabled(true);
    return true;
  } catch (const std::exception&) {
    if (m_gameGeneration.load() == game) PauseState.store(TPauseState::Paused, std::memory_order_relaxed);
    return false;
  }
}

void TMidiPlayV::SendShort(int Track, TMidiEventItemShort* Item) {
  TMidiOutput::SendShort(Track, Item);
  const HMIDIOUT output = DeviceForTrack(Item->Track);
  if (output != nullptr) m_sounding.Sent(output, static_cast<uint32_t>(Item->Message));
}

void TMidiPlayV::SendNow(const std::vector<TSoundingNotes::TMessage>& Messages) {
  for (const TSoundingNotes::TMessage& m : Messages) midiOutShortMsg(m.Output, static_cast<DWORD>(m.Message));
}

// ---- Play count ----

bool TMidiPlayV::SavePlayCount() {
  const bool saved = SystemData::WritePlayCount(m_settingsFile, PlayCount.load(std::memory_order_relaxed));
  m_playCountUnsaved.store(!saved, std::memory_order_relaxed);
  if (!saved && !m_saveErrorReported.exchange(true)) {
    std::fprintf(stderr, "The play count could not be written to %s; it is kept and written again later\n",
                 m_settingsFile.c_str());
  }
  return saved;
}

// ---- Notifications ----

void TMidiPlayV::DoStop() {
  if (OnStop) OnStop(this);
}

void TMidiPlayV::DoVibrant(TMidiEventItemVibrant* Item) {
  CurrentBeat = Item;
  if (OnVibrant) OnVibrant(this, Item->Vibrant, Item->Rhythm);
}

void TMidiPlayV::DoTempo(int Tempo_) {
  Tempo.store(Tempo_, std::memory_order_relaxed);
  if (OnTempo) OnTempo(this, Tempo_ == 0 ? 0.0 : kMicrosecondsPerMinute / Tempo_);
}

void TMidiPlayV::DoLyric(const std::string& Text) {
  CurrentLyric = Text;
  if (OnLyric) OnLyric(this, CurrentLyric);
}

void TMidiPlayV::DoLcdStr(const std::string& Text) {
  LcdText = Text;
  if (OnLcdStr) OnLcdStr(this, LcdText);
}

void TMidiPlayV::DoLcdDot(TListIntItems& Dots) {
  LcdDots = Dots;
  if (OnLcdDot) OnLcdDot(this, LcdDots);
}

void TMidiPlayV::DoRhythm(TMidiEventItemRhythm* Item) {
  CurrentRhythm = Item;
  if (OnRhythm) OnRhythm(this, Item->Bunshi, Item->Bunbo, Item->ClickClocks);
}

// ---- The unlock box, shown on the main thread ----

TMidiPlayV::TGameEnd TMidiPlayV::UnpackGameEnd(WPARAM WParam, LPARAM LParam) {
  TGameEnd game;
  game.GoodCount = static_cast<int32_t>(static_cast<uint32_t>(WParam & kLow32Bits));
  game.BadCount = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(WParam) >> 32));
  game.MaxCombo = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(LParam) & kLow32Bits));
  game.PlayCount = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(LParam) >> 32));
  return game;
}

std::pair<WPARAM, LPARAM> TMidiPlayV::PackGameEnd(const TGameEnd& Game) {
  const auto wParam = static_cast<WPARAM>(static_cast<uint64_t>(static_cast<uint32_t>(Game.BadCount)) << 32 |
                                          static_cast<uint32_t>(Game.GoodCount));
  const auto lParam = static_cast<LPARAM>(static_cast<uint64_t>(static_cast<uint32_t>(Game.PlayCount)) << 32 |
                                          static_cast<uint32_t>(Game.MaxCombo));
  return {wParam, lParam};
}

void TMidiPlayV::PostGameEnd(const TGameEnd& Game) {
  const auto [wParam, lParam] = PackGameEnd(Game);
  PostMessageA(m_window, kGameEndMessage, wParam, lParam);
}

LRESULT TMidiPlayV::WindowProcedure(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == kLoopEndMessage) {
    if (OnLoopEnd && Playing.load(std::memory_order_relaxed)) OnLoopEnd();
    return 0;
  }
  if (Msg == kGameEndMessage) {
    if (OnGameEnd) OnGameEnd(UnpackGameEnd(WParam, LParam));
    return 0;
  }
  if (Msg != kUnlockMessage) return DefWindowProcA(m_window, Msg, WParam, LParam);
  const std::string text = SequencerCues::UnlockText(static_cast<int32_t>(WParam));
  if (!text.empty()) Application().ShowMessageBox(text, SequencerCues::UnlockCaption(), MB_OK | MB_ICONINFORMATION);
  return 0;
}
