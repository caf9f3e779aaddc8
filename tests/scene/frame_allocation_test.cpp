// After the first frames, neither a play-field frame (submission and Render)
// nor redrawing a text line with a warm glyph cache allocates memory. A
// program of its own: it counts every operator new of the process.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/kernel/cp932.h"
#include "scene/nqlib9.h"
#include "scene_fixture.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class FrameAllocationTest : public WrapperTest {};

TEST_F(FrameAllocationTest, SteadyFramesAndWarmTextAllocateNothing) {
  StartWrapper(640, 480);
  auto* scene = new TNQScene(m_vx.get(), "");  // the wrapper frees it, as in the game
  TNQTextWriter writer(m_vx.get(), D3DFMT_A8R8G8B8, 16);
  writer.GetFont().SetName(Utf8ToCp932("ＭＳ ゴシック"));
  writer.GetFont().SetSize(15);
  auto background = MakeTexture(640, 480, 0xFF203040u);
  auto drop = MakeTexture(16, 16, 0xC080C0FFu);
  auto text = MakeTexture(640, 50, 0x00FFFFFFu);
  const std::string line = Utf8ToCp932("Good 雨粒をつかまえて音楽を奏でよう");

  const auto frame = [&](int n) {
    m_vx->Device->BeginScene();
    scene->Clear(D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    writer.DrawText(0, 0, line, text.get());
    scene->DrawSprite(MakeVector2(0, 0), 0xFFFFFFFFu, background.get(), kBlendTranslucent, 0, false, 0.9f);
    for (int i = 0; i < 300; ++i) {
      scene->DrawSprite(MakeVector2(static_cast<float>((i * 7 + n) % 620), static_cast<float>((i * 13) % 470)),
                        0xFFFFFFFFu, drop.get(), kBlendTranslucent, static_cast<uint8_t>(i & 1), i % 50 == 0,
                        (i % 10) / 10.0f);
    }
    scene->DrawSprite(MakeVector2(0, 20), 0xFF000000u, text.get(), kBlendTranslucent, 0, false, 0.1f);
    scene->Render();
    m_vx->Device->EndScene();
  };
  frame(0);
  frame(1);
  const long before = g_allocations.load();
  for (int n = 2; n < 12; ++n) frame(n);
  EXPECT_EQ(g_allocations.load() - before, 0);
  EXPECT_EQ(scene->SortedQueue().Capacity(), 512);  // grown once, for 300 quads
}

}  // namespace
