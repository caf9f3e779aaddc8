// The scene's blend modes: how a quad's colour meets the back buffer, and
// whether its queue sorts it by depth. Plain values; main thread (they live
// in the scene's table).
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"

struct TNQBlendMode {
  bool Sorted;           // quads go to the sorted queue unless drawn as overlay
  bool AlphaTest;        // alpha test on while this mode is current
  D3DCMPFUNC AlphaFunc;  // comparison of the alpha test (reference value: the device's, 0)
  bool AlphaBlend;       // alpha blending on while this mode is current
  D3DBLEND SrcBlend;
  D3DBLEND DestBlend;
  D3DBLENDOP BlendOp;    // written only where the device can change it
};

// Indices of the modes every scene starts with.
inline constexpr int32_t kBlendOpaque = 0;
inline constexpr int32_t kBlendAdditive = 1;
inline constexpr int32_t kBlendTranslucent = 2;
inline constexpr int32_t kBlendDarken = 3;
inline constexpr int32_t kBlendMultiply = 4;
inline constexpr int32_t kBlendCutOut = 5;

// The six modes in index order.
inline constexpr std::array<TNQBlendMode, 6> kDefaultBlendModes = {{
    // opaque
    {false, false, D3DCMP_ALWAYS, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
    // additive
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},
    // translucent
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
    // darken: destination times (1 - source colour)
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DBLENDOP_ADD},
    // multiply
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},
    // cut-out: opaque, texels with alpha 0 discarded
    {false, true, D3DCMP_GREATER, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
}};
