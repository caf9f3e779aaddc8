// Destructors that log while the debug log cannot be written: the lines are
// lost, the objects are still released and unregistered, and the process
// goes on (an exception leaving a destructor would end it).
#include <gtest/gtest.h>

#include <memory>

#include "gfx/vextral9.h"
#include "log_fixture.h"

namespace {

const TVXDebugOption kLogWithoutHalt{vxoDebugMessage, vxoDetailedLog};

class LogFailureTest : public LogTest {
 protected:
  void Start() {
    m_vx = std::make_unique<TVextral>(&m_window);
    m_vx->SetDebugOption(kLogWithoutHalt);
    m_vx->Loaded();
  }
  std::unique_ptr<TVXTexture> MakeTexture() {
    auto texture =
        std::make_unique<TVXTexture>(m_vx.get(), std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED, 0, "");
    texture->SetSize(16, 16);
    return texture;
  }
  void MakeLogUnwritable() { SetDebugLogDirectory((m_dir / "gone" / "deeper").string()); }

  THeadlessWindow m_window{64, 64};
  std::unique_ptr<TVextral> m_vx;
};

}  // namespace

TEST_F(LogFailureTest, ATextureDestroyedWithoutALogIsStillUnregistered) {
  Start();
  const size_t before = m_vx->ResourceList.size();
  auto texture = MakeTexture();
  ASSERT_NE(texture->Surface, nullptr);
  ASSERT_EQ(m_vx->ResourceList.size(), before + 1);
  MakeLogUnwritable();
  EXPECT_THROW(DebugLog("the log is gone"), std::system_error);
  texture.reset();
  EXPECT_EQ(m_vx->ResourceList.size(), before);
}

TEST_F(LogFailureTest, AWrapperDestroyedWithoutALogReleasesItsTextures) {
  Start();
  // Left to the wrapper, as a game that forgets them would.
  for (int i = 0; i < 3; ++i) MakeTexture().release();
  MakeLogUnwritable();
  m_vx.reset();
  // The wrapper freed the textures (LeakSanitizer would see them otherwise)
  // and the process is still here; logging works again once it can.
  SetDebugLogDirectory(m_dir.string());
  DebugLog("after");
  EXPECT_TRUE(HasText("after"));
}
