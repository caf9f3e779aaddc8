// The unit NQlib9 in one include: the scene with its rendering queues and
// blend modes, the text writer with its glyph cache, and the colour and
// vector makers. Main thread only.
#pragma once

#include "scene/blend_mode.h"
#include "scene/math_pack.h"
#include "scene/rendering_queue.h"
#include "scene/scene.h"
#include "scene/state_restorer.h"
#include "scene/font_cache.h"
#include "scene/text_writer.h"
