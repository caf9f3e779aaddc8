// Game controllers through SDL's virtual joysticks (no device needed): the
// stick's deflection past the dead zone sets the bar's speed, the D-pad
// walks and A or the right trigger dashes, only a movement takes the bar,
// Start asks for a pause, and a controller pulled out during a game pauses
// it in the real window.
#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <unistd.h>

#include "game/core/bar_motion.h"
#include "game/input/gamepad.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "platform/kernel/paths.h"
#include "tests/support/fake_player.h"
#include "tests/support/qt_test_app.h"

namespace {

constexpr Sint16 kFullAxis = 32767;

// One virtual game controller, attached for the test's life.
class TVirtualPad {
 public:
  TVirtualPad() {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Pluvionaut test pad";
    m_index = SDL_JoystickAttachVirtualEx(&desc);
    if (m_index >= 0) m_joystick = SDL_JoystickOpen(m_index);
  }
  ~TVirtualPad() { Detach(); }
  bool Attached() const { return m_joystick != nullptr; }
  void Axis(SDL_GameControllerAxis axis, double fraction) {
    SDL_JoystickSetVirtualAxis(m_joystick, axis, static_cast<Sint16>(fraction * kFullAxis));
  }
  void Button(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
  }
  void Detach() {
    if (m_joystick == nullptr) return;
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
    SDL_JoystickDetachVirtual(m_index);
  }

 private:
  int m_index = -1;
  SDL_Joystick* m_joystick = nullptr;
};

class GamepadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    motion.SetClock([this] { return now; });
    pad = std::make_unique<TGamepad>(motion, [this] { return mayMove; }, [] { return 320; }, [] { return 320; });
    if (!pad->Available()) GTEST_SKIP() << "SDL's game controllers did not start";
    pad->OnStart = [this] { ++starts; };
    pad->OnUnplugged = [this] { ++unplugged; };
    pad->SetDeadZone(0.15);
    virtualPad = std::make_unique<TVirtualPad>();
    ASSERT_TRUE(virtualPad->Attached()) << SDL_GetError();
    Poll();
    ASSERT_EQ(pad->ControllerCount(), 1);
  }
  void TearDown() override {
    virtualPad.reset();
    pad.reset();
  }
  // SDL hears a virtual joystick's new state at its next update.
  void Poll() {
    now += 10;
    SDL_JoystickUpdate();
    pad->Poll();
  }

  double now = 5000.0;
  bool mayMove = true;
  int starts = 0;
  int unplugged = 0;
  TBarMotion motion;
  std::unique_ptr<TGamepad> pad;
  std::unique_ptr<TVirtualPad> virtualPad;
};

}  // namespace

TEST_F(GamepadTest, TheStickSetsASpeedProportionalPastTheDeadZoneUpToDash) {
  // Inside the dead zone the stick does not take the bar.
  virtualPad->Axis(SDL_CONTROLLER_AXIS_LEFTX, 0.1);
  Poll();
  EXPECT_EQ(motion.Owner(), TBarInput::Mouse);
  virtualPad->Axis(SDL_CONTROLLER_AXIS_LEFTX, 0.575);
  Poll();
  EXPECT_EQ(motion.Owner(), TBarInput::Gamepad);
  EXPECT_NEAR(motion.Velocity(), kDashPxPerMs / 2, 1e-3);
  virtualPad->Axis(SDL_CONTROLLER_AXIS_LEFTX, -1.0);
  Poll();
  EXPECT_NEAR(motion.Velocity(), -kDashPxPerMs, 1e-3);
  // A wider dead zone swallows the same deflection.
  pad->SetDeadZone(0.5);
  virtualPad->Axis(SDL_CONTROLLER_AXIS_LEFTX, -0.45);
  Poll();
  EXPECT_EQ(motion.Velocity(), 0.0);
  virtualPad->Axis(SDL_CONTROLLER_AXIS_LEFTX, -0.75);
  Poll();
  EXPECT_NEAR(motion.Velocity(), -kDashPxPerMs / 2, 1e-3);
  virtualPad->Axis(SDL_CONTROLLER_AXIS_LEFTX, 0.0);
  Poll();
  EXPECT_EQ(motion.Velocity(), 0.0);
}

TEST_F(GamepadTest, TheDPadWalksAndAOrTheRightTriggerDashes) {
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  Poll();
  EXPECT_DOUBLE_EQ(motion.Velocity(), kWalkPxPerMs);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_A, true);
  Poll();
  EXPECT_DOUBLE_EQ(motion.Velocity(), kDashPxPerMs);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_A, false);
  virtualPad->Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.9);
  Poll();
  EXPECT_DOUBLE_EQ(motion.Velocity(), kDashPxPerMs);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  Poll();
  EXPECT_DOUBLE_EQ(motion.Velocity(), -kDashPxPerMs);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  Poll();
  EXPECT_EQ(motion.Velocity(), 0.0);
}

TEST_F(GamepadTest, NothingMovesWhileTheBarMayNotAndStartAndUnpluggingAreReported) {
  mayMove = false;
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  Poll();
  EXPECT_EQ(motion.Owner(), TBarInput::Mouse);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
  Poll();
  mayMove = true;
  virtualPad->Button(SDL_CONTROLLER_BUTTON_START, true);
  Poll();
  virtualPad->Button(SDL_CONTROLLER_BUTTON_START, false);
  Poll();
  EXPECT_EQ(starts, 1);
  virtualPad->Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  Poll();
  ASSERT_EQ(motion.Owner(), TBarInput::Gamepad);
  // Pulled out while walking: reported, and the bar stands.
  virtualPad->Detach();
  Poll();
  EXPECT_EQ(unplugged, 1);
  EXPECT_EQ(pad->ControllerCount(), 0);
  EXPECT_EQ(motion.Velocity(), 0.0);
}

// ===== In the window =====

class TPausingPlayer : public TFakePlayer {
 public:
  bool Pause() override {
    if (!playing) return false;
    paused = true;
    return true;
  }
  bool Resume() override {
    if (!paused) return false;
    paused = false;
    return true;
  }
  TPauseState PauseState() const override { return paused ? TPauseState::Paused : TPauseState::None; }
  bool paused = false;
};

TEST(GamepadWindowTest, StartPausesAndResumesAndAControllerPulledOutPausesTheGame) {
  TestApp();
  const auto dir = std::filesystem::temp_directory_path() / ("pluv_gamepad_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  SetSettingsPathForTesting((dir / "pluvionaut.ini").string());
  {
    TPausingPlayer player;
    TForm1 form;
    form.SetPlayer(&player);
    if (!form.Gamepad().Available()) GTEST_SKIP() << "SDL's game controllers did not start";
    const auto frame = [&] {
      form.show();
      form.activateWindow();
      QCoreApplication::processEvents();
      SDL_JoystickUpdate();
      bool done = true;
      form.ApplicationEvents1Idle(&form, done);
    };
    TVirtualPad virtualPad;
    ASSERT_TRUE(virtualPad.Attached()) << SDL_GetError();
    frame();
    ASSERT_EQ(form.Gamepad().ControllerCount(), 1);
    form.PlayClick();
    ASSERT_TRUE(player.playing);
    virtualPad.Button(SDL_CONTROLLER_BUTTON_START, true);
    frame();
    EXPECT_TRUE(player.paused);
    virtualPad.Button(SDL_CONTROLLER_BUTTON_START, false);
    frame();
    virtualPad.Button(SDL_CONTROLLER_BUTTON_START, true);
    frame();
    EXPECT_FALSE(player.paused);
    virtualPad.Detach();
    frame();
    EXPECT_TRUE(player.paused);
    EXPECT_EQ(form.Gamepad().ControllerCount(), 0);
  }
  std::filesystem::remove_all(dir);
}
