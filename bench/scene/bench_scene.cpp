// Speed of the scene and the text writer on the software device: a
// 40-character Japanese line drawn into a 640 x 50 text texture with a warm
// glyph cache (alone, and after the fill the game does first), and a typical
// play-field frame (background sprite, 300 drops, 20 splashes, 4 text
// sprites) submitted and rendered. Figures are CPU time of one core.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gfx/texture.h"
#include "gfx/vextral.h"
#include "platform/kernel/cp932.h"
#include "scene/nqlib9.h"

namespace {

constexpr int kFieldWidth = 640;
constexpr int kFieldHeight = 480;
constexpr uint32_t kTransparentWhite = 0x00FFFFFFu;
// Forty full-width characters: 640 pixels at 16 pixels each (size 12).
const char* const kLine = "雨粒をつかまえて音楽を奏でよう。落ちてくる音符を一つ残らず受け止めて完璧な演奏を";

class TBenchWorld {
 public:
  TBenchWorld() : window(kFieldWidth, kFieldHeight) {
    vx = std::make_unique<TVextral>(&window);
    vx->SetDebugOption(TVXDebugOption{});
    vx->Loaded();
    scene = new TNQScene(vx.get(), "");  // freed by the wrapper, as in the game
    writer = std::make_unique<TNQTextWriter>(vx.get(), D3DFMT_A8R8G8B8, 16);
    writer->GetFont().SetName(Utf8ToCp932("ＭＳ ゴシック"));
    writer->GetFont().SetSize(12);
    background = MakeTexture(kFieldWidth, kFieldHeight, 0xFF203040u);
    drop = MakeTexture(16, 16, 0xC080C0FFu);
    splash = MakeTexture(32, 32, 0x80FFFFFFu);
    for (auto& t : text) {
      t = MakeTexture(kFieldWidth, 50, kTransparentWhite);
      writer->DrawText(0, 0, line, t);
    }
  }
  ~TBenchWorld() {
    writer.reset();
    vx.reset();  // frees the scene and the textures still registered
  }

  TVXTexture* MakeTexture(UINT w, UINT h, uint32_t fill) {
    auto* t = new TVXTexture(vx.get(), {D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED, 1, "bench");
    t->FillColor = fill;
    t->SetSize(w, h);
    return t;
  }

  THeadlessWindow window;
  std::unique_ptr<TVextral> vx;
  TNQScene* scene = nullptr;
  std::unique_ptr<TNQTextWriter> writer;
  TVXTexture* background = nullptr;
  TVXTexture* drop = nullptr;
  TVXTexture* splash = nullptr;
  TVXTexture* text[4] = {};
  const std::string line = Utf8ToCp932(kLine);
};

void BM_DrawTextWarm(benchmark::State& state) {
  TBenchWorld w;
  TVXTexture* t = w.text[0];
  w.writer->DrawText(0, 0, w.line, t);  // warms the cache
  for (auto _ : state) w.writer->DrawText(0, 0, w.line, t);
  state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_DrawTextWarm)->Unit(benchmark::kMicrosecond);

void BM_FillAndDrawTextWarm(benchmark::State& state) {
  TBenchWorld w;
  TVXTexture* t = w.text[0];
  const RECT all{0, 0, static_cast<LONG>(t->AllocWidth), static_cast<LONG>(t->AllocHeight)};
  for (auto _ : state) {
    t->Fill(all, kTransparentWhite, false);
    w.writer->DrawText(0, 0, w.line, t);
  }
}
BENCHMARK(BM_FillAndDrawTextWarm)->Unit(benchmark::kMicrosecond);

void BM_PlayFieldFrame(benchmark::State& state) {
  TBenchWorld w;
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> xs(0, kFieldWidth - 16), ys(-16, kFieldHeight);
  std::vector<TVector2> drops(300), splashes(20);
  for (auto& p : drops) p = MakeVector2(xs(rng), ys(rng));
  for (auto& p : splashes) p = MakeVector2(xs(rng), 380 + ys(rng) / 16);
  IDirect3DDevice9* device = w.vx->Device;
  for (auto _ : state) {
    device->BeginScene();
    w.scene->Clear(D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    w.scene->DrawSprite(MakeVector2(0, 0), 0xFFFFFFFFu, w.background, kBlendTranslucent, 0, false, 0.9f);
    for (const auto& p : drops) w.scene->DrawSprite(p, 0xFFFFFFFFu, w.drop, kBlendTranslucent, 0, false, 0.5f);
    for (const auto& p : splashes) w.scene->DrawSprite(p, 0xC0FFFFFFu, w.splash, kBlendTranslucent, 1, false, 0.4f);
    for (int i = 0; i < 4; ++i) {
      w.scene->DrawSprite(MakeVector2(0, 20.0f + 30 * i), 0xFF000000u, w.text[i], kBlendTranslucent, 0, false, 0.1f);
    }
    w.scene->Render();
    device->EndScene();
  }
  state.SetItemsProcessed(state.iterations() * 325);
}
BENCHMARK(BM_PlayFieldFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
