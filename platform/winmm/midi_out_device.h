// The contract between the midiOut* functions and the kinds of MIDI output
// device behind them (the built-in synthesizer, ALSA sequencer ports, the
// recording device of the tests): one device object per listed device, one
// port object per open handle. Calls come from the midiOut* functions on any
// thread; a port serialises its own sends. The device table owns devices,
// the handle table owns ports.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/winmm/mmsystem.h"

class TMidiOutPort {
 public:
  virtual ~TMidiOutPort() = default;
  // One complete message: a channel message of 1 to 3 bytes or F0 ... F7.
  virtual void Send(const BYTE* bytes, size_t length, TMidiDueTime due) = 0;
  // Releases every note on every channel and resets the controllers.
  virtual void Reset() = 0;
};

class TMidiOutDevice {
 public:
  virtual ~TMidiOutDevice() = default;
  virtual MIDIOUTCAPSA Caps() const = 0;
  // The whole name (the caps hold at most MAXPNAMELEN - 1 characters of it).
  virtual std::string Name() const { return Caps().szPname; }
  // Opens a port for handle; MMSYSERR_NOERROR with port set, or an error code.
  virtual MMRESULT Open(HMIDIOUT handle, std::unique_ptr<TMidiOutPort>& port) = 0;
};

// Fills a capabilities record with a name (cut at MAXPNAMELEN - 1 characters).
MIDIOUTCAPSA MakeMidiOutCaps(const char* name, WORD technology, WORD voices, WORD notes);

// Appends a device to the device table (after the built-in and ALSA devices)
// and returns its device id.
UINT AddMidiOutDevice(std::shared_ptr<TMidiOutDevice> device);

// Backends that the device table lists first.
std::shared_ptr<TMidiOutDevice> MakeSynthesizerMidiOutDevice();
std::vector<std::shared_ptr<TMidiOutDevice>> MakeAlsaMidiOutDevices();
// A device for the ALSA port of that name as it is listed now; nullptr when none has it.
std::shared_ptr<TMidiOutDevice> MakeAlsaMidiOutDevice(const std::string& name);

// Number of data bytes that follow a status byte in a short message.
size_t ShortMessageLength(BYTE status);
