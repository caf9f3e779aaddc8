// The unit Vextral9 in one include: the device wrapper, the debug log and
// result checks, and the debug options. Main thread only.
#pragma once

#include "gfx/debug_log.h"
#include "gfx/debug_option.h"
#include "gfx/fpu_control.h"
#include "gfx/vextral.h"
