// Choosing a MIDI output device by name: the ALSA sequencer ports as they are
// now, and the device id behind a name, for a setting that names the device
// instead of a number that changes when ports come and go. Any thread.
#pragma once

#include <string>
#include <vector>

// The writable ALSA sequencer ports, listed afresh (empty without a sequencer).
std::vector<std::string> SystemMidiOutPortNames();

// The device id (for midiOutOpen) of the device with that name; a port that
// appeared after the device table was made is added to it. An exact name
// wins; otherwise a port whose name differs only in the trailing client and
// port numbers ("... 128:0"), which the sequencer hands out anew. -1 when no
// device has the name.
int MidiOutDeviceIdByName(const std::string& name);
