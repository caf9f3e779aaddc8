// Speed of the software rasteriser: the fill rate of a full 640 x 480
// textured, alpha-blended quad, and a typical game frame (one background quad,
// 300 small alpha-blended sprites, 20 scaled quads), drawn the way the scene
// draws: one DrawPrimitiveUP per quad of pre-transformed vertices. Figures
// are CPU time of one core.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace {

struct TVertex {
  float X, Y, Z, Rhw;
  DWORD Diffuse, Specular;
  float U, V;
};

constexpr UINT kWidth = 640, kHeight = 480;

class TBenchDevice {
 public:
  TBenchDevice() {
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device);
    // The scene's states for blend mode 2 (translucent) and its stage set-up.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
    background = MakeTexture(1024, 512, [](int x, int y) { return 0xFF000000u | ((x * 0x010203u) ^ (y * 0x030201u)); });
    ball = MakeTexture(16, 16, [](int x, int y) {
      const int dx = x - 8, dy = y - 8;
      return (dx * dx + dy * dy < 49 ? 0xFF000000u : 0x40000000u) | 0x80C0FFu;
    });
    picture = MakeTexture(64, 64, [](int x, int y) { return ((x ^ y) & 8 ? 0xC0FFFFFFu : 0x80FF8000u); });
  }
  ~TBenchDevice() {
    device->SetTexture(0, nullptr);
    background->Release();
    ball->Release();
    picture->Release();
    device->Release();
    m_d3d->Release();
  }

  template <typename F>
  IDirect3DTexture9* MakeTexture(UINT w, UINT h, F texel) {
    IDirect3DTexture9* tex = nullptr;
    device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr);
    D3DLOCKED_RECT lr{};
    tex->LockRect(0, &lr, nullptr, 0);
    for (UINT y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch);
      for (UINT x = 0; x < w; ++x) row[x] = texel(static_cast<int>(x), static_cast<int>(y));
    }
    tex->UnlockRect(0);
    return tex;
  }

  void Quad(float x, float y, float w, float h, DWORD colour, float maxU, float maxV) {
    const TVertex v[4] = {{x, y, 0.5f, 0.5f, colour, 0, 0, 0},
                          {x + w, y, 0.5f, 0.5f, colour, 0, maxU, 0},
                          {x, y + h, 0.5f, 0.5f, colour, 0, 0, maxV},
                          {x + w, y + h, 0.5f, 0.5f, colour, 0, maxU, maxV}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TVertex));
  }

  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* background = nullptr;
  IDirect3DTexture9* ball = nullptr;
  IDirect3DTexture9* picture = nullptr;

 private:
  IDirect3D9* m_d3d = nullptr;
};

void BM_FillTexturedBlendedQuad(benchmark::State& state) {
  TBenchDevice b;
  b.device->SetTexture(0, b.background);
  const bool bilinear = state.range(0) != 0;
  b.device->SetSamplerState(0, D3DSAMP_MAGFILTER, bilinear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
  b.device->SetSamplerState(0, D3DSAMP_MINFILTER, bilinear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
  const DWORD colour = state.range(1) != 0 ? 0xC0FFE0C0u : 0xFFFFFFFFu;
  for (auto _ : state) {
    b.device->BeginScene();
    b.Quad(0, 0, kWidth, kHeight, colour, 0.625f, 0.9375f);
    b.device->EndScene();
  }
  const double pixels = static_cast<double>(kWidth) * kHeight * static_cast<double>(state.iterations());
  state.counters["Mpixel/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillTexturedBlendedQuad)
    ->ArgNames({"bilinear", "tinted"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

// The game's frame: the background, 300 drops (16 x 16, some tinted) and 20
// splashes (a 64 x 64 picture turned by 180 degrees and scaled to 78 x 78,
// fading), all alpha-blended with the point filter as the game draws them.
// range(0) = 1 draws the splashes with the bilinear filter instead.
void BM_TypicalFrame(benchmark::State& state) {
  TBenchDevice b;
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> px(-8.0f, 632.0f), py(-8.0f, 472.0f);
  std::vector<std::pair<float, float>> sprites(300), scaled(20);
  for (auto& s : sprites) s = {px(rng), py(rng)};
  for (auto& s : scaled) s = {px(rng), py(rng)};
  const DWORD splashFilter = state.range(0) != 0 ? D3DTEXF_LINEAR : D3DTEXF_POINT;
  for (auto _ : state) {
    b.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    b.device->BeginScene();
    b.device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    b.device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    b.device->SetTexture(0, b.background);
    b.Quad(0, 0, kWidth, kHeight, 0xFFFFFFFFu, 0.625f, 0.9375f);
    b.device->SetTexture(0, b.ball);
    for (size_t i = 0; i < sprites.size(); ++i) {
      b.Quad(sprites[i].first, sprites[i].second, 16, 16, i % 3 == 0 ? 0xFFFFFFFFu : 0xC0FFA0A0u, 1, 1);
    }
    b.device->SetSamplerState(0, D3DSAMP_MAGFILTER, splashFilter);
    b.device->SetSamplerState(0, D3DSAMP_MINFILTER, splashFilter);
    b.device->SetTexture(0, b.picture);
    for (size_t i = 0; i < scaled.size(); ++i) {
      const DWORD alpha = static_cast<DWORD>(64 - 3 * i) << 24;
      b.Quad(scaled[i].first + 78, scaled[i].second + 78, -78, -78, alpha | 0xFFFFFFu, 1, 1);
    }
    b.device->EndScene();
    b.device->Present(nullptr, nullptr, nullptr, nullptr);
  }
}
BENCHMARK(BM_TypicalFrame)->ArgName("bilinear")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
