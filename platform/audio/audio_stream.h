// The audio output device: one stream of interleaved stereo float whose
// thread asks for frames. The sound system is chosen on purpose: a PulseAudio
// server (PipeWire's too) first, through libpulse, then ALSA through RtAudio;
// JACK only when the player chose a JACK device, and no JACK server is ever
// started. Devices are named with their system in front ("PulseAudio: ...",
// "ALSA: ...", "JACK: ..."); a name without one (an older setting) is looked
// for among the PulseAudio sinks' and the ALSA devices' names. Opened and
// closed on the main thread; the render function runs on the audio thread.
// Absent (Open fails quietly) on a machine without a sound device.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class RtAudio;
class TPulseOutput;

// Fills frames of interleaved stereo float; runs on the audio thread.
using TRenderFunction = std::function<void(float* interleaved, unsigned frames)>;

// What a stream was configured with (or would be, when no device exists).
struct TStreamSettings {
  unsigned sampleRate = 0;
  unsigned bufferFrames = 0;
  unsigned numberOfBuffers = 0;
  double latencyMs = 0.0;  // as the device reports it, or computed when closed
  std::string deviceName;  // with its system in front
  std::string api;
};

class TAudioStream {
 public:
  static constexpr unsigned kPreferredRate = 48000;
  static constexpr unsigned kPreferredBufferFrames = 256;  // about 5 ms
  static constexpr unsigned kNumberOfBuffers = 2;
  // What a PulseAudio server keeps queued ahead of the sound: enough for a
  // thread woken late while the disk is busy (see bench/).
  static constexpr unsigned kPulseBufferMs = 40;
  // Blocks a PulseAudio stream is rendered in: a third of the queue, in
  // multiples of 128 frames.
  static constexpr unsigned kPulseBlocksQueued = 3;
  static constexpr unsigned kPulseBlockGrain = 128;
  // On PipeWire: blocks of a whole graph quantum, two of them queued.
  static constexpr unsigned kPipeWireBlockFrames = 1024;
  static constexpr unsigned kPipeWireBlocksQueued = 2;

  static constexpr char kPulsePrefix[] = "PulseAudio: ";
  static constexpr char kAlsaPrefix[] = "ALSA: ";
  static constexpr char kJackPrefix[] = "JACK: ";

  TAudioStream();
  ~TAudioStream();
  TAudioStream(const TAudioStream&) = delete;
  TAudioStream& operator=(const TAudioStream&) = delete;

  // Opens and starts the output device of that name (empty: the default:
  // the PulseAudio server's default sink, else ALSA's default device, else
  // any ALSA output that opens). False (with reason) when there is no such
  // device or it refuses every setting tried. pulseBufferMs: what the server
  // keeps queued (0: kPulseBufferMs).
  bool Open(TRenderFunction render, std::string& reason, const std::string& deviceName = {},
            unsigned pulseBufferMs = 0);
  void Close();
  bool Running() const { return m_running; }
  const TStreamSettings& Settings() const { return m_settings; }

  // What Open asks of a device: the settings a stream would have before the
  // device adjusts them.
  static TStreamSettings RequestedSettings();
  // The names of the devices with a stereo output, each with its system in
  // front; sinks of one description are told apart by " (2)", " (3)"...
  // (empty without a sound system). Main thread.
  static std::vector<std::string> OutputDeviceNames();
  // Whether some sound system could be there: ALSA devices or a PulseAudio
  // server's socket (any thread; looks at files only).
  static bool SoundSystemPresent();

 private:
  bool OpenPulse(const std::string& sinkName, const std::string& label, unsigned bufferMs, std::string& reason);
  // One RtAudio device of that API (name empty: its default, then any output).
  bool OpenRtAudio(int api, const std::string& name, std::string& reason);
  bool OpenRtAudioDevice(unsigned deviceId, std::string& reason);

  static int Callback(void* output, void* input, unsigned frames, double streamTime,
                      unsigned status, void* user);

  std::unique_ptr<RtAudio> m_audio;
  std::unique_ptr<TPulseOutput> m_pulse;
  TRenderFunction m_render;
  TStreamSettings m_settings;
  bool m_running = false;
};

// Silences ALSA's own error printing (snd_lib_error_set_handler). Idempotent.
void SilenceAlsaErrors();
