// TMidiOutput: the output side of the sequencer. It lists the system's MIDI
// output devices, opens the play devices, finds a track's output, sends the
// items' channel and system-exclusive messages, and takes back the buffers of
// system-exclusive messages when the driver is done with them. Construction,
// OpenPorts, ClosePorts and the completion messages: main thread; SendShort /
// SendLong (and AllNotesOff / ResetPorts when the sequencer stops): the timer
// thread or the main thread while the timer is off. The output owns the
// device lists, the open handles, the in-flight buffers and its hidden window.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "midi/list_int_items.h"
#include "midi/midi_song.h"
#include "platform/winmm/mmsystem.h"

// One system MIDI output device, copied from its capabilities record.
struct TMidiDevice {
  std::string Name;  // product name, up to the first zero byte
  int32_t Mid = 0;
  int32_t Pid = 0;
  int32_t DriverMajor = 0;
  int32_t DriverMinor = 0;
  int32_t Technology = 0;
  int32_t Voices = 0;
  int32_t Notes = 0;
  int32_t ChannelMask = 0;
  int32_t Support = 0;
};

// The system device list; owns its records.
class TMidiDevices {
 public:
  void Add(const TMidiDevice& Device) { m_items.push_back(std::make_unique<TMidiDevice>(Device)); }
  int Count() const { return static_cast<int>(m_items.size()); }
  const TMidiDevice& Items(int Index) const { return *m_items.at(static_cast<size_t>(Index)); }
  void Clear() { m_items.clear(); }

 private:
  std::vector<std::unique_ptr<TMidiDevice>> m_items;
};

// A device to play on: a system device number, or -1 for the MIDI mapper.
struct TMidiPlayDevice {
  int32_t DeviceId = -1;
};

// The play device list; the position of an entry is its port number.
class TMidiPlayDevices {
 public:
  void Add(int32_t DeviceId) { m_items.push_back(std::make_unique<TMidiPlayDevice>(TMidiPlayDevice{DeviceId})); }
  int Count() const { return static_cast<int>(m_items.size()); }
  const TMidiPlayDevice& Items(int Index) const { return *m_items.at(static_cast<size_t>(Index)); }
  void Clear() { m_items.clear(); }

 private:
  std::vector<std::unique_ptr<TMidiPlayDevice>> m_items;
};

// Headers of system-exclusive messages in flight. Owns each header and the
// data block its lpData points at (both from the C heap).
class TMidiLongMsgBufItems {
 public:
  TMidiLongMsgBufItems() = default;
  ~TMidiLongMsgBufItems() { Clear(); }
  TMidiLongMsgBufItems(const TMidiLongMsgBufItems&) = delete;
  TMidiLongMsgBufItems& operator=(const TMidiLongMsgBufItems&) = delete;

  // Takes ownership of Header and its data block; returns the position.
  int Add(MIDIHDR* Header);
  // Position of Header (by identity), -1 when absent.
  int IndexOf(const MIDIHDR* Header) const;
  MIDIHDR* Items(int Index) const { return m_items.at(static_cast<size_t>(Index)); }
  // Frees the data block and the header at Index and removes the entry.
  void Delete(int Index);
  // Frees every entry, from the last to the first, without unpreparing.
  void Clear();
  int Count() const { return static_cast<int>(m_items.size()); }

 private:
  std::vector<MIDIHDR*> m_items;
};

class TMidiOutput : public TMidiSong {
 public:
  static constexpr int kChannels = 16;
  static constexpr DWORD kAllNotesOff = 0x7BB0;  // control change 123, value 0, on channel 0

  // Fills the system device list and creates the hidden message window.
  TMidiOutput();
  // Frees the buffers still in flight and the window; closes ports left open.
  ~TMidiOutput() override;

  // Appends a play device (a device number, or -1 for the MIDI mapper).
  void AddPlayDevice(int32_t DeviceId);
  // Opens every play device in order; a failure makes the result false and the
  // next device is tried. PortsOpen becomes true.
  bool OpenPorts();
  // Resets and closes every open handle (OpenHandles keeps them); clears PortsOpen.
  virtual bool ClosePorts();
  // Control change 123 (all notes off) on every channel of every open handle.
  void AllNotesOff();
  // midiOutReset on every open handle.
  void ResetPorts();
  // The output of a track (through its record's Port), or nullptr: no record,
  // no play device for the port, or its device did not open.
  HMIDIOUT DeviceForTrack(int Track) const;

  void SendShort(int Track, TMidiEventItemShort* Item) override;
  void SendLong(int Track, TMidiEventItemLong* Item) override;

  // The hidden window that receives MM_MOM_DONE.
  HWND MessageWindow() const { return m_window; }
  // Buffers in flight (taken under the buffer lock).
  int PendingCount() const;

  TMidiDevices MidiDevices;        // the system's devices, filled once
  TMidiPlayDevices PlayDevices;    // the devices to open; port = position
  TListIntItems OpenHandles;       // handles of the devices that opened, in order
  std::atomic<bool> PortsOpen{false};
  TMidiLongMsgBufItems LongMsgBufItems;  // headers in flight ...
  TListIntItems PendingHandles;          // ... and the handle each was sent to

 protected:
  // When the item was due on the steady clock; the built-in synthesizer starts
  // it then plus its fixed delay. The sequencer knows; the default is now.
  virtual TMidiDueTime DueTimeFor(const TMidiEventItemStanderd& Item);
  // The hidden window's procedure: completion of a long buffer, else the default.
  LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam);

  // Guards LongMsgBufItems and PendingHandles together.
  mutable std::mutex m_bufferMutex;

 private:
  void FillDevices();
  void HandleLongDone(MIDIHDR* Header);

  HWND m_window = nullptr;
  // The handle of each port (nullptr where the device failed to open), so
  // that a failed device never shifts later ports onto the wrong output.
  std::vector<HMIDIOUT> m_portHandles;
};

// A handle kept in a 32-bit integer list and back.
int32_t HandleToValue(HMIDIOUT Handle);
HMIDIOUT ValueToHandle(int32_t Value);
