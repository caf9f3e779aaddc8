// TGameGraphics: the start-up of the graphics side with the game's pictures,
// and with pictures missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "frame_fixture.h"
#include "platform/kernel/cp932.h"

namespace {

TEST(GameGraphicsTest, BuildsTheDeviceSceneTexturesAndWriter) {
  ResetSoftwareD3DConfig();
  THeadlessWindow window(320, 200);  // the wrapper sizes the client area
  TGameGraphics g(&window);
  EXPECT_EQ(g.VX().Name, "VX");
  ASSERT_NE(g.VX().Device, nullptr);
  EXPECT_EQ(window.ClientWidth(), 640);
  EXPECT_EQ(window.ClientHeight(), 480);
  EXPECT_TRUE(window.Shown());
  EXPECT_FALSE(g.VX().UseREFDevice);
  EXPECT_EQ(g.VX().DebugOption(), TVXDebugOption{});
  ASSERT_NE(g.Scene, nullptr);
  TVXTexture* pictures[] = {g.BallTexture,   g.FlashTexture, g.RainTexture,   g.BackTexture,
                            g.TitleTexture,  g.ResultTexture, g.ReadyTexture, g.GoodTexture,
                            g.BadTexture,    g.NicePlayTexture, g.PerfectPlayTexture};
  for (TVXTexture* t : pictures) {
    ASSERT_NE(t, nullptr);
    EXPECT_GT(t->Width, 0u) << t->FileName;
    EXPECT_EQ(t->Format, D3DFMT_A8R8G8B8) << t->FileName;
    // The keyed splash keeps its changed pixels over a device rebuild.
    EXPECT_EQ(t->Source, t == g.FlashTexture ? TVXTextureSource::Contents : TVXTextureSource::File) << t->FileName;
  }
  EXPECT_EQ(g.BallTexture->FileName, "bmp\\ball.bmp");
  EXPECT_EQ(g.PerfectPlayTexture->FileName, "bmp\\perfectplay.bmp");
  EXPECT_EQ(g.GoodTextTexture->Width, 640u);
  EXPECT_EQ(g.GoodTextTexture->Height, 100u);
  EXPECT_EQ(g.BadTextTexture->Height, 100u);
  EXPECT_EQ(g.TutorialTextTexture->Width, 640u);
  EXPECT_EQ(g.TutorialTextTexture->Height, 50u);
  EXPECT_EQ(g.ScenarioTextTexture->Height, 50u);
  EXPECT_EQ(g.TextWriter().Format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(g.TextWriter().GetFont().Name(), Utf8ToCp932("ＭＳ ゴシック"));
  // Fifteen textures and the scene are registered with the wrapper.
  EXPECT_EQ(g.VX().ResourceList.size(), 16u);
}

// Reads the flash picture's alpha: its white was keyed out, the rest opaque.
TEST(GameGraphicsTest, FlashWhiteIsTransparentAndTheRestOpaque) {
  ResetSoftwareD3DConfig();
  THeadlessWindow window(640, 480);
  TGameGraphics g(&window);
  TVXTexture* flash = g.FlashTexture;
  const RECT all{0, 0, static_cast<LONG>(flash->Width), static_cast<LONG>(flash->Height)};
  const D3DLOCKED_RECT lr = flash->LockRect(0, all, D3DLOCK_READONLY);
  ASSERT_NE(lr.pBits, nullptr);
  int keyed = 0, opaque = 0, other = 0;
  for (UINT y = 0; y < flash->Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch);
    for (UINT x = 0; x < flash->Width; ++x) {
      const uint32_t p = row[x];
      if (p == 0x00FFFFFFu) ++keyed;
      else if ((p >> 24) == 0xFF && (p & 0xFFFFFFu) != 0xFFFFFFu) ++opaque;
      else ++other;
    }
  }
  flash->UnlockRect();
  EXPECT_GT(keyed, 0);
  EXPECT_GT(opaque, 0);
  EXPECT_EQ(other, 0);
}

TEST(GameGraphicsTest, MissingPicturesLeaveEmptyTexturesAndStartUpGoesOn) {
  ResetSoftwareD3DConfig();
  const std::filesystem::path saved = std::filesystem::current_path();
  const std::filesystem::path empty = std::filesystem::temp_directory_path() / "pluv_frame_no_pictures";
  std::filesystem::create_directories(empty);
  std::filesystem::current_path(empty);
  {
    THeadlessWindow window(640, 480);
    TGameGraphics g(&window);
    std::filesystem::current_path(saved);
    EXPECT_EQ(g.BallTexture->Width, 0u);
    EXPECT_EQ(g.RainTexture->Width, 0u);
    EXPECT_EQ(g.GoodTextTexture->Width, 640u);
    // A frame of every screen still draws: the missing pictures draw nothing.
    TPlayField field(g);
    TFrameCapture capture;
    RegisterPresentTarget(window.Handle(), &capture);
    TMidiSong song;
    TFrameInput input;
    EXPECT_TRUE(field.Frame(song, input));
    input.Playing = true;
    field.TutorialSong = true;
    EXPECT_TRUE(field.Frame(song, input));
    UnregisterPresentTarget(window.Handle(), &capture);
    EXPECT_EQ(capture.Frames, 2);
    EXPECT_EQ(capture.At(100, 100), kWhiteRgb);
  }
  std::filesystem::current_path(saved);
  std::filesystem::remove_all(empty);
}

TEST(GameGraphicsTest, FallsBackToA4R4G4B4WithoutA8R8G8B8) {
  ResetSoftwareD3DConfig();
  SoftwareD3DConfig().TextureFormats = {D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
  {
    THeadlessWindow window(640, 480);
    TGameGraphics g(&window);
    EXPECT_EQ(g.BallTexture->Format, D3DFMT_A4R4G4B4);
    EXPECT_EQ(g.ScenarioTextTexture->Format, D3DFMT_A4R4G4B4);
  }
  ResetSoftwareD3DConfig();
}

}  // namespace
