// Where a running game stands with respect to a pause: playing on, paused
// (song clock and timer stopped, the field frozen), or counting in again
// before it goes on. Written by the sequencer on the main thread, read by the
// frame loop; a plain value shared through an atomic.
#pragma once

#include <cstdint>

enum class TPauseState : uint8_t {
  None,      // not paused (or no game at all)
  Paused,    // stopped where it stood; shown dimmed with the pause picture
  Resuming,  // the one-second count-in before it goes on; the ready picture over the field
};
