// TNQScene: the drawing front end of the frame loop. Quads submitted during a
// frame wait in three rendering queues (opaque, sorted, overlay) until Render
// draws them in that order. The scene also keeps the viewport and projection
// and re-applies them when the device wrapper builds a new device.
// Main thread only. The scene owns its queues and its state restorer; it
// refers to the device wrapper and to the textures of queued quads without
// owning them. Registered with the wrapper from creation to destruction.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "gfx/vextral.h"
#include "scene/blend_mode.h"
#include "scene/math_pack.h"
#include "scene/rendering_queue.h"
#include "scene/state_restorer.h"

class TVXTexture;

class TNQScene : public TVXResource {
 public:
  // Builds the scene on an initialised device wrapper: queues, registration,
  // the six blend modes, a viewport over the owner's client area, the
  // projection, and the blend-operation capability.
  TNQScene(TVextral* Carad, const std::string& Name);
  ~TNQScene() override;
  TNQScene(const TNQScene&) = delete;
  TNQScene& operator=(const TNQScene&) = delete;
  const char* ClassName() const override { return "TNQScene"; }

  // The device's Clear over the whole viewport.
  void Clear(uint32_t Flags, uint32_t Color, float Z, uint32_t Stencil);
  // Queues the quad of Vertices[0..3] at P. Fewer than four vertices, or a
  // blend mode outside the table, queue nothing.
  void DrawQuad(TVector2 P, std::span<const TNQVertex> Vertices, TVXTexture* Texture, int32_t BlendMode,
                uint8_t Filter, bool Overlay, float Z);
  // Queues a quad covering Texture's image at P, every vertex coloured Color.
  // Without a texture nothing is queued.
  void DrawSprite(TVector2 P, uint32_t Color, TVXTexture* Texture, int32_t BlendMode, uint8_t Filter, bool Overlay,
                  float Z);
  // Draws and empties the three queues; between the device's BeginScene and
  // EndScene.
  void Render();
  void SetViewport(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  // Left-handed perspective projection; Aspect is height / width.
  void SetProjection(float FovY, float Aspect, float Near, float Far);
  // Appends a mode; its index is the table's previous length.
  void AddBlendMode(const TNQBlendMode& Mode);
  // Re-applies viewport and projection and reads the capability again
  // (after the wrapper made a new device).
  void RestoreDeviceState();

  const std::vector<TNQBlendMode>& BlendModes() const { return m_blendModes; }
  bool BlendOpSupported() const { return m_blendOpSupported; }
  const D3DVIEWPORT9& Viewport() const { return m_viewport; }
  const D3DMATRIX& Projection() const { return m_projection; }
  float FovY() const { return m_fovY; }
  float FovX() const { return m_fovX; }  // the horizontal half-angle
  float Aspect() const { return m_aspect; }
  float NearZ() const { return m_near; }
  float FarZ() const { return m_far; }
  int32_t ResourceID() const { return m_resourceId; }
  TVextral* Carad() const { return m_carad; }

  TNQRenderingQueue& OverlayQueue() { return *m_overlayQueue; }
  TNQRenderingQueue& OpaqueQueue() { return *m_opaqueQueue; }
  TNQRenderingQueue& SortedQueue() { return *m_sortedQueue; }

 private:
  void ReadBlendOpSupported();
  void QueueQuad(TVector2 P, const TNQVertex* Vertices, TVXTexture* Texture, int32_t BlendMode, uint8_t Filter,
                 bool Overlay, float Z);

  std::unique_ptr<TNQStateRestorer> m_stateRestorer;
  TVextral* m_carad;  // not owned
  int32_t m_resourceId = -1;
  std::string m_name;
  D3DMATRIX m_projection{};
  float m_fovY = 0.0f;
  float m_fovX = 0.0f;
  float m_aspect = 0.0f;
  float m_near = 0.0f;
  float m_far = 0.0f;
  D3DVIEWPORT9 m_viewport{};
  std::unique_ptr<TNQRenderingQueue> m_overlayQueue;
  std::unique_ptr<TNQRenderingQueue> m_opaqueQueue;
  std::unique_ptr<TNQRenderingQueue> m_sortedQueue;
  bool m_blendOpSupported = false;
  bool m_sort = true;  // the sorted queue is always flushed in key order
  std::vector<TNQBlendMode> m_blendModes;
};
