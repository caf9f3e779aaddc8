// Where a stream's buffers lie on the steady clock. The device asks for a
// buffer when it has room for one, so its callbacks come at a fixed pace; the
// thread that serves them may be woken late, but a device never asks before it
// has room. The earliest callbacks therefore mark the line: one that comes
// earlier than the line moves it at once, one that comes later is jitter
// unless every callback stays late for kSettleNs (the stream stopped for a
// while and now plays everything that much later), and then the line follows
// by the least of those lateness figures. A difference of more than kJumpNs
// (a new stream's start-up pause, a long stall) moves the line at once.
//
// Every time the line moves a millisecond or more later, the stream has
// stalled: Stalls() counts them, the new stream's start-up pause included.
//
// A sound server that has gone away makes every write fail at once, and the
// stream then asks for buffers as fast as they can be made: Racing() tells the
// callback so, to keep it to the pace of a real device, and Lost() says that
// it has happened again and again (a new stream that fills a large buffer
// races once at most). Audio thread only.
#pragma once

#include <cstdint>

class TStreamClock {
 public:
  static constexpr std::int64_t kJumpNs = 50'000'000;
  static constexpr std::int64_t kSettleNs = 50'000'000;
  static constexpr std::int64_t kStallNs = 1'000'000;
  // Racing: a second of audio asked for within a quarter of a second.
  static constexpr std::int64_t kPaceWindowNs = 1'000'000'000;
  static constexpr std::int64_t kRacingShare = 4;
  static constexpr int kLostAfterRacingWindows = 3;

  // Forgets the line: the next callback sets it afresh (a new stream).
  void Reset() { *this = TStreamClock(); }

  // The steady-clock moment (ns) of the buffer that begins renderedNs into the
  // stream, for a callback made at nowNs.
  std::int64_t Place(std::int64_t nowNs, std::int64_t renderedNs);

  int Stalls() const { return m_stalls; }
  bool Racing() const { return m_racing; }
  bool Lost() const { return m_racingWindows >= kLostAfterRacingWindows; }

 private:
  void WatchPace(std::int64_t nowNs, std::int64_t renderedNs);
  void Move(std::int64_t byNs);

  bool m_anchored = false;
  std::int64_t m_anchorNs = 0;  // steady-clock moment of the stream's first frame
  bool m_late = false;          // every callback since m_lateSinceNs came after the line
  std::int64_t m_lateSinceNs = 0;
  std::int64_t m_leastLateNs = 0;
  int m_stalls = 0;
  std::int64_t m_paceWallNs = 0;
  std::int64_t m_paceRenderedNs = 0;
  bool m_racing = false;
  int m_racingWindows = 0;
};
