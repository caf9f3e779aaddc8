// The unit Vextral9 in one include: the device wrapper, the debug log and
// result checks, the debug options, textures, bitmap decoding, pixel formats
// and streams. Main thread only.
#pragma once

#include "gfx/debug_log.h"
#include "gfx/debug_option.h"
#include "gfx/fpu_control.h"
#include "gfx/vextral.h"
#include "gfx/bitmap_loader.h"
#include "gfx/pixel_format.h"
#include "gfx/stream.h"
#include "gfx/texture.h"
