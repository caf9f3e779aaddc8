// TNQRenderingQueue: one of the scene's three lists of quads waiting for the
// frame's Render, and the flush that draws them with as few device state
// writes as the quads allow. Main thread only. The scene owns its queues; a
// queue owns its item and work arrays but neither the device wrapper, the
// scene nor the textures its items refer to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/math_pack.h"

class TVextral;
class TVXTexture;
class TNQScene;

// One queued quad.
struct TNQQuadItem {
  uint8_t Filter;        // 0: point sampling; any other value: linear
  int32_t BlendMode;     // index into the scene's blend-mode table
  TVXTexture* Texture;   // none for an untextured quad; not owned
  float X, Y;            // draw position
  float Z;               // depth (0 nearest, 1 farthest) and sort key; negative: not drawn
  TNQVertex Vertices[4]; // strip order: top-left, top-right, bottom-left, bottom-right
};

// The vertex the device receives (D3DFVF_XYZRHW | D3DFVF_DIFFUSE |
// D3DFVF_SPECULAR | D3DFVF_TEX1).
struct TNQDeviceVertex {
  float X, Y, Z, Rhw;
  uint32_t Diffuse;
  uint32_t Specular;
  float U, V;
};
static_assert(sizeof(TNQDeviceVertex) == 32, "the device reads 32-byte vertices");

class TNQRenderingQueue {
 public:
  static constexpr int32_t kInitialCapacity = 32;

  TNQRenderingQueue(TVextral* Carad, TNQScene* Scene);
  TNQRenderingQueue(const TNQRenderingQueue&) = delete;
  TNQRenderingQueue& operator=(const TNQRenderingQueue&) = delete;

  // Appends one quad, copying exactly four vertices; doubles the capacity
  // (and the work arrays) when the array is full.
  void AddQuad(uint8_t Filter, int32_t BlendMode, float X, float Y, float Z, TVXTexture* Texture,
               const TNQVertex* Vertices);
  // Draws the queued items (back to front when Sorted) and empties the queue.
  void Flush(bool Sorted);

  int32_t Count() const { return m_count; }
  int32_t Capacity() const { return m_capacity; }
  const TNQQuadItem& Item(int32_t i) const { return m_items[static_cast<size_t>(i)]; }

 private:
  // The device states as this flush last wrote them.
  struct TStateCache {
    TVXTexture* Texture = nullptr;
    int32_t BlendMode = 0;
    uint32_t SpecularEnable = 0;
    uint32_t Lighting = 0;
    uint32_t FillMode = 0;
    uint32_t Wrap0 = 0;
    uint8_t Filter = 0;
    bool FiltersSaved = false;
    uint32_t SavedMagFilter = 0;
    uint32_t SavedMinFilter = 0;
  };

  // Descending quicksort of m_keys[Lo..Hi], moving m_indices alongside
  // (Hoare partition, middle pivot). The order it leaves equal keys in is
  // part of what the player sees.
  void SortItems(int32_t Lo, int32_t Hi);
  void DrawItem(const TNQQuadItem& item, bool first);
  void ApplyBlendMode(int32_t index);
  void SetCachedRenderState(uint32_t state, uint32_t value, uint32_t& cached);

  TVextral* m_carad;  // not owned
  TNQScene* m_scene;  // not owned
  std::vector<TNQQuadItem> m_items;
  int32_t m_capacity = kInitialCapacity;
  int32_t m_count = 0;
  std::vector<float> m_keys;       // sort keys of the draw list
  std::vector<int32_t> m_indices;  // item indices of the draw list
  TStateCache m_cache;
};
