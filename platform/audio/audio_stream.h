// The audio output device: one RtAudio stream of interleaved stereo float
// whose callback asks for frames. Opened and closed on the main thread; the
// render function runs on the audio thread. Absent (Open fails quietly) on a
// machine without a sound device.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class RtAudio;

// Fills frames of interleaved stereo float; runs on the audio thread.
using TRenderFunction = std::function<void(float* interleaved, unsigned frames)>;

// What a stream was configured with (or would be, when no device exists).
struct TStreamSettings {
  unsigned sampleRate = 0;
  unsigned bufferFrames = 0;
  unsigned numberOfBuffers = 0;
  double latencyMs = 0.0;  // as the device reports it, or computed when closed
  std::string deviceName;
  std::string api;
};

class TAudioStream {
 public:
  static constexpr unsigned kPreferredRate = 48000;
  static constexpr unsigned kPreferredBufferFrames = 256;  // about 5 ms
  static constexpr unsigned kNumberOfBuffers = 2;

  TAudioStream();
  ~TAudioStream();
  TAudioStream(const TAudioStream&) = delete;
  TAudioStream& operator=(const TAudioStream&) = delete;

  // Opens and starts the output device of that name (empty: the default).
  // False (with reason) when there is no such device or it refuses every
  // setting tried.
  bool Open(TRenderFunction render, std::string& reason, const std::string& deviceName = {});
  void Close();
  bool Running() const { return m_running; }
  const TStreamSettings& Settings() const { return m_settings; }

  // What Open asks of a device: the settings a stream would have before the
  // device adjusts them.
  static TStreamSettings RequestedSettings();
  // The names of the devices with a stereo output, as RtAudio lists them
  // (empty without a sound system). Main thread.
  static std::vector<std::string> OutputDeviceNames();

 private:
  static int Callback(void* output, void* input, unsigned frames, double streamTime,
                      unsigned status, void* user);

  std::unique_ptr<RtAudio> m_audio;
  TRenderFunction m_render;
  TStreamSettings m_settings;
  bool m_running = false;
};

// Silences ALSA's own error printing (snd_lib_error_set_handler). Idempotent.
void SilenceAlsaErrors();
