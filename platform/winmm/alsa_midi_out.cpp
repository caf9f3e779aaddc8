// Devices 1 and up: the writable ports of the ALSA sequencer, through RtMidi,
// named as RtMidi names them. A machine without a sequencer has none.
#include <RtMidi.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "platform/audio/audio_stream.h"
#include "platform/winmm/midi_out_device.h"
#include "platform/winmm/midi_out_ports.h"

namespace {

constexpr char kSequencerDevice[] = "/dev/snd/seq";
constexpr char kClientName[] = "Pluvionaut";
constexpr int kChannels = 16;
constexpr BYTE kControlChange = 0xB0;
constexpr BYTE kSustain = 64;
constexpr BYTE kResetAllControllers = 121;
constexpr BYTE kAllNotesOff = 123;

void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

std::unique_ptr<RtMidiOut> MakeClient() {
  if (access(kSequencerDevice, F_OK) != 0) return nullptr;
  SilenceAlsaErrors();
  try {
    auto client = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
    client->setErrorCallback(IgnoreRtMidiError, nullptr);
    return client;
  } catch (const RtMidiError&) {
    return nullptr;
  }
}

class TAlsaPort : public TMidiOutPort {
 public:
  explicit TAlsaPort(std::unique_ptr<RtMidiOut> client) : m_client(std::move(client)) {}

  void Send(const BYTE* bytes, size_t length, TMidiDueTime) override {
    std::lock_guard lock(m_mutex);
    try {
      m_client->sendMessage(bytes, length);
    } catch (const RtMidiError&) {
      // A port that vanished takes no more messages; the game goes on.
    }
  }

  // Like a General MIDI module's reset: notes are released, not cut off.
  void Reset() override {
    for (BYTE channel = 0; channel < kChannels; ++channel) {
      for (BYTE controller : {kSustain, kAllNotesOff, kResetAllControllers}) {
        const BYTE message[] = {static_cast<BYTE>(kControlChange | channel), controller, 0};
        Send(message, sizeof message, {});
      }
    }
  }

 private:
  std::mutex m_mutex;
  std::unique_ptr<RtMidiOut> m_client;
};

class TAlsaDevice : public TMidiOutDevice {
 public:
  TAlsaDevice(std::string name, unsigned index) : m_name(std::move(name)), m_index(index) {}

  MIDIOUTCAPSA Caps() const override { return MakeMidiOutCaps(m_name.c_str(), MOD_MIDIPORT, 0, 0); }
  std::string Name() const override { return m_name; }

  MMRESULT Open(HMIDIOUT, std::unique_ptr<TMidiOutPort>& port) override {
    auto client = MakeClient();
    if (!client) return MIDIERR_NODEVICE;
    try {
      // Ports may have come and gone since the list was made: find it by name.
      unsigned index = m_index;
      const unsigned count = client->getPortCount();
      for (unsigned i = 0; i < count; ++i) {
        if (client->getPortName(i) == m_name) index = i;
      }
      if (index >= count || client->getPortName(index) != m_name) return MIDIERR_NODEVICE;
      client->openPort(index, kClientName);
    } catch (const RtMidiError&) {
      return MMSYSERR_ALLOCATED;
    }
    port = std::make_unique<TAlsaPort>(std::move(client));
    return MMSYSERR_NOERROR;
  }

 private:
  std::string m_name;
  unsigned m_index;
};

}  // namespace

std::vector<std::shared_ptr<TMidiOutDevice>> MakeAlsaMidiOutDevices() {
  std::vector<std::shared_ptr<TMidiOutDevice>> devices;
  auto client = MakeClient();
  if (!client) return devices;
  try {
    const unsigned count = client->getPortCount();
    for (unsigned i = 0; i < count; ++i) devices.push_back(std::make_shared<TAlsaDevice>(client->getPortName(i), i));
  } catch (const RtMidiError&) {
    devices.clear();
  }
  return devices;
}

std::vector<std::string> SystemMidiOutPortNames() {
  std::vector<std::string> names;
  auto client = MakeClient();
  if (!client) return names;
  try {
    const unsigned count = client->getPortCount();
    for (unsigned i = 0; i < count; ++i) names.push_back(client->getPortName(i));
  } catch (const RtMidiError&) {
    names.clear();
  }
  return names;
}

std::shared_ptr<TMidiOutDevice> MakeAlsaMidiOutDevice(const std::string& name) {
  const std::vector<std::string> names = SystemMidiOutPortNames();
  for (unsigned i = 0; i < names.size(); ++i) {
    if (names[i] == name) return std::make_shared<TAlsaDevice>(name, i);
  }
  return nullptr;
}
