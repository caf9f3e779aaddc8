// A MIDI output device for tests that keeps every message with the moment it
// was sent and its due time. Not listed until a test installs it; installing
// twice gives the same device. Any thread; the device table owns it.
#pragma once

#include <mutex>
#include <vector>

#include "platform/winmm/mmsystem.h"

struct TRecordedMidiMessage {
  HMIDIOUT Handle;            // the handle it was sent through
  std::vector<BYTE> Bytes;    // empty for a reset
  bool Reset;                 // midiOutReset
  TMidiDueTime SentAt;        // when the device received it
  TMidiDueTime Due;           // the due time given by the sender
};

class TRecordingMidiOut {
 public:
  UINT DeviceId() const { return m_deviceId; }
  std::vector<TRecordedMidiMessage> Messages() const;
  void Clear();
  void Record(TRecordedMidiMessage message);

 private:
  friend TRecordingMidiOut& InstallRecordingMidiOutDevice();
  UINT m_deviceId = 0;
  mutable std::mutex m_mutex;
  std::vector<TRecordedMidiMessage> m_messages;
};

inline constexpr char kRecordingMidiOutName[] = "Recording MIDI Out";

// Adds the recording device to the device table (once) and returns it.
TRecordingMidiOut& InstallRecordingMidiOutDevice();
