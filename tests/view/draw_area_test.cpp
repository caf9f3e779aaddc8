#include "game/view/draw_area.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenuBar>

#include <vector>

#include "game/pluvionaut1/form_owner_window.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/core/voice_cues.h"
#include "gfx/vextral.h"
#include "platform/d3d9/d3d9.h"
#include "platform/kernel/paths.h"
#include "tests/support/qt_test_app.h"

namespace {

TEST(DrawAreaTest, WhiteUntilTheFirstFrame) {
  TestApp();
  TDrawArea area(nullptr);
  EXPECT_EQ(area.size(), QSize(640, 480));
  EXPECT_TRUE(area.Frame().isNull());
  const QImage shown = area.grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::white));
  EXPECT_EQ(shown.pixelColor(639, 479), QColor(Qt::white));
}

TEST(DrawAreaTest, APresentedFrameIsCopiedRowByRowAndShown) {
  TestApp();
  TDrawArea area(nullptr);
  // A pitch wider than the row, as back buffers may have.
  constexpr int kWidth = 640;
  constexpr int kHeight = 480;
  constexpr int kPitchPixels = 648;
  std::vector<uint32_t> pixels(static_cast<std::size_t>(kPitchPixels) * kHeight, 0xFF0000FFu);
  pixels[0] = 0xFFFF0000u;                                      // top left red
  pixels[static_cast<std::size_t>(kPitchPixels) * 479 + 639] = 0xFF00FF00u;  // bottom right green
  pixels[static_cast<std::size_t>(kPitchPixels) * 10 + 640] = 0xFFFFFFFFu;   // outside the row: ignored
  area.PresentFrame(pixels.data(), kWidth, kHeight, kPitchPixels * 4);
  pixels.assign(pixels.size(), 0);  // the lent buffer is gone after the call
  ASSERT_EQ(area.Frame().size(), QSize(kWidth, kHeight));
  EXPECT_EQ(area.Frame().pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(area.Frame().pixel(639, 479), 0xFF00FF00u);
  EXPECT_EQ(area.Frame().pixel(639, 10), 0xFF0000FFu);
  const QImage shown = area.grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(shown.pixelColor(320, 240), QColor(0, 0, 255));
  // Nothing to copy: the last frame stays.
  area.PresentFrame(nullptr, kWidth, kHeight, kPitchPixels * 4);
  area.PresentFrame(pixels.data(), 0, 0, 0);
  EXPECT_EQ(area.Frame().pixel(0, 0), 0xFFFF0000u);
}

class FormDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    SetSettingsPathForTesting(::testing::TempDir() + "pluv_draw_area_test.ini");
    SetVoiceLineOutput(nullptr);
  }
  void TearDown() override { ResetVoiceLineOutput(); }
};

TEST_F(FormDeviceTest, TheOwnerWindowIsTheDrawing) {
  TForm1 form;
  TOwnerWindow& owner = form.OwnerWindow();
  EXPECT_EQ(owner.Handle(), reinterpret_cast<HWND>(form.DrawArea()));
  EXPECT_EQ(owner.ClientWidth(), 640);
  EXPECT_EQ(owner.ClientHeight(), 480);
  EXPECT_EQ(owner.Left(), 152);
  EXPECT_EQ(owner.Top(), 160);
  EXPECT_GE(owner.Height(), 480 + form.menuBar()->sizeHint().height());
  EXPECT_EQ(FindPresentTarget(owner.Handle()), static_cast<IPresentTarget*>(form.DrawArea()));
  // Same client size at another place, shown.
  owner.SetWindowPos(200, 210, owner.Width(), owner.Height(), true);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(owner.Left(), 200);
  EXPECT_EQ(owner.Top(), 210);
  EXPECT_EQ(owner.ClientWidth(), 640);
  EXPECT_EQ(owner.ClientHeight(), 480);
}

TEST_F(FormDeviceTest, TheWindowLeavesThePresentationRegistryWithIt) {
  HWND handle = nullptr;
  {
    TForm1 form;
    handle = form.OwnerWindow().Handle();
    ASSERT_NE(FindPresentTarget(handle), nullptr);
  }
  EXPECT_EQ(FindPresentTarget(handle), nullptr);
}

TEST_F(FormDeviceTest, TheDeviceWrapperPresentsIntoTheDrawing) {
  TForm1 form;
  TVextral vx(&form.OwnerWindow());
  vx.Name = "VX";
  vx.Loaded();
  vx.InitWindowMode(640, 480, {}, 0, 1, 0, 0);
  ASSERT_NE(vx.Device, nullptr);
  EXPECT_EQ(form.OwnerWindow().ClientWidth(), 640);
  EXPECT_EQ(form.OwnerWindow().ClientHeight(), 480);
  ASSERT_EQ(vx.Device->BeginScene(), D3D_OK);
  ASSERT_EQ(vx.Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(vx.Device->EndScene(), D3D_OK);
  ASSERT_EQ(vx.Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  ASSERT_EQ(form.DrawArea()->Frame().size(), QSize(640, 480));
  EXPECT_EQ(form.DrawArea()->Frame().pixel(100, 100) & 0xFFFFFFu, 0x336699u);
  // The status bar still lies over the frame's bottom rows.
  const QImage shown = form.DrawArea()->grab().toImage();
  EXPECT_EQ(shown.pixelColor(100, 100), QColor(0x33, 0x66, 0x99));
  EXPECT_NE(shown.pixelColor(400, 470), QColor(0x33, 0x66, 0x99));
}

}  // namespace
