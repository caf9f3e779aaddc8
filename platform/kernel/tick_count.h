// GetTickCount and Sleep with their Windows meaning, on the steady clock.
// Any thread.
#pragma once

#include "platform/wintypes/wintypes.h"

// Milliseconds on the steady clock, modulo 2^32 (wraps like Windows' counter).
DWORD GetTickCount();

// Blocks the calling thread for at least ms milliseconds.
void Sleep(DWORD ms);
