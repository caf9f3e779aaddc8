#include "platform/ui/owner_window.h"
// TOwnerWindow and THeadlessWindow are header-only; this unit gives the
// library a translation unit until the folder's other families arrive.
