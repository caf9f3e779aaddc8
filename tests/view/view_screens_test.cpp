// Two screens, 1920 x 1080 and 1024 x 768: a window moved to the small one
// is laid out again for it (x2 no longer fits and falls back to x1, greyed
// out), and moved back it shows the size asked for again.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "game/view/draw_area.h"
#include "game/view/view_menu.h"
#include "game/view/window_view.h"
#include "window_fixture.h"

namespace {

using ScreensTest = WindowTest;

TEST_F(ScreensTest, AMoveToASmallerScreenFallsBackAndTheWayBackRestoresTheSizeAskedFor) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_EQ(screens.size(), 2);
  Create();
  form->show();
  form->MainMenu1().Item("windowscale2")->trigger();
  QCoreApplication::processEvents();
  ASSERT_EQ(form->DrawArea()->PictureRect().size(), QSize(1280, 960));

  form->windowHandle()->setScreen(screens[1]);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->ViewMenu().View().EffectiveScale(), TWindowScale::X1);
  EXPECT_EQ(form->DrawArea()->PictureRect().size(), QSize(640, 480));
  EXPECT_FALSE(form->MainMenu1().Item("windowscale2")->isEnabled());
  EXPECT_TRUE(form->MainMenu1().Checked("windowscale1"));

  form->windowHandle()->setScreen(screens[0]);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->ViewMenu().View().EffectiveScale(), TWindowScale::X2);
  EXPECT_EQ(form->DrawArea()->PictureRect().size(), QSize(1280, 960));
  EXPECT_TRUE(form->MainMenu1().Checked("windowscale2"));
}

}  // namespace
