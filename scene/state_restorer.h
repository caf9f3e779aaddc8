// TNQStateRestorer: storage for render states saved around foreign drawing.
// Created with the scene; nothing in this system saves or restores through
// it yet. Main thread only; owned by the scene.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"

class TVextral;

class TNQStateRestorer {
 public:
  explicit TNQStateRestorer(TVextral* Carad);

  // Render states by number; all zero until something is saved.
  const std::array<uint32_t, kD3DRenderStateCount>& SavedRenderStates() const { return m_renderStates; }

 private:
  TVextral* m_carad;  // not owned
  std::array<uint32_t, kD3DRenderStateCount> m_renderStates{};
};
