// LoadBMP: decodes an uncompressed Windows bitmap (8, 16, 24 or 32 bits per
// pixel, bottom-up) from a stream straight into level 0 of a Direct3D
// texture, converting every pixel to the surface's format. Main thread only.
// Never raises on its own account: failures go to the debug log and result
// checks; the surface is unlocked whatever happens once locked.
#pragma once

#include "gfx/stream.h"
#include "platform/d3d9/d3d9.h"

// Sizes of the two headers of the bitmap file layout.
inline constexpr int kBitmapFileHeaderSize = 14;
inline constexpr int kBitmapInfoHeaderSize = 40;
inline constexpr int kBitmapPaletteSize = 1024;
inline constexpr WORD kBitmapSignature = 0x4D42;  // "BM"

void LoadBMP(IDirect3DTexture9* Texture, TStream& S);
