// The application's pseudo-random generator lives with the sequencer (which
// has no window toolkit) so that the window and the timer thread share it.
#pragma once

#include "game/sequencer/random.h"
