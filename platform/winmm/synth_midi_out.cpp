// Device 0 and the MIDI mapper: the built-in General MIDI synthesizer of the
// audio engine. Messages are scheduled at their due time plus the engine's
// fixed delay.
#include "platform/audio/audio_engine.h"
#include "platform/audio/synthesizer.h"
#include "platform/winmm/midi_out_device.h"

namespace {

constexpr char kSynthesizerName[] = "FluidSynth General MIDI";

class TSynthesizerPort : public TMidiOutPort {
 public:
  void Send(const BYTE* bytes, size_t length, TMidiDueTime due) override {
    TAudioEngine::Global().SendMidi(bytes, length, due);
  }
  void Reset() override { TAudioEngine::Global().ResetSynthesizer(); }
};

class TSynthesizerDevice : public TMidiOutDevice {
 public:
  MIDIOUTCAPSA Caps() const override {
    return MakeMidiOutCaps(kSynthesizerName, MOD_SWSYNTH, TSynthesizer::kPolyphony, TSynthesizer::kPolyphony);
  }
  MMRESULT Open(HMIDIOUT, std::unique_ptr<TMidiOutPort>& port) override {
    // Without a SoundFont there is no synthesizer: the game then runs silently.
    if (!TAudioEngine::Global().OpenSynthesizer()) return MMSYSERR_NODRIVER;
    port = std::make_unique<TSynthesizerPort>();
    return MMSYSERR_NOERROR;
  }
};

}  // namespace

std::shared_ptr<TMidiOutDevice> MakeSynthesizerMidiOutDevice() { return std::make_shared<TSynthesizerDevice>(); }
