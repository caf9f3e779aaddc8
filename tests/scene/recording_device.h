// Test helper: a Direct3D 9 device that forwards every call to the real
// software device and records the state writes, texture bindings and draws
// the scene makes, so that tests can check which states a flush writes and
// in what order quads are drawn. Main thread. While it lives it stands in
// for the wrapper's device; its destructor puts the real device back.
#pragma once

#include <cstring>
#include <vector>

#include "gfx/vextral.h"
#include "scene/rendering_queue.h"

struct TRecordedCall {
  enum TKind { SetRenderState, GetRenderState, SetSamplerState, GetSamplerState, SetTexture, SetStageState,
               SetFvf, Draw, SetTransform, SetViewport, Clear };
  TKind Kind;
  DWORD A = 0;  // state, stage or sampler
  DWORD B = 0;  // value (sampler: type)
  DWORD C = 0;  // sampler value
  IDirect3DBaseTexture9* Texture = nullptr;
  TNQDeviceVertex Vertices[4] = {};
};

class TRecordingDevice final : public IDirect3DDevice9 {
 public:
  explicit TRecordingDevice(TVextral& vx) : m_vx(vx), m_real(vx.Device) { vx.Device = this; }
  ~TRecordingDevice() override { m_vx.Device = m_real; }

  std::vector<TRecordedCall> Calls;
  IDirect3DDevice9* Real() const { return m_real; }

  // Recorded calls of one kind.
  std::vector<TRecordedCall> Of(TRecordedCall::TKind kind) const {
    std::vector<TRecordedCall> out;
    for (const auto& c : Calls) {
      if (c.Kind == kind) out.push_back(c);
    }
    return out;
  }
  // Values written to one render state, in order.
  std::vector<DWORD> RenderStateWrites(D3DRENDERSTATETYPE state) const {
    std::vector<DWORD> out;
    for (const auto& c : Calls) {
      if (c.Kind == TRecordedCall::SetRenderState && c.A == state) out.push_back(c.B);
    }
    return out;
  }
  std::vector<DWORD> SamplerWrites(D3DSAMPLERSTATETYPE type) const {
    std::vector<DWORD> out;
    for (const auto& c : Calls) {
      if (c.Kind == TRecordedCall::SetSamplerState && c.B == type) out.push_back(c.C);
    }
    return out;
  }
  std::vector<TRecordedCall> Draws() const { return Of(TRecordedCall::Draw); }

  ULONG AddRef() override { return m_real->AddRef(); }
  ULONG Release() override { return m_real->Release(); }
  HRESULT TestCooperativeLevel() override { return m_real->TestCooperativeLevel(); }
  UINT GetAvailableTextureMem() override { return m_real->GetAvailableTextureMem(); }
  HRESULT GetDirect3D(IDirect3D9** p) override { return m_real->GetDirect3D(p); }
  HRESULT GetDeviceCaps(D3DCAPS9* p) override { return m_real->GetDeviceCaps(p); }
  HRESULT GetBackBuffer(UINT s, UINT i, D3DBACKBUFFER_TYPE t, IDirect3DSurface9** p) override {
    return m_real->GetBackBuffer(s, i, t, p);
  }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** p) override { return m_real->GetDepthStencilSurface(p); }
  HRESULT CreateTexture(UINT w, UINT h, UINT l, DWORD u, D3DFORMAT f, D3DPOOL p, IDirect3DTexture9** t,
                        HANDLE* s) override {
    return m_real->CreateTexture(w, h, l, u, f, p, t, s);
  }
  HRESULT BeginScene() override { return m_real->BeginScene(); }
  HRESULT EndScene() override { return m_real->EndScene(); }
  HRESULT Clear(DWORD n, const D3DRECT* r, DWORD f, D3DCOLOR c, float z, DWORD s) override {
    Calls.push_back({TRecordedCall::Clear, n, f, c});
    return m_real->Clear(n, r, f, c, z, s);
  }
  HRESULT Present(const RECT* a, const RECT* b, HWND w, const void* d) override {
    return m_real->Present(a, b, w, d);
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE s, const D3DMATRIX* m) override {
    Calls.push_back({TRecordedCall::SetTransform, s});
    return m_real->SetTransform(s, m);
  }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE s, D3DMATRIX* m) override { return m_real->GetTransform(s, m); }
  HRESULT SetViewport(const D3DVIEWPORT9* v) override {
    Calls.push_back({TRecordedCall::SetViewport});
    return m_real->SetViewport(v);
  }
  HRESULT GetViewport(D3DVIEWPORT9* v) override { return m_real->GetViewport(v); }
  HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override {
    Calls.push_back({TRecordedCall::SetRenderState, s, v});
    return m_real->SetRenderState(s, v);
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE s, DWORD* v) override {
    Calls.push_back({TRecordedCall::GetRenderState, s});
    return m_real->GetRenderState(s, v);
  }
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* t) override {
    TRecordedCall c{TRecordedCall::SetTexture, stage};
    c.Texture = t;
    Calls.push_back(c);
    return m_real->SetTexture(stage, t);
  }
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** t) override { return m_real->GetTexture(stage, t); }
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE t, DWORD v) override {
    Calls.push_back({TRecordedCall::SetStageState, stage, t, v});
    return m_real->SetTextureStageState(stage, t, v);
  }
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE t, DWORD* v) override {
    return m_real->GetTextureStageState(stage, t, v);
  }
  HRESULT SetSamplerState(DWORD s, D3DSAMPLERSTATETYPE t, DWORD v) override {
    Calls.push_back({TRecordedCall::SetSamplerState, s, t, v});
    return m_real->SetSamplerState(s, t, v);
  }
  HRESULT GetSamplerState(DWORD s, D3DSAMPLERSTATETYPE t, DWORD* v) override {
    Calls.push_back({TRecordedCall::GetSamplerState, s, t});
    return m_real->GetSamplerState(s, t, v);
  }
  HRESULT SetFVF(DWORD f) override {
    Calls.push_back({TRecordedCall::SetFvf, f});
    return m_real->SetFVF(f);
  }
  HRESULT GetFVF(DWORD* f) override { return m_real->GetFVF(f); }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE t, UINT n, const void* v, UINT stride) override {
    TRecordedCall c{TRecordedCall::Draw, t, n, stride};
    if (stride == sizeof(TNQDeviceVertex) && n == 2) std::memcpy(c.Vertices, v, sizeof c.Vertices);
    Calls.push_back(c);
    return m_real->DrawPrimitiveUP(t, n, v, stride);
  }

 private:
  TVextral& m_vx;
  IDirect3DDevice9* m_real;
};
