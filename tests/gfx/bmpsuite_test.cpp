// The public BMP suite (PLUV_CORPUS_DIR/bmpsuite): every file loads or is
// refused through the log as designed, none crashes or reads out of bounds
// (run under the sanitizers), and the good 8/24/32-bit files decode to the
// same picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "gfx/vextral9.h"
#include "log_fixture.h"

namespace {

const std::filesystem::path kSuite = std::filesystem::path(PLUV_CORPUS_DIR) / "bmpsuite";

class BmpSuiteTest : public LogTest {
 protected:
  void SetUp() override {
    LogTest::SetUp();
    if (!std::filesystem::exists(kSuite / "g")) GTEST_SKIP() << "no BMP suite at " << kSuite;
    m_vx = std::make_unique<TVextral>(&m_window);
    m_vx->SetDebugOption(TVXDebugOption{vxoDebugMessage});
    m_vx->Loaded();
  }
  void TearDown() override {
    m_vx.reset();
    LogTest::TearDown();
  }
  std::unique_ptr<TVXTexture> Load(const std::string& relative) {
    auto t = std::make_unique<TVXTexture>(m_vx.get(), std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED, 1, "");
    t->FillColor = 0x00FFFFFFu;
    t->LoadFromFile((kSuite / relative).string());
    return t;
  }
  static std::vector<DWORD> Pixels(TVXTexture& t) {
    std::vector<DWORD> out;
    const D3DLOCKED_RECT lr = t.LockRect(0, RECT{0, 0, static_cast<LONG>(t.Width), static_cast<LONG>(t.Height)}, D3DLOCK_READONLY);
    if (lr.pBits == nullptr) return out;
    for (UINT y = 0; y < t.Height; ++y) {
      const auto* row = reinterpret_cast<const DWORD*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch);
      out.insert(out.end(), row, row + t.Width);
    }
    t.UnlockRect();
    return out;
  }
  THeadlessWindow m_window{32, 32};
  std::unique_ptr<TVextral> m_vx;
};

}  // namespace

TEST_F(BmpSuiteTest, EveryFileLoadsOrIsRefusedThroughTheLog) {
  int files = 0, refused = 0;
  for (const char* folder : {"g", "q", "b", "x"}) {
    for (const auto& entry : std::filesystem::directory_iterator(kSuite / folder)) {
      if (entry.path().extension() != ".bmp") continue;
      ++files;
      LogLineCount = 0;  // a fresh log per file
      auto t = Load(std::string(folder) + "/" + entry.path().filename().string());
      EXPECT_EQ(t->Source, TVXTextureSource::File);
      if (HasText("Error Code") || HasText("不正なBMPファイルです") || HasText("読み込みエラーが発生しました") ||
          HasText("読みこみ中に、エラーが発生しました")) {
        ++refused;
      }
    }
  }
  EXPECT_EQ(files, 91);
  EXPECT_GT(refused, 20);  // 1/2/4-bit, top-down, OS/2 headers, absurd sizes, cut files, ...
}

TEST_F(BmpSuiteTest, ReallyBigAndNegativeSizesAreRefusedWithoutAllocating) {
  for (const char* name : {"b/reallybig.bmp", "b/badwidth.bmp", "g/pal8topdown.bmp"}) {
    LogLineCount = 0;
    auto t = Load(name);
    EXPECT_TRUE(HasText("からの、読み込みエラー")) << name;
    EXPECT_EQ(t->Surface, nullptr) << name;
  }
  LogLineCount = 0;
  auto one = Load("g/pal1.bmp");
  EXPECT_TRUE(HasText("色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください")) << "pal1";
}

TEST_F(BmpSuiteTest, GoodFilesDecodeToTheSamePicture) {
  auto rgb24 = Load("g/rgb24.bmp");
  ASSERT_EQ(rgb24->Width, 127u);
  ASSERT_EQ(rgb24->Height, 64u);
  const std::vector<DWORD> reference = Pixels(*rgb24);
  ASSERT_EQ(reference.size(), 127u * 64u);
  for (DWORD p : reference) ASSERT_EQ(p >> 24, 0xFFu);  // 24-bit pixels are opaque
  // The 32-bit file holds the same colours, and its fourth bytes (zero) are
  // taken as the alpha.
  const std::vector<DWORD> rgb32 = Pixels(*Load("g/rgb32.bmp"));
  ASSERT_EQ(rgb32.size(), reference.size());
  for (size_t i = 0; i < reference.size(); ++i) {
    ASSERT_EQ(rgb32[i], reference[i] & 0x00FFFFFFu) << i;
  }
  // Palette files: the same picture through a 252-colour palette; pal8-0 and
  // the 124..126-wide variants decode, the palette files agree with each other.
  const std::vector<DWORD> pal8 = Pixels(*Load("g/pal8.bmp"));
  EXPECT_EQ(Pixels(*Load("g/pal8-0.bmp")), pal8);
  EXPECT_EQ(Pixels(*Load("g/rgb24pal.bmp")), reference);
  size_t close = 0;
  for (size_t i = 0; i < reference.size(); ++i) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      worst = std::max(worst, std::abs(int((pal8[i] >> shift) & 255) - int((reference[i] >> shift) & 255)));
    }
    close += worst <= 48 ? 1 : 0;
  }
  EXPECT_GT(close, reference.size() * 9 / 10);
  // As documented: pal8 uses at most 252 colours, pal8gs only greys.
  EXPECT_LE(std::set<DWORD>(pal8.begin(), pal8.end()).size(), 252u);
  for (DWORD p : Pixels(*Load("g/pal8gs.bmp"))) {
    ASSERT_TRUE(((p >> 16) & 255) == ((p >> 8) & 255) && ((p >> 8) & 255) == (p & 255)) << std::hex << p;
  }
  // The 16-bit file's whitest pixels are pure white (31 scales to 255).
  const std::vector<DWORD> rgb16 = Pixels(*Load("g/rgb16.bmp"));
  EXPECT_NE(std::find(rgb16.begin(), rgb16.end(), 0xFFFFFFFFu), rgb16.end());
  for (const char* name : {"g/pal8w124.bmp", "g/pal8w125.bmp", "g/pal8w126.bmp", "g/pal8gs.bmp", "g/pal8nonsquare.bmp"}) {
    LogLineCount = 0;
    auto t = Load(name);
    EXPECT_FALSE(HasText("Error Code")) << name;
    EXPECT_NE(t->Surface, nullptr) << name;
  }
}
