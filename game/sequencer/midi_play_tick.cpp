// TMidiPlayV's timer step: the song clock, the catch judgement, sending the
// due events and the end of a game. Runs on the timer thread every 5 ms (or
// on the main thread while the timer is off, for offline rendering and
// tests); the step lock keeps a stopping main thread from interleaving.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <optional>

#include "game/sequencer/game_cues.h"
#include "game/sequencer/midi_play_v.h"
#include "platform/ui/application.h"
#include "platform/ui/message_window.h"
#include "platform/winmm/mmsystem.h"

namespace {

constexpr int kNoteOnStatus = 0x90;
constexpr int kChannelMask = 0x0F;
constexpr uint32_t kMillisecondsPerSecond = 1000;  // tempo is in microseconds per quarter

// The song's note-on when its channel rains, else null.
TMidiEventItemNoteOn* RainingNote(TMidiEventItemStanderd* Item, const TMidiSong& Song) {
  if (Item->Kind != MidiKind::NoteOn) return nullptr;
  auto* note = dynamic_cast<TMidiEventItemNoteOn*>(Item);
  if (note == nullptr) return nullptr;
  const size_t channel = static_cast<size_t>((note->Status - kNoteOnStatus) & kChannelMask);
  return Song.ChannelOn[channel].load(std::memory_order_relaxed) ? note : nullptr;
}

// a + b with 32-bit wrap-around, as the song clock's integers behave.
int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

void TMidiPlayV::Tick(int32_t ElapsedMs) {
  std::lock_guard<std::mutex> step(m_stepMutex);
  m_stepThread.store(std::this_thread::get_id());
  // Whole milliseconds, like the counter the elapsed time was measured on, so
  // that every due time of a step lies on the same grid as PositionMs.
  const TClock::time_point now = m_clock();
  m_stepNow = std::chrono::floor<std::chrono::milliseconds>(now);
  m_inStep = true;
  try {
    Step(ElapsedMs);
    StepMomentNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count(),
                       std::memory_order_relaxed);
  } catch (const std::exception& error) {
    // Nothing may reach the timer's thread: the game ends where it stands.
    if (!m_stepErrorReported.exchange(true)) std::fprintf(stderr, "The song step failed: %s\n", error.what());
    Playing.store(false, std::memory_order_relaxed);
    DisableTimer();
  } catch (...) {
    if (!m_stepErrorReported.exchange(true)) std::fprintf(stderr, "The song step failed\n");
    Playing.store(false, std::memory_order_relaxed);
    DisableTimer();
  }
  m_inStep = false;
  m_stepThread.store(std::thread::id());
}

void TMidiPlayV::Step(int32_t ElapsedMs) {
  AdvanceClock(ElapsedMs);
  InterpolateTicks();
  if (IsAtEnd(NextIndex.load(std::memory_order_relaxed))) {
    // Already at the last event (a one-event song, or a seek to the end):
    // nothing is judged or counted.
    Playing.store(false, std::memory_order_relaxed);
    PositionMs.store(EndTime, std::memory_order_relaxed);
    DoStop();
    DisableTimer();
    return;
  }
  const bool loopEnd = LoopEndReached();
  JudgeDueDrops();
  if (SendDueEvents() == TStepEnd::Reached) {
    EndOfSong();
    return;
  }
  if (loopEnd) {
    DisableTimer();
    PostMessageA(m_window, kLoopEndMessage, 0, 0);
  }
}

bool TMidiPlayV::LoopEndReached() {
  const int32_t loopEnd = LoopEndMs.load(std::memory_order_relaxed);
  if (loopEnd < 0 || PositionMs.load(std::memory_order_relaxed) < loopEnd) return false;
  // Everything before the loop's end is judged and sent, nothing from it on.
  PositionMs.store(loopEnd, std::memory_order_relaxed);
  m_stepRemainder = 0.0;
  return true;
}

void TMidiPlayV::AdvanceClock(int32_t ElapsedMs) {
  // The fraction that rounding to whole milliseconds leaves is carried into
  // the next step: without it 5 ms at half speed would always advance 2 ms
  // (ties go to even) and the music would run at 0.4 instead of 0.5.
  const double scaled = static_cast<double>(ElapsedMs) * PlaySpeed.load(std::memory_order_relaxed) + m_stepRemainder;
  double rounded = std::nearbyint(scaled);
  constexpr double kLowest = std::numeric_limits<int32_t>::min();
  constexpr double kHighest = std::numeric_limits<int32_t>::max();
  if (!(rounded >= kLowest && rounded <= kHighest)) {
    rounded = std::isnan(rounded) ? 0.0 : (rounded < 0 ? kLowest : kHighest);
    m_stepRemainder = 0.0;
  } else {
    m_stepRemainder = scaled - rounded;
  }
  const int32_t step = static_cast<int32_t>(rounded);
  if (WaitRemaining > 0) {
    const int64_t left = static_cast<int64_t>(WaitRemaining) - step;
    WaitRemaining = left > 0 ? static_cast<int32_t>(std::min<int64_t>(left, std::numeric_limits<int32_t>::max())) : 0;
  }
  // The song clock runs on during a wait.
  PositionMs.store(WrappingAdd(PositionMs.load(std::memory_order_relaxed), step), std::memory_order_relaxed);
}

void TMidiPlayV::InterpolateTicks() {
  const int32_t next = NextIndex.load(std::memory_order_relaxed);
  if (next < 0 || next >= Events.Count()) return;
  const TMidiEventItemStanderd* item = Events[next];
  const int32_t tempo = Tempo.load(std::memory_order_relaxed);
  if (tempo == 0) {
    // A tempo of 0 times nothing: the position stays at the next event.
    PositionTicks.store(item->Tick, std::memory_order_relaxed);
    return;
  }
  // (PositionMs - Time) * Division * 1000 div Tempo in 32-bit integers, the
  // products formed left to right and wrapping as they would in 32 bits.
  uint32_t product = static_cast<uint32_t>(PositionMs.load(std::memory_order_relaxed)) - static_cast<uint32_t>(item->Time);
  product *= static_cast<uint32_t>(Division);
  product *= kMillisecondsPerSecond;
  const int64_t quotient = static_cast<int64_t>(static_cast<int32_t>(product)) / tempo;
  PositionTicks.store(static_cast<int32_t>(static_cast<uint32_t>(item->Tick) + static_cast<uint32_t>(quotient)),
                      std::memory_order_relaxed);
}

int32_t TMidiPlayV::JudgedBarX() const {
  const int32_t mouseX = Application().CursorClientX();
  // Keys and the pad move the bar between frames: their path gives where it
  // is at this step, not where the last frame drew it.
  return BarMotion != nullptr ? BarMotion->BarX(mouseX, BarMotion->NowMs()) : mouseX;
}

bool TMidiPlayV::BarCovers(int32_t Lane, int32_t BarX) const {
  // The drop's pixels Lane*5 .. Lane*5+4 overlap the bar's X-half .. X+half.
  // In 64 bits: the mouse x may be anywhere outside the window.
  const int64_t x = BarX;
  const int64_t centre = static_cast<int64_t>(Lane) * kLaneWidthPx + kLaneCentrePx;
  return std::llabs(x - centre) - kDropHalfWidthPx <= BarHalfWidth.load(std::memory_order_relaxed);
}

void TMidiPlayV::JudgeDueDrops() {
  const int count = Events.Count();
  const int32_t position = PositionMs.load(std::memory_order_relaxed);
  const int first = NextIndex.load(std::memory_order_relaxed);
  int k = first;
  // Read once: every drop of this step meets the bar of this moment.
  std::optional<int32_t> barX;
  while (k < count && Events[k]->Time < position && WaitRemaining == 0) {
    TMidiEventItemNoteOn* note = RainingNote(Events[k], *this);
    if (note != nullptr && !barX) barX = JudgedBarX();
    if (note == nullptr || !BarCovers(note->Lane.load(std::memory_order_relaxed), *barX)) {
      ++k;
      continue;
    }
    // A caught drop catches its whole chord: every raining note of the same
    // moment, whatever its lane.
    const int32_t chordTime = note->Time;
    int j = first;
    while (j < count && Events[j]->Time <= chordTime) {
      TMidiEventItemNoteOn* member = RainingNote(Events[j], *this);
      if (member != nullptr && member->Time == chordTime) member->Caught.store(true, std::memory_order_relaxed);
      ++j;
    }
    k = j;
  }
}

TMidiPlayV::TStepEnd TMidiPlayV::SendDueEvents() {
  for (;;) {
    const int32_t index = NextIndex.load(std::memory_order_relaxed);
    TMidiEventItemStanderd* item = Events[index];
    if (item->Time >= PositionMs.load(std::memory_order_relaxed) || WaitRemaining != 0) return TStepEnd::Waiting;
    item->ApplyState();
    item->Execute();
    NextIndex.store(index + 1, std::memory_order_relaxed);
    if (IsAtEnd(index + 1)) return TStepEnd::Reached;
  }
}

void TMidiPlayV::EndOfSong() {
  Playing.store(false, std::memory_order_relaxed);
  PositionMs.store(EndTime, std::memory_order_relaxed);
  DoStop();
  Stop();
  const int32_t good = GoodCount.load(std::memory_order_relaxed);
  const int32_t bad = BadCount.load(std::memory_order_relaxed);
  if (static_cast<int64_t>(good) + bad > 0 && Practice.load(std::memory_order_relaxed)) {
    // A practice game is recorded as such and counts for nothing else.
    if (VoiceOn.load(std::memory_order_relaxed)) sndPlaySoundA(SequencerCues::EndVoice(good, bad).c_str(), SND_ASYNC);
    PostGameEnd(TGameEnd{good, bad, MaxCombo.load(std::memory_order_relaxed), PlayCount.load(std::memory_order_relaxed)});
  } else if (static_cast<int64_t>(good) + bad > 0) {
    if (VoiceOn.load(std::memory_order_relaxed)) sndPlaySoundA(SequencerCues::EndVoice(good, bad).c_str(), SND_ASYNC);
    const int32_t playCount = SequencerCues::RaisedPlayCount(PlayCount.load(std::memory_order_relaxed));
    PlayCount.store(playCount, std::memory_order_relaxed);
    SavePlayCount();
    // The game's record is written on the main thread, never in this step.
    PostGameEnd(TGameEnd{good, bad, MaxCombo.load(std::memory_order_relaxed), playCount});
    // The box is modal: it is shown by the main thread, and this thread goes on.
    if (!SequencerCues::UnlockText(playCount).empty()) {
      PostMessageA(m_window, kUnlockMessage, static_cast<WPARAM>(playCount), 0);
    }
  }
  DisableTimer();
}

TMidiDueTime TMidiPlayV::DueTimeFor(const TMidiEventItemStanderd& Item) {
  if (!m_inStep || !OnStepThread()) return m_clock();
  double speed = PlaySpeed.load(std::memory_order_relaxed);
  if (!(speed > 0.0 && std::isfinite(speed))) speed = 1.0;
  // The song clock before rounding: PositionMs plus the fraction carried on.
  const double songMsLate =
      static_cast<double>(static_cast<int64_t>(PositionMs.load(std::memory_order_relaxed)) - Item.Time) + m_stepRemainder;
  // Past a day the due time means nothing any more; the bound keeps the
  // conversion to clock ticks inside its range.
  constexpr double kLatestMs = 86400000.0;
  const double lateMs = std::clamp(songMsLate / speed, -kLatestMs, kLatestMs);
  return m_stepNow - std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double, std::milli>(lateMs));
}
