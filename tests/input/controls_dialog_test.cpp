// The controls dialog: a key is changed by a click and the next key, a key
// another action uses is refused with a line naming that action, accepting
// writes the keys and the dead zone to the file, cancelling writes nothing;
// the menu item is in 再生 and only while no game runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <unistd.h>

#include "game/core/extended_settings.h"
#include "game/input/controls_dialog.h"
#include "game/input/key_bindings.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "platform/kernel/paths.h"
#include "tests/support/fake_player.h"
#include "tests/support/qt_test_app.h"

namespace {

class ControlsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_controls_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  std::string iniPath;
};

}  // namespace

TEST_F(ControlsDialogTest, AKeyInUseIsRefusedByNameAndAcceptingWritesTheKeysAndTheDeadZone) {
  TExtendedSettings settings(iniPath);
  {
    TControlsDialog dialog(nullptr, settings);
    EXPECT_EQ(dialog.Bindings().Of(TKeyAction::Left), (QList<int>{Qt::Key_Left, Qt::Key_Z}));
    EXPECT_DOUBLE_EQ(dialog.DeadZoneBox()->value(), kPadDeadZoneDefault);
    // Z walks left already: refused, the message names 左キー.
    EXPECT_FALSE(dialog.Bind(TKeyAction::Right, Qt::Key_Z));
    EXPECT_TRUE(dialog.MessageLine()->text().contains(QStringLiteral("左キー")))
        << dialog.MessageLine()->text().toStdString();
    EXPECT_EQ(dialog.Bindings().Of(TKeyAction::Right), (QList<int>{Qt::Key_Right, Qt::Key_X}));
    // Clicked, the button takes the next key.
    QTest::mouseClick(dialog.KeyButton(TKeyAction::Left), Qt::LeftButton);
    EXPECT_EQ(dialog.Waiting(), static_cast<int>(TKeyAction::Left));
    QTest::keyClick(dialog.KeyButton(TKeyAction::Left), Qt::Key_A);
    EXPECT_EQ(dialog.Waiting(), -1);
    EXPECT_EQ(dialog.Bindings().Of(TKeyAction::Left), QList<int>{Qt::Key_A});
    // Escape, once the pause's, is refused for the dash and closes nothing.
    QTest::mouseClick(dialog.KeyButton(TKeyAction::Dash), Qt::LeftButton);
    QTest::keyClick(dialog.KeyButton(TKeyAction::Dash), Qt::Key_Escape);
    EXPECT_TRUE(dialog.MessageLine()->text().contains(QStringLiteral("一時停止キー")));
    EXPECT_EQ(dialog.Bindings().Of(TKeyAction::Dash), QList<int>{Qt::Key_Shift});
    // Z is free now: it may dash.
    EXPECT_TRUE(dialog.Bind(TKeyAction::Dash, Qt::Key_Z));
    dialog.DeadZoneBox()->setValue(0.3);
    dialog.accept();
  }
  const TExtendedSettings again(iniPath);
  EXPECT_EQ(again.String(kLeftKeySetting), "A");
  EXPECT_EQ(again.String(kDashKeySetting), "Z");
  EXPECT_EQ(again.String(kRightKeySetting), "Right; X");
  EXPECT_EQ(again.String(kPadDeadZoneSetting), "0.30");
  const TKeyBindings read = ReadKeyBindings(again);
  EXPECT_EQ(read.Of(TKeyAction::Dash), QList<int>{Qt::Key_Z});
  EXPECT_DOUBLE_EQ(ReadPadDeadZone(again), 0.3);
  // Outside 0.05 .. 0.50 the default stands.
  settings.SetString(kPadDeadZoneKey, "0.51");
  EXPECT_DOUBLE_EQ(ReadPadDeadZone(settings), kPadDeadZoneDefault);

  // Cancelled: nothing changes.
  {
    TControlsDialog dialog(nullptr, settings);
    EXPECT_TRUE(dialog.Bind(TKeyAction::Left, Qt::Key_Q));
    dialog.reject();
  }
  EXPECT_EQ(TExtendedSettings(iniPath).String(kLeftKeySetting), "A");
}

TEST_F(ControlsDialogTest, TheItemStandsInThePlayMenuOnlyWhileNoGameRuns) {
  TFakePlayer player;
  TForm1 form;
  form.SetPlayer(&player);
  QAction* item = form.MainMenu1().Item("Controls");
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(form.MainMenu1().Item("P1")->menu()->actions().contains(item));
  EXPECT_FALSE(item->statusTip().isEmpty());
  form.MainMenu1().ApplyPlayingState(false);
  EXPECT_TRUE(item->isEnabled());
  form.MainMenu1().ApplyPlayingState(true);
  EXPECT_FALSE(item->isEnabled());
}
