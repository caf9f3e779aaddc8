#include "platform/winmm/recording_midi_out.h"

#include <chrono>

#include "platform/winmm/midi_out_device.h"

namespace {

class TRecordingPort : public TMidiOutPort {
 public:
  TRecordingPort(TRecordingMidiOut& recorder, HMIDIOUT handle) : m_recorder(recorder), m_handle(handle) {}
  void Send(const BYTE* bytes, size_t length, TMidiDueTime due) override {
    m_recorder.Record({m_handle, std::vector<BYTE>(bytes, bytes + length), false,
                       std::chrono::steady_clock::now(), due});
  }
  void Reset() override {
    const auto now = std::chrono::steady_clock::now();
    m_recorder.Record({m_handle, {}, true, now, now});
  }

 private:
  TRecordingMidiOut& m_recorder;
  HMIDIOUT m_handle;
};

class TRecordingDevice : public TMidiOutDevice {
 public:
  explicit TRecordingDevice(TRecordingMidiOut& recorder) : m_recorder(recorder) {}
  MIDIOUTCAPSA Caps() const override { return MakeMidiOutCaps(kRecordingMidiOutName, MOD_MIDIPORT, 0, 0); }
  MMRESULT Open(HMIDIOUT handle, std::unique_ptr<TMidiOutPort>& port) override {
    port = std::make_unique<TRecordingPort>(m_recorder, handle);
    return MMSYSERR_NOERROR;
  }

 private:
  TRecordingMidiOut& m_recorder;
};

}  // namespace

std::vector<TRecordedMidiMessage> TRecordingMidiOut::Messages() const {
  std::lock_guard lock(m_mutex);
  return m_messages;
}

void TRecordingMidiOut::Clear() {
  std::lock_guard lock(m_mutex);
  m_messages.clear();
}

void TRecordingMidiOut::Record(TRecordedMidiMessage message) {
  std::lock_guard lock(m_mutex);
  m_messages.push_back(std::move(message));
}

TRecordingMidiOut& InstallRecordingMidiOutDevice() {
  static TRecordingMidiOut* recorder = [] {
    auto* r = new TRecordingMidiOut();  // lives as long as the device table
    r->m_deviceId = AddMidiOutDevice(std::make_shared<TRecordingDevice>(*r));
    return r;
  }();
  return *recorder;
}
