// The bar when keys or a gamepad move it: a path of straight pieces in time,
// each begun where the last one had brought the bar, so that the position at
// any moment (the timer step that judges a drop, the frame that draws the
// bar) is the one the held keys and the stick describe, not the one of the
// last frame. The mouse still owns the bar until a key or the stick takes
// it; moving the mouse by more than kHandOverPx gives it back.
//
// Threads: the main thread takes, moves and gives back the bar; any thread
// reads Owner and XAt (the path's piece is one 64-bit atomic, so a reader
// never sees half of a change). Times are milliseconds of the motion's
// clock (the steady clock unless a test sets its own before any use).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// Which input moves the bar; the number is the one the records store.
enum class TBarInput : uint8_t { Mouse = 0, Keyboard = 1, Gamepad = 2 };

// Walk crosses the 640-pixel field in about a second, dash in half of that;
// no acceleration.
inline constexpr double kWalkPxPerMs = 0.625;
inline constexpr double kDashPxPerMs = 1.25;
// A mouse that moves further than this from where it was when a key took
// the bar takes the bar back.
inline constexpr int kHandOverPx = 4;

// The bar's speed for the held walking keys: both directions, or none, stand.
double KeyVelocity(bool left, bool right, bool dash);
// The bar's speed for a stick deflection (-1 .. 1, negative to the left):
// nothing inside the dead zone, then proportional to the deflection past it,
// up to dash speed at full deflection.
double StickVelocity(double deflection, double deadZone);

class TBarMotion {
 public:
  TBarMotion();

  // The clock every time below is read in, in milliseconds. Set before the
  // motion is shared with another thread.
  void SetClock(std::function<double()> nowMs);
  double NowMs() const { return m_clock(); }

  // Main thread. The keys or the stick take the bar where it stands (x, the
  // bar the player sees) at atMs, not moving yet; mouseX is the cursor at
  // that moment, the reference of the hand-over.
  void Take(TBarInput input, int x, int mouseX, double atMs);
  // From atMs on the bar moves at pxPerMs (negative: to the left), starting
  // where the path has brought it by then. Ignored while the mouse owns it.
  void SetVelocity(double pxPerMs, double atMs);
  // The mouse was published at mouseX: beyond kHandOverPx from the cursor at
  // Take, the mouse owns the bar again. True when it handed over.
  bool MouseMoved(int mouseX);
  // The mouse owns the bar again (a new game, say).
  void GiveToMouse();

  // Any thread.
  TBarInput Owner() const { return m_owner.load(std::memory_order_relaxed); }
  // The bar's centre on the path at atMs, held to the play field
  // (0 .. 639 px); fractions of a pixel included.
  double XAt(double atMs) const;
  // Whole pixels toward minus infinity, as the mouse's x is; with the mouse
  // owning the bar, mouseX itself.
  int BarX(int mouseX, double atMs) const;
  // The speed of the piece in force (px/ms).
  double Velocity() const;

 private:
  struct TPiece {
    double StartX;
    double StartMs;
    double PxPerMs;
  };
  static uint64_t Pack(const TPiece& piece);
  TPiece Unpack(uint64_t packed) const;

  std::function<double()> m_clock;
  std::atomic<TBarInput> m_owner{TBarInput::Mouse};
  // The piece in force: start x (1/64 px), start time (ms after m_epochMs,
  // wrapping), speed (1/16384 px/ms, signed), in one word.
  std::atomic<uint64_t> m_piece{0};
  double m_epochMs = 0.0;  // set with the clock, before the motion is shared
  int m_mouseAtTake = 0;   // main thread
};

// Key events carry the window system's time stamp in milliseconds of its own
// clock (the X server's time on X11). The map puts a stamp on the motion's
// clock by the shortest delivery seen (the clocks run at the same rate, so
// the smallest "received minus stamped" is the offset between them). A stamp
// of 0 (a synthesised event) or one that maps too far back (the window
// system's clock restarted) counts as received now. Main thread.
class TEventTimeMap {
 public:
  static constexpr double kMaxEventAgeMs = 250.0;
  double ToLocalMs(uint64_t eventMs, double receivedMs);

 private:
  bool m_known = false;
  double m_offsetMs = 0.0;
};
