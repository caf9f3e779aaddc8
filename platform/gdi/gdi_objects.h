// Shared between the files of platform/gdi: the default font of new
// device contexts. Main thread only.
#pragma once

#include <memory>

#include "platform/gdi/font_instance.h"
#include "platform/gdi/gdi.h"

namespace pluv::gdi {
// The font every new device context starts with.
PluvFont* DefaultFont();
}  // namespace pluv::gdi
