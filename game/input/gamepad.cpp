#include "game/input/gamepad.h"

#include <SDL.h>

#include <cmath>

namespace {

constexpr double kAxisFullScale = 32767.0;

double Axis(SDL_GameController* controller, SDL_GameControllerAxis axis) {
  return std::max(-1.0, SDL_GameControllerGetAxis(controller, axis) / kAxisFullScale);
}

bool Button(SDL_GameController* controller, SDL_GameControllerButton button) {
  return SDL_GameControllerGetButton(controller, button) != 0;
}

}  // namespace

TGamepad::TGamepad(TBarMotion& motion, std::function<bool()> mayMove, std::function<int()> barX,
                   std::function<int()> mouseX)
    : m_motion(motion), m_mayMove(std::move(mayMove)), m_barX(std::move(barX)), m_mouseX(std::move(mouseX)) {
  // The window toolkit owns the process's signals and the window's focus:
  // SDL takes neither, and hears controllers whichever window is in front.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  m_available = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

TGamepad::~TGamepad() {
  if (!m_available) return;
  for (auto& [instance, controller] : m_controllers) SDL_GameControllerClose(controller);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void TGamepad::Poll() {
  if (!m_available) return;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_CONTROLLERDEVICEADDED:
        Added(event.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        Removed(event.cdevice.which);
        break;
      case SDL_CONTROLLERBUTTONDOWN:
        if (event.cbutton.button == SDL_CONTROLLER_BUTTON_START) {
          if (OnStart) OnStart();
          break;
        }
        [[fallthrough]];
      case SDL_CONTROLLERBUTTONUP:
      case SDL_CONTROLLERAXISMOTION:
        Moved(event.cbutton.which, m_times.ToLocalMs(event.common.timestamp, m_motion.NowMs()));
        break;
      default:
        break;
    }
  }
  StopIfIdle(m_motion.NowMs());
}

void TGamepad::Added(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return;
  const int32_t instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  if (m_controllers.count(instance) != 0) {
    SDL_GameControllerClose(controller);  // announced twice: opened once
    return;
  }
  m_controllers[instance] = controller;
}

void TGamepad::Removed(int32_t instance) {
  const auto found = m_controllers.find(instance);
  if (found == m_controllers.end()) return;
  SDL_GameControllerClose(found->second);
  m_controllers.erase(found);
  if (instance == m_active) {
    m_active = -1;
    if (m_motion.Owner() == TBarInput::Gamepad) m_motion.SetVelocity(0.0, m_motion.NowMs());
    m_moving = false;
  }
  if (OnUnplugged) OnUnplugged();
}

void TGamepad::Moved(int32_t instance, double atMs) {
  const auto found = m_controllers.find(instance);
  if (found == m_controllers.end()) return;
  if (m_active >= 0 && m_active != instance && m_controllers.count(m_active) != 0) return;
  SDL_GameController* controller = found->second;
  const bool left = Button(controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  const bool right = Button(controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  const bool dash = Button(controller, SDL_CONTROLLER_BUTTON_A) ||
                    Axis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kTriggerDashFraction;
  // The D-pad walks (and dashes); otherwise the stick sets the speed.
  const double velocity = (left || right) ? KeyVelocity(left, right, dash)
                                          : StickVelocity(Axis(controller, SDL_CONTROLLER_AXIS_LEFTX), m_deadZone);
  if (!m_mayMove()) return;
  if (m_motion.Owner() != TBarInput::Gamepad || m_active != instance) {
    // Only a movement takes the bar: a resting stick's noise does not.
    if (velocity == 0.0) return;
    m_active = instance;
    m_motion.Take(TBarInput::Gamepad, m_barX(), m_mouseX(), atMs);
  }
  m_motion.SetVelocity(velocity, atMs);
  m_moving = velocity != 0.0;
}

void TGamepad::StopIfIdle(double atMs) {
  // Paused, a menu or a dialog: the bar stands until the pad moves again.
  if (m_moving && !m_mayMove()) {
    if (m_motion.Owner() == TBarInput::Gamepad) m_motion.SetVelocity(0.0, atMs);
    m_moving = false;
  }
}
