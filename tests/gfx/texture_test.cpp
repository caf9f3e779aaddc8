// Textures on the software device: sizes, bitmap loading (LoadBMP through the
// loaders), locking, filling, colour keys, saving and rebuilding.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bmp_builder.h"
#include "gfx/vextral9.h"
#include "log_fixture.h"
#include "vha_writer.h"

namespace {

const TVXDebugOption kLogWithoutHalt{vxoDebugMessage, vxoDetailedLog};
const std::vector<D3DFORMAT> kGameFormats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};

class TextureTest : public LogTest {
 protected:
  void Start() {
    m_vx = std::make_unique<TVextral>(&m_window);
    m_vx->SetDebugOption(kLogWithoutHalt);
    m_vx->Loaded();
  }
  void TearDown() override {
    m_vx.reset();
    LogTest::TearDown();
  }
  std::unique_ptr<TVXTexture> MakeTexture(std::vector<D3DFORMAT> formats = kGameFormats) {
    auto t = std::make_unique<TVXTexture>(m_vx.get(), std::move(formats), 0, D3DPOOL_MANAGED, 0, "");
    t->FillColor = 0x00FFFFFFu;
    return t;
  }
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // Pixel (x, y) of level 0 as ARGB.
  static DWORD At(TVXTexture& t, UINT x, UINT y) {
    const D3DLOCKED_RECT lr = t.LockRect(0, RECT{0, 0, static_cast<LONG>(t.AllocWidth), static_cast<LONG>(t.AllocHeight)},
                                         D3DLOCK_READONLY);
    DWORD v = 0;
    const auto* p = static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch + x * t.BytesPerPixel;
    for (UINT i = 0; i < t.BytesPerPixel; ++i) v |= DWORD{p[i]} << (8 * i);
    t.UnlockRect();
    return DecodePixel(v, t.Format);
  }

  THeadlessWindow m_window{64, 64};
  std::unique_ptr<TVextral> m_vx;
};

TBmpLayout Gradient24(int w, int h) {
  TBmpLayout s;
  s.width = w;
  s.height = h;
  s.bitCount = 24;
  s.pixel = [](int x, int y) { return static_cast<uint32_t>(((x & 255) << 16) | ((y & 255) << 8) | 0x5A); };
  return s;
}

}  // namespace

TEST_F(TextureTest, SizesFollowTheDevicesDemands) {
  Start();
  auto t = MakeTexture();
  t->SetSize(100, 50);
  EXPECT_EQ(t->AllocWidth, 100u);
  EXPECT_EQ(t->AllocHeight, 50u);
  EXPECT_EQ(t->MaxU, 1.0f);
  EXPECT_EQ(t->MaxV, 1.0f);
  EXPECT_EQ(t->Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(t->BytesPerPixel, 4u);
  EXPECT_EQ(t->Source, TVXTextureSource::Contents);
  EXPECT_TRUE(HasText("使用されるフォーマットは A8R8G8B8 です"));
  EXPECT_TRUE(HasText("残りテクスチャ容量は、約255.97メガです"));
  SoftwareD3DConfig().TexturePow2Only = true;
  t->SetSize(100, 50);
  EXPECT_EQ(t->AllocWidth, 128u);
  EXPECT_EQ(t->AllocHeight, 64u);
  EXPECT_EQ(t->MaxU, 0.78125f);
  EXPECT_EQ(t->MaxV, 0.78125f);
  EXPECT_TRUE(HasText("テクスチャの再生成に伴い、以前のテクスチャを解放します"));
  SoftwareD3DConfig().TextureSquareOnly = true;
  t->SetSize(100, 50);
  EXPECT_EQ(t->AllocWidth, 128u);
  EXPECT_EQ(t->AllocHeight, 128u);
  EXPECT_EQ(t->MaxV, 0.390625f);
  // A new surface is filled with FillColor.
  EXPECT_EQ(At(*t, 127, 127), 0x00FFFFFFu);
}

TEST_F(TextureTest, FormatChoiceFallsBackToTheBackBuffersFormat) {
  SoftwareD3DConfig().TextureFormats = {D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8};
  Start();
  auto t = MakeTexture();
  EXPECT_EQ(t->ChooseFormat(), D3DFMT_A4R4G4B4);
  auto none = MakeTexture({D3DFMT_DXT1});
  EXPECT_EQ(none->ChooseFormat(), D3DFMT_X8R8G8B8);
  auto empty = MakeTexture({});
  EXPECT_EQ(empty->ChooseFormat(), D3DFMT_X8R8G8B8);
}

TEST_F(TextureTest, TooLargeSizesAreReportedAndLeaveNoSurface) {
  SoftwareD3DConfig().TexturePow2Only = true;
  Start();
  auto t = MakeTexture();
  t->SetSize(0x80000001u, 16);  // must not loop rounding it up
  EXPECT_EQ(t->Surface, nullptr);
  EXPECT_TRUE(HasText("要求されたテクスチャのサイズは大きすぎます。4096 x 4096 以内にして下さい"));
  EXPECT_TRUE(HasText("テクスチャの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )"));
  EXPECT_TRUE(HasText("テクスチャが確保されていません。LockRectの前にSetSizeするか、BMPを読み込んでください"));
}

TEST_F(TextureTest, A300x200BitmapInA512x256Surface) {
  SoftwareD3DConfig().TexturePow2Only = true;
  Start();
  auto t = MakeTexture();
  const std::string path = WriteFile("wide.bmp", MakeBmp(Gradient24(300, 200)));
  t->LoadFromFile(path);
  EXPECT_FALSE(HasText("Error Code"));
  EXPECT_EQ(t->Width, 300u);
  EXPECT_EQ(t->Height, 200u);
  EXPECT_EQ(t->AllocWidth, 512u);
  EXPECT_EQ(t->AllocHeight, 256u);
  EXPECT_EQ(t->Source, TVXTextureSource::File);
  EXPECT_EQ(At(*t, 0, 0), 0xFF00005Au);      // the image's top row is surface row 0
  EXPECT_EQ(At(*t, 299, 199), 0xFF2BC75Au);  // 299 & 255 = 43, 199
  EXPECT_EQ(At(*t, 300, 10), 0x00FFFFFFu);   // right of the image: FillColor
  EXPECT_EQ(At(*t, 10, 200), 0x00FFFFFFu);   // below the image
  EXPECT_TRUE(HasText("のテクスチャに、" + path + " を読み込みます"));
}

TEST_F(TextureTest, EightSixteenAndThirtyTwoBitPixels) {
  Start();
  auto t = MakeTexture();
  TBmpLayout pal;
  pal.width = 3;
  pal.height = 2;
  pal.bitCount = 8;
  pal.palette = {0x102030u, 0xFF0000u, 0x00FF00u};
  pal.pixel = [](int x, int) { return static_cast<uint32_t>(x); };
  TMemoryStream s8(MakeBmp(pal));
  t->LoadFromStream(s8);
  EXPECT_EQ(At(*t, 0, 0), 0xFF102030u);
  EXPECT_EQ(At(*t, 2, 1), 0xFF00FF00u);

  TBmpLayout rgb16;
  rgb16.width = 3;
  rgb16.height = 1;
  rgb16.bitCount = 16;
  rgb16.pixel = [](int x, int) { return x == 0 ? 0x7FFFu : (x == 1 ? 0x0000u : (16u << 10)); };
  TMemoryStream s16(MakeBmp(rgb16));
  t->LoadFromStream(s16);
  EXPECT_EQ(At(*t, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(*t, 1, 0), 0xFF000000u);
  EXPECT_EQ(At(*t, 2, 0), 0xFF830000u);  // 16 of 31 -> 131

  TBmpLayout rgba;
  rgba.width = 2;
  rgba.height = 1;
  rgba.bitCount = 32;
  rgba.pixel = [](int x, int) { return x == 0 ? 0x40112233u : 0x00FFFFFFu; };
  TMemoryStream s32(MakeBmp(rgba));
  t->LoadFromStream(s32);
  EXPECT_EQ(At(*t, 0, 0), 0x40112233u);  // the fourth byte is the alpha
  EXPECT_EQ(At(*t, 1, 0), 0x00FFFFFFu);
  EXPECT_FALSE(HasText("Error Code"));
}

TEST_F(TextureTest, SixteenBitSurfacesScaleTheComponents) {
  Start();
  auto t = MakeTexture({D3DFMT_A4R4G4B4});
  TMemoryStream s(MakeBmp(Gradient24(2, 1)));
  t->LoadFromStream(s);
  EXPECT_EQ(t->Format, D3DFMT_A4R4G4B4);
  EXPECT_EQ(t->BytesPerPixel, 2u);
  EXPECT_EQ(At(*t, 1, 0), 0xFF000055u);  // 0x01 -> 0, 0x5A -> 5 of 15 -> 0x55
}

TEST_F(TextureTest, RefusedBitmapsLeaveTheFillColour) {
  Start();
  auto t = MakeTexture();
  TBmpLayout four = Gradient24(4, 4);
  four.bitCount = 4;
  TMemoryStream s4(MakeBmp(four));
  t->LoadFromStream(s4);
  EXPECT_TRUE(HasText("色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください(Error Code = UNKNOWN "
                      "ERROR ... $00000001)"));
  EXPECT_EQ(At(*t, 1, 1), 0x00FFFFFFu);
  TBmpLayout one = four;
  one.bitCount = 1;
  TMemoryStream s1(MakeBmp(one));
  t->LoadFromStream(s1);
  EXPECT_EQ(CountText("色数が8ビット～32ビット"), 2);

  TBmpLayout bad = Gradient24(4, 4);
  bad.signature = 0x4D43;
  TMemoryStream sBad(MakeBmp(bad));
  t->LoadFromStream(sBad);
  EXPECT_TRUE(HasText("不正なBMPファイルです"));
  EXPECT_EQ(At(*t, 1, 1), 0x00FFFFFFu);
}

TEST_F(TextureTest, ShortAndHostileBitmapsAreRefusedWithoutOverrun) {
  Start();
  auto t = MakeTexture();
  // Truncated inside the pixel rows: the rows read so far stay.
  std::vector<uint8_t> bytes = MakeBmp(Gradient24(8, 8));
  bytes.resize(bytes.size() - 3 * 24 - 5);
  TMemoryStream cut(bytes);
  t->LoadFromStream(cut);
  EXPECT_TRUE(HasText("LoadBMP中に、読み込みエラーが発生しました"));
  EXPECT_EQ(At(*t, 0, 7), 0xFF00075Au);  // the bottom row came first
  // A header cut short: the stream's read error.
  std::vector<uint8_t> tiny(MakeBmp(Gradient24(2, 2)));
  tiny.resize(30);
  TMemoryStream sTiny(tiny);
  t->LoadFromStream(sTiny);
  EXPECT_TRUE(HasText("ストリームからの、読み込みエラー(Error Code = UNKNOWN ERROR ... $00000001)"));
  // Top-down (negative height) and absurd widths are beyond the device.
  TBmpLayout topDown = Gradient24(4, -4);
  const std::string path = WriteFile("topdown.bmp", MakeBmp(topDown));
  t->LoadFromFile(path);
  EXPECT_TRUE(HasText(path + "からの、読み込みエラー"));
  EXPECT_EQ(t->Source, TVXTextureSource::File);
  TBmpLayout wide = Gradient24(1, 1);
  std::vector<uint8_t> wideBytes = MakeBmp(wide);
  wideBytes[18] = 0xFF;  // width 1 -> 0x7F0000FF
  wideBytes[21] = 0x7F;
  TMemoryStream sWide(wideBytes);
  t->LoadFromStream(sWide);
  EXPECT_EQ(CountText("ストリームからの、読み込みエラー"), 2);
}

TEST_F(TextureTest, LoadBmpIntoASmallerSurfaceKeepsTheTopLeft) {
  Start();
  auto t = MakeTexture();
  t->SetSize(4, 3);
  TMemoryStream s(MakeBmp(Gradient24(10, 8)));
  LoadBMP(t->Surface, s);
  EXPECT_EQ(At(*t, 0, 0), 0xFF00005Au);
  EXPECT_EQ(At(*t, 3, 2), 0xFF03025Au);
  // A zero-width image copies nothing (found by fuzzing: an empty row buffer).
  TMemoryStream empty(MakeBmp(Gradient24(0, 2)));
  LoadBMP(t->Surface, empty);
  EXPECT_EQ(At(*t, 0, 0), 0xFF00005Au);
  // P8 surfaces take raw indices and refuse deeper bitmaps.
  SoftwareD3DConfig().TextureFormats.push_back(D3DFMT_P8);
  auto p8 = MakeTexture({D3DFMT_P8});
  p8->SetSize(4, 1);
  TBmpLayout pal;
  pal.width = 4;
  pal.bitCount = 8;
  pal.pixel = [](int x, int) { return static_cast<uint32_t>(10 + x); };
  TMemoryStream sp(MakeBmp(pal));
  LoadBMP(p8->Surface, sp);
  D3DLOCKED_RECT lr = p8->LockRect(0, RECT{0, 0, 4, 1}, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<uint8_t*>(lr.pBits)[3], 13);
  p8->UnlockRect();
  TMemoryStream s24(MakeBmp(Gradient24(4, 1)));
  LoadBMP(p8->Surface, s24);
  EXPECT_TRUE(HasText("8ビットパレット付きテクスチャに対して16ビット以上のBMPをロードする事は出来ません"));
}

TEST_F(TextureTest, MissingFilesAreReportedAndTriedAgainOnRebuild) {
  Start();
  auto t = MakeTexture();
  t->LoadFromFile("no_such_folder\\ball.bmp");
  EXPECT_TRUE(HasText("no_such_folder\\ball.bmp" + std::string("からの、読み込みエラー")));
  EXPECT_EQ(t->Source, TVXTextureSource::File);
  EXPECT_EQ(t->FileName, "no_such_folder\\ball.bmp");
  m_vx->InitWindowMode(64, 64, {}, 0, 1, 0, 0);
  EXPECT_EQ(CountText("からの、読み込みエラー"), 2);
}

TEST_F(TextureTest, WindowsStyleNamesAreTranslated) {
  Start();
  const std::string folder = "pluv_texture_test_bmp";
  std::filesystem::create_directories(folder);
  {
    const std::vector<uint8_t> bytes = MakeBmp(Gradient24(2, 2));
    std::ofstream(folder + "/ball.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  auto t = MakeTexture();
  t->LoadFromFile(folder + "\\ball.bmp");
  std::filesystem::remove_all(folder);
  EXPECT_FALSE(HasText("Error Code"));
  EXPECT_EQ(At(*t, 1, 1), 0xFF01015Au);
}

TEST_F(TextureTest, ColourKeyRewritesEveryAlpha) {
  Start();
  auto t = MakeTexture();
  t->SetSize(3, 1);
  D3DLOCKED_RECT lr = t->LockRect(0, RECT{0, 0, 3, 1}, 0);
  auto* p = static_cast<uint32_t*>(lr.pBits);
  p[0] = 0xFFFFFFFFu;  // white: becomes transparent
  p[1] = 0x40123456u;  // partly transparent: becomes opaque
  p[2] = 0x00FFFFFEu;  // almost white: opaque
  t->UnlockRect();
  t->SetColorKey(RECT{0, 0, 3, 1}, 0x00FFFFFFu);
  EXPECT_EQ(At(*t, 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(At(*t, 1, 0), 0xFF123456u);
  EXPECT_EQ(At(*t, 2, 0), 0xFFFFFFFEu);
  // On a 16-bit surface the key is compared as the surface holds it.
  auto t16 = MakeTexture({D3DFMT_A1R5G5B5});
  t16->SetSize(2, 1);
  t16->Fill(RECT{0, 0, 1, 1}, 0xFFFFFFFFu, false);
  t16->Fill(RECT{1, 0, 2, 1}, 0xFF000000u, false);
  t16->SetColorKey(RECT{0, 0, 2, 1}, 0x00FFFFFFu);
  EXPECT_EQ(At(*t16, 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(At(*t16, 1, 0), 0xFF000000u);
}

TEST_F(TextureTest, FillWithKeepAlphaChangesOnlyTheColour) {
  Start();
  auto t = MakeTexture();
  t->SetSize(4, 2);
  D3DLOCKED_RECT lr = t->LockRect(0, RECT{0, 0, 4, 2}, 0);
  for (int i = 0; i < 4; ++i) static_cast<uint32_t*>(lr.pBits)[i] = (static_cast<uint32_t>(i * 60) << 24) | 0x123456u;
  t->UnlockRect();
  t->Fill(RECT{0, 0, 4, 1}, 0xFFABCDEFu, true);
  for (UINT x = 0; x < 4; ++x) EXPECT_EQ(At(*t, x, 0), (static_cast<uint32_t>(x * 60) << 24) | 0xABCDEFu);
  t->Fill(RECT{1, 1, 3, 2}, 0x80000000u, false);
  EXPECT_EQ(At(*t, 0, 1), 0x00FFFFFFu);
  EXPECT_EQ(At(*t, 1, 1), 0x80000000u);
  EXPECT_EQ(At(*t, 2, 1), 0x80000000u);
  EXPECT_EQ(At(*t, 3, 1), 0x00FFFFFFu);
}

TEST_F(TextureTest, SaveAndLoadRoundTripsA4R4G4B4) {
  Start();
  auto t = MakeTexture({D3DFMT_A4R4G4B4});
  t->SetSize(3, 2);
  const DWORD colours[6] = {0x11223344u, 0xFFFFFFFFu, 0x00000000u, 0x88FF0077u, 0xCC00CC00u, 0x55AA55AAu};
  for (int i = 0; i < 6; ++i) t->Fill(RECT{i % 3, i / 3, i % 3 + 1, i / 3 + 1}, colours[i], false);
  TMemoryStream saved;
  t->SaveToStream(saved);
  EXPECT_EQ(saved.Size(), 54 + 3 * 2 * 4);
  auto copy = MakeTexture({D3DFMT_A4R4G4B4});
  saved.SetPosition(0);
  copy->LoadFromStream(saved);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(At(*copy, i % 3, i / 3), DecodePixel(EncodePixel(colours[i], D3DFMT_A4R4G4B4), D3DFMT_A4R4G4B4));
  }
}

TEST_F(TextureTest, RebuildRestoresDrawnContentsAndRereadsFiles) {
  Start();
  auto drawn = MakeTexture();
  drawn->SetSize(2, 2);
  drawn->Fill(RECT{0, 0, 1, 1}, 0x80112233u, false);
  auto loaded = MakeTexture();
  const std::string path = WriteFile("picture.bmp", MakeBmp(Gradient24(2, 2)));
  loaded->LoadFromFile(path);
  EXPECT_EQ(loaded->Source, TVXTextureSource::File);
  // The file changes on disk; a rebuild reads it again.
  TBmpLayout red = Gradient24(2, 2);
  red.pixel = [](int, int) { return 0xFF0000u; };
  WriteFile("picture.bmp", MakeBmp(red));
  m_vx->ReleaseAllResources();
  EXPECT_EQ(drawn->Surface, nullptr);
  ASSERT_NE(drawn->SavedContents, nullptr);
  m_vx->RebuildAllResources();
  EXPECT_EQ(drawn->SavedContents, nullptr);
  EXPECT_EQ(At(*drawn, 0, 0), 0x80112233u);
  EXPECT_EQ(At(*drawn, 1, 1), 0x00FFFFFFu);
  EXPECT_EQ(At(*loaded, 1, 1), 0xFFFF0000u);
  // A whole device cycle does the same.
  m_vx->InitWindowMode(64, 64, {}, 0, 1, 0, 0);
  EXPECT_EQ(At(*drawn, 0, 0), 0x80112233u);
  EXPECT_FALSE(HasText("Error Code"));
}

TEST_F(TextureTest, TexturesFreedByTheWrapperAreReleasedCleanly) {
  Start();
  auto* t = MakeTexture().release();
  t->SetSize(8, 8);
  m_vx.reset();  // frees the texture before the device: no leak reported
  EXPECT_TRUE(HasText("テクスチャオブジェクトを解放します"));
  EXPECT_TRUE(HasText("Vextralリソース(TVXTexture) : ID 0() を登録解除します"));
  EXPECT_FALSE(HasText("Error Code"));
}

TEST_F(TextureTest, DefaultPoolTexturesAreNotFilledAndFollowDeviceLoss) {
  Start();
  TVXTexture t(m_vx.get(), kGameFormats, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 1, "video");
  EXPECT_FALSE(t.Managed);
  t.SetSize(4, 4);
  ASSERT_NE(t.Surface, nullptr);
  t.DeviceLost();
  EXPECT_EQ(t.Surface, nullptr);
  t.DeviceReset();
  EXPECT_NE(t.Surface, nullptr);
  EXPECT_FALSE(HasText("Error Code"));
}

TEST_F(TextureTest, LockWithoutSurfaceIsReported) {
  Start();
  auto t = MakeTexture();
  const D3DLOCKED_RECT lr = t->LockRect(0, RECT{0, 0, 1, 1}, 0);
  EXPECT_EQ(lr.pBits, nullptr);
  EXPECT_TRUE(HasText("テクスチャが確保されていません"));
  EXPECT_EQ(t->Source, TVXTextureSource::None);
  t->Fill(RECT{0, 0, 1, 1}, 0, false);  // touches nothing
  EXPECT_EQ(CountText("テクスチャが確保されていません"), 2);
}

TEST_F(TextureTest, ArchiveEntriesLoadByCaseBlindIdAndAreRebuiltFromTheArchive) {
  Start();
  const std::vector<uint8_t> picture = MakeBmp(Gradient24(5, 3));
  const std::string archive =
      WriteFile("pictures.vha", MakeArchive(1, {{"Other", {1, 2, 3}, 1}, {"Ball", picture, 2}}));
  auto t = MakeTexture();
  t->LoadFromFile("BALL", archive);
  EXPECT_FALSE(HasText("Error Code"));
  EXPECT_TRUE(HasText("のテクスチャに、VHAファイル" + archive + " から ID BALL を読み込みます"));
  EXPECT_EQ(t->Source, TVXTextureSource::Archive);
  EXPECT_EQ(t->EntryID, "BALL");
  EXPECT_EQ(t->ArchiveName, archive);
  EXPECT_EQ(t->Width, 5u);
  EXPECT_EQ(At(*t, 4, 2), 0xFF04025Au);
  m_vx->InitWindowMode(64, 64, {}, 0, 1, 0, 0);
  EXPECT_EQ(CountText("から ID BALL を読み込みます"), 2);
  EXPECT_EQ(At(*t, 4, 2), 0xFF04025Au);
  // A missing entry and a missing archive are read errors naming both.
  t->LoadFromFile("nothing", archive);
  EXPECT_TRUE(HasText("nothing ＠ " + archive + "からの、読み込みエラー(Error Code = UNKNOWN ERROR ... $00000001)"));
  t->LoadFromFile("Ball", archive + ".missing");
  EXPECT_TRUE(HasText("Ball ＠ " + archive + ".missingからの、読み込みエラー"));
}

TEST_F(TextureTest, LoadBmpReportsASurfaceThatCannotBeLocked) {
  Start();
  TVXTexture video(m_vx.get(), kGameFormats, 0, D3DPOOL_DEFAULT, 1, "");
  video.SetSize(4, 4);
  ASSERT_NE(video.Surface, nullptr);
  TMemoryStream s(MakeBmp(Gradient24(4, 4)));
  LoadBMP(video.Surface, s);
  EXPECT_TRUE(HasText("LoadBMP中にサーフェスがロックできませんでした(Error Code = D3DERR_INVALIDCALL )"));
  EXPECT_FALSE(HasText("アンロックできませんでした"));
  EXPECT_EQ(s.Position(), 0);  // nothing decoded
}

TEST_F(TextureTest, LoadFromStreamReadsTheBitmapAtTheStreamsPosition) {
  Start();
  auto t = MakeTexture();
  // A bitmap that starts 37 bytes into its stream, after other data: its
  // pixel offset counts from the bitmap's own first byte.
  std::vector<uint8_t> bytes(37, 0xEE);
  const std::vector<uint8_t> bmp = MakeBmp(Gradient24(6, 4));
  bytes.insert(bytes.end(), bmp.begin(), bmp.end());
  TMemoryStream stream(bytes);
  stream.SetPosition(37);
  t->LoadFromStream(stream);
  EXPECT_FALSE(HasText("Error Code"));
  EXPECT_FALSE(HasText("読み込みエラー"));
  EXPECT_EQ(t->Width, 6u);
  EXPECT_EQ(At(*t, 0, 0), 0xFF00005Au);
  EXPECT_EQ(At(*t, 5, 3), 0xFF05035Au);
}

TEST_F(TextureTest, ABitmapAboveTheMaximumIsLoggedAsTooLargeAndReplacesTheSurface) {
  Start();
  auto t = MakeTexture();
  t->SetSize(16, 16);
  ASSERT_NE(t->Surface, nullptr);
  std::vector<uint8_t> wide = MakeBmp(Gradient24(1, 1));
  wide[18] = 0x01;  // width 0x1001: one past the device's 4096
  wide[19] = 0x10;
  TMemoryStream stream(wide);
  t->LoadFromStream(stream);
  // As SetSize is designed: the too-large line, the failed creation (the old
  // surface released first), then the load finding no surface.
  const int tooLarge = IndexOf("要求されたテクスチャのサイズは大きすぎます。4096 x 4096 以内にして下さい");
  const int released = IndexOf("テクスチャの再生成に伴い、以前のテクスチャを解放します");
  const int failed = IndexOf("テクスチャの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )");
  const int readError = IndexOf("ストリームからの、読み込みエラー");
  ASSERT_GE(tooLarge, 0);
  EXPECT_LT(tooLarge, released);
  EXPECT_LT(released, failed);
  EXPECT_LT(failed, readError);
  EXPECT_EQ(t->Surface, nullptr);
  EXPECT_EQ(t->Width, 0x1001u);
}
