// The sequencer's play device: the MIDI mapper (the built-in synthesizer) or
// a system MIDI output, and the switch from one to another. Main thread,
// while the sequencer's timer is stopped.
#pragma once

class TMidiPlayV;

// The device id of the MIDI mapper.
inline constexpr int kMidiMapperDevice = -1;

// Puts deviceId in place of player's play devices and opens its port again;
// when it does not open, the mapper is opened instead and the result is
// false.
bool UsePlayDevice(TMidiPlayV& player, int deviceId);
