// The keys in the real window with a stand-in sequencer: they move the bar
// only while a game runs unpaused and the window has them, a held key stops
// at a pause, the mouse takes the bar back past 4 px, and remapped keys
// (a missing or doubled name mended by its default) replace the defaults,
// the pause key included.
#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "game/core/bar_motion.h"
#include "game/core/extended_settings.h"
#include "game/input/bar_keys.h"
#include "game/input/key_bindings.h"
#include "game/pluvionaut1/cursor_publisher.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/view/draw_area.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "tests/support/fake_player.h"
#include "tests/support/qt_test_app.h"

namespace {

class TPausingPlayer : public TFakePlayer {
 public:
  bool Pause() override {
    if (!playing) return false;
    state = TPauseState::Paused;
    return true;
  }
  bool Resume() override {
    if (state != TPauseState::Paused) return false;
    state = TPauseState::None;
    return true;
  }
  TPauseState PauseState() const override { return state; }
  bool Stop() override {
    state = TPauseState::None;
    return TFakePlayer::Stop();
  }
  TPauseState state = TPauseState::None;
};

class BarKeysWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_bar_keys_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
    HeadlessApplication().ClearMessageBoxes();
  }
  void TearDown() override {
    form.reset();
    std::filesystem::remove_all(dir);
  }
  void WriteSettings(const std::string& utf8) { std::ofstream(iniPath, std::ios::binary) << Utf8ToCp932(utf8); }
  void MakeForm() {
    form = std::make_unique<TForm1>();
    form->SetPlayer(&player);
    form->BarMotion().SetClock([this] { return now; });
    Frame();
  }
  void Frame() {
    form->show();
    form->activateWindow();
    QCoreApplication::processEvents();
    bool done = true;
    form->ApplicationEvents1Idle(form.get(), done);
  }
  // The pointer over the drawing at x: where every frame reads it too.
  void Mouse(int x) {
    QCursor::setPos(form->DrawArea()->mapToGlobal(QPoint(x, 30)));
    form->CursorPublisher().Publish(x);
  }
  // The key pressed or released at the clock's moment, as the window gets it.
  void Press(Qt::Key key) { QTest::keyPress(form.get(), key); }
  void Release(Qt::Key key) { QTest::keyRelease(form.get(), key); }
  // The clock runs on by ms (more than an event's longest delivery, so the
  // events' own stamps cannot stand in for the test's clock).
  void Wait(double ms) {
    now += ms;
    Frame();
  }

  std::filesystem::path dir;
  std::string iniPath;
  TPausingPlayer player;
  std::unique_ptr<TForm1> form;
  double now = 100000.0;
};

}  // namespace

TEST_F(BarKeysWindowTest, KeysMoveTheBarOnlyDuringAnUnpausedGameAndTheMouseTakesItBackPastFourPixels) {
  MakeForm();
  Mouse(100);
  // No game: the keys leave the bar at the mouse.
  Press(Qt::Key_Right);
  Wait(400);
  Release(Qt::Key_Right);
  EXPECT_EQ(form->BarMotion().Owner(), TBarInput::Mouse);
  EXPECT_EQ(form->BarX(), 100);

  form->PlayClick();
  EXPECT_EQ(form->MostUsedBarInput(), kBarInputMouse);
  ASSERT_TRUE(player.playing);
  Press(Qt::Key_Right);
  EXPECT_EQ(form->BarMotion().Owner(), TBarInput::Keyboard);
  Wait(400);
  EXPECT_NEAR(form->BarX(), 100 + 400 * kWalkPxPerMs, 1);
  Press(Qt::Key_Shift);
  Wait(100);
  EXPECT_NEAR(form->BarX(), 350 + 100 * kDashPxPerMs, 1);
  Release(Qt::Key_Shift);
  Release(Qt::Key_Right);
  const int stood = form->BarX();
  Wait(300);
  EXPECT_EQ(form->BarX(), stood);

  // Both directions (Z walks left too) stand.
  Press(Qt::Key_Z);
  Press(Qt::Key_Right);
  Wait(300);
  EXPECT_EQ(form->BarX(), stood);
  Release(Qt::Key_Right);
  Release(Qt::Key_Z);

  // Esc pauses: the keys do nothing, the bar stands; Space resumes.
  QTest::keyClick(form.get(), Qt::Key_Escape);
  ASSERT_EQ(player.state, TPauseState::Paused);
  Press(Qt::Key_Left);
  Wait(300);
  EXPECT_EQ(form->BarX(), stood);
  Release(Qt::Key_Left);
  QTest::keyClick(form.get(), Qt::Key_Space);
  ASSERT_EQ(player.state, TPauseState::None);

  // A key held as the game pauses stops with it.
  Press(Qt::Key_Left);
  Wait(200);
  form->PauseClick();
  Frame();
  const int paused = form->BarX();
  EXPECT_NEAR(paused, stood - 200 * kWalkPxPerMs, 1);
  Wait(500);
  EXPECT_EQ(form->BarX(), paused);
  Release(Qt::Key_Left);
  form->PauseClick();

  // The mouse within 4 px keeps the keys' bar; further, it takes it back.
  Mouse(104);
  Frame();
  EXPECT_EQ(form->BarMotion().Owner(), TBarInput::Keyboard);
  EXPECT_EQ(form->BarX(), paused);
  Mouse(95);
  EXPECT_EQ(form->BarMotion().Owner(), TBarInput::Mouse);
  EXPECT_EQ(form->BarX(), 95);
  EXPECT_EQ(Application().CursorClientX(), 95);
  // The keys moved the bar furthest in this game: its record says so.
  EXPECT_EQ(form->MostUsedBarInput(), kBarInputKeyboard);
  Mouse(600);
  Frame();
  Mouse(0);
  Frame();
  EXPECT_EQ(form->MostUsedBarInput(), kBarInputMouse);
}

TEST_F(BarKeysWindowTest, RemappedKeysReplaceTheDefaultsAndFaultyNamesFallBack) {
  WriteSettings(
      "[拡張設定]\r\n左キー=A\r\n右キー=Nonsense\r\nダッシュキー=A\r\n一時停止キー=P\r\n");
  MakeForm();
  const TKeyBindings& keys = form->BarKeys().Bindings();
  EXPECT_EQ(keys.Of(TKeyAction::Left), QList<int>{Qt::Key_A});
  EXPECT_EQ(keys.Of(TKeyAction::Right), (QList<int>{Qt::Key_Right, Qt::Key_X}));
  EXPECT_EQ(keys.Of(TKeyAction::Dash), QList<int>{Qt::Key_Shift});
  EXPECT_EQ(keys.Of(TKeyAction::Pause), QList<int>{Qt::Key_P});
  EXPECT_EQ(form->MainMenu1().Item("Pause")->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::Key_P)});

  Mouse(300);
  form->PlayClick();
  Press(Qt::Key_Left);  // no longer a key of the bar
  Wait(200);
  Release(Qt::Key_Left);
  EXPECT_EQ(form->BarX(), 300);
  Press(Qt::Key_A);
  Wait(200);
  Release(Qt::Key_A);
  EXPECT_NEAR(form->BarX(), 300 - 200 * kWalkPxPerMs, 1);
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_EQ(player.state, TPauseState::None);
  QTest::keyClick(form.get(), Qt::Key_P);
  EXPECT_EQ(player.state, TPauseState::Paused);
}

