// A player with only the keys plays the whole tutorial in the real window
// with its real sequencer: before every 5 ms step it looks at the next drop
// and holds Left, Right and Shift to bring the bar under it, as a person
// watching the rain would, and the judgement catches the drops on the keys'
// path; without the keys the same bar catches next to nothing.
#include <gtest/gtest.h>

#include <QApplication>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "game/core/bar_motion.h"
#include "game/input/bar_keys.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/sequencer/midi_play_v.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "platform/winmm/recording_midi_out.h"
#include "tests/support/qt_test_app.h"

namespace {

constexpr int kStepMs = static_cast<int>(TMidiPlayV::kTickIntervalMs);
constexpr int kStepLimit = 10 * 60 * 1000 / kStepMs;
// Close enough: the bar is 31 px wide at the designed length.
constexpr int kNearPx = 4;
// Further than this the player dashes.
constexpr int kDashFromPx = 60;
constexpr double kLeastGoodShare = 0.9;

// The lane centre of the next drop not judged yet (the one of its chord
// nearest to the bar), or -1 at the song's end.
int NextDropX(const TMidiPlayV& player, int barX) {
  const int32_t position = player.PositionMs.load();
  int32_t chordTime = -1;
  int best = -1;
  for (int i = 0; i < player.Events.Count(); ++i) {
    const auto* note = dynamic_cast<const TMidiEventItemNoteOn*>(player.Events[i]);
    if (note == nullptr || note->Time < position || note->GetByte(2) == 0) continue;
    if (chordTime >= 0 && note->Time != chordTime) break;
    chordTime = note->Time;
    const int x = note->Lane.load() * TMidiPlayV::kLaneWidthPx + 2;
    if (best < 0 || std::abs(x - barX) < std::abs(best - barX)) best = x;
  }
  return best;
}

}  // namespace

TEST(TutorialByKeysTest, APlayerPressingKeysCatchesTheTutorialsDrops) {
  TestApp();
  const auto dir = std::filesystem::temp_directory_path() / ("pluv_tutorial_keys_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  SetSettingsPathForTesting((dir / "pluvionaut.ini").string());
  const int device = static_cast<int>(InstallRecordingMidiOutDevice().DeviceId());
  {
    TForm1 form(nullptr, device);
    form.MainMenu1().SetChecked("VoiceOFF", true);
    TMidiPlayV* player = form.Player();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(form.TutorialSong);
    form.show();
    form.activateWindow();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form.isActiveWindow());
    // The bar's clock is the song's: the steps below are its moments.
    form.BarMotion().SetClock([player] { return static_cast<double>(player->PositionMs.load()); });
    // The pointer rests far off the field and never moves.
    Application().PublishCursorClientX(-100000);
    player->SetCountInSleep([](DWORD) {});
    form.PlayClick();
    ASSERT_TRUE(player->Playing.load());
    player->Timer.SetEnabled(false);
    auto now = std::chrono::floor<std::chrono::milliseconds>(TMidiPlayV::TClock::now());
    player->SetClock([&now] { return now; });

    TBarKeys& keys = form.BarKeys();
    bool left = false;
    bool right = false;
    bool dash = false;
    const auto hold = [&](Qt::Key key, bool& held, bool down) {
      if (held == down) return;
      held = down;
      keys.KeyChanged(key, down, form.BarMotion().NowMs());
    };
    // The first press takes the bar from the pointer, at the field's edge.
    hold(Qt::Key_Right, right, true);
    for (int step = 0; step < kStepLimit && player->Playing.load(); ++step) {
      const int barX = form.BarX();
      const int target = NextDropX(*player, barX);
      const int dx = target < 0 ? 0 : target - barX;
      hold(Qt::Key_Shift, dash, std::abs(dx) > kDashFromPx);
      hold(Qt::Key_Right, right, dx > kNearPx);
      hold(Qt::Key_Left, left, dx < -kNearPx);
      now += std::chrono::milliseconds(kStepMs);
      player->Tick(kStepMs);
    }
    player->SetClock(nullptr);
    ASSERT_FALSE(player->Playing.load()) << "the tutorial did not end";
    const int good = player->GoodCount;
    const int bad = player->BadCount;
    ASSERT_GT(good + bad, 0);
    EXPECT_GE(good, kLeastGoodShare * (good + bad)) << good << " Good, " << bad << " Bad";
    EXPECT_EQ(form.BarMotion().Owner(), TBarInput::Keyboard);
    std::printf("the tutorial by keys: %d Good, %d Bad\n", good, bad);

    // The same tutorial again without a key: the bar stands at the edge and
    // catches next to nothing.
    form.BarMotion().GiveToMouse();
    form.PlayClick();
    ASSERT_TRUE(player->Playing.load());
    player->Timer.SetEnabled(false);
    player->SetClock([&now] { return now; });
    for (int step = 0; step < kStepLimit && player->Playing.load(); ++step) {
      now += std::chrono::milliseconds(kStepMs);
      player->Tick(kStepMs);
    }
    player->SetClock(nullptr);
    EXPECT_LT(player->GoodCount, (1.0 - kLeastGoodShare) * good);
  }
  std::filesystem::remove_all(dir);
}
