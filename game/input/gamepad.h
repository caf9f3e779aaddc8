// TGamepad: game controllers through SDL2's game-controller API. The left
// stick moves the bar at a speed proportional to its deflection past the
// dead zone, up to dash speed; the D-pad walks; A or the right trigger
// dashes; Start asks to pause or resume. The first controller that moves
// takes the bar; controllers come and go while the game runs, and one
// unplugged is reported (the window pauses a running game). Without
// controllers, or when SDL's joystick support does not start, it does
// nothing and says nothing. No Qt here.
// Main thread only: Poll drains SDL's events (the window calls it every
// frame). Refers to the motion (owned by the window).
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "game/core/bar_motion.h"

struct _SDL_GameController;

class TGamepad {
 public:
  // The right trigger counts as held past this part of its travel.
  static constexpr double kTriggerDashFraction = 0.5;

  // mayMove, barX and mouseX as for the keys: whether the bar may move now,
  // where it is drawn now, and the cursor.
  TGamepad(TBarMotion& motion, std::function<bool()> mayMove, std::function<int()> barX,
           std::function<int()> mouseX);
  ~TGamepad();
  TGamepad(const TGamepad&) = delete;
  TGamepad& operator=(const TGamepad&) = delete;

  // SDL's game controllers started (false: the pad does nothing).
  bool Available() const { return m_available; }
  void SetDeadZone(double deadZone) { m_deadZone = deadZone; }
  double DeadZone() const { return m_deadZone; }
  // Opened controllers.
  int ControllerCount() const { return static_cast<int>(m_controllers.size()); }

  // Handles every event SDL has gathered: controllers added and removed,
  // stick, triggers and buttons.
  void Poll();

  std::function<void()> OnStart;      // Start was pressed
  std::function<void()> OnUnplugged;  // an opened controller went away

 private:
  void Added(int deviceIndex);
  void Removed(int32_t instance);
  // The controller instance changed its state at atMs (SDL's clock mapped
  // onto the motion's).
  void Moved(int32_t instance, double atMs);
  void StopIfIdle(double atMs);

  TBarMotion& m_motion;
  std::function<bool()> m_mayMove;
  std::function<int()> m_barX;
  std::function<int()> m_mouseX;
  bool m_available = false;
  double m_deadZone = 0.15;
  std::map<int32_t, _SDL_GameController*> m_controllers;  // by SDL's instance id
  int32_t m_active = -1;                                 // the controller that has the bar
  TEventTimeMap m_times;
  bool m_moving = false;
};
