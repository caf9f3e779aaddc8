#include "platform/audio/audio_stream.h"

#include <RtAudio.h>
#include <alsa/asoundlib.h>

#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// True when some sound system could be there: an ALSA device folder or a
// PulseAudio (or PipeWire) server socket. Without either, probing RtAudio's
// back ends only prints connection errors.
bool SoundSystemPresent() {
  if (access("/dev/snd", F_OK) == 0) return true;
  if (std::getenv("PULSE_SERVER") != nullptr) return true;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
    if (access((std::string(runtime) + "/pulse/native").c_str(), F_OK) == 0) return true;
  }
  const std::string userSocket = "/run/user/" + std::to_string(getuid()) + "/pulse/native";
  return access(userSocket.c_str(), F_OK) == 0 || access("/var/run/pulse/native", F_OK) == 0;
}

double FramesToMs(double frames, double rate) { return rate > 0 ? frames * 1000.0 / rate : 0.0; }

}  // namespace

void SilenceAlsaErrors() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(IgnoreAlsaError); });
}

TAudioStream::TAudioStream() = default;

TAudioStream::~TAudioStream() { Close(); }

TStreamSettings TAudioStream::RequestedSettings() {
  TStreamSettings s;
  s.sampleRate = kPreferredRate;
  s.bufferFrames = kPreferredBufferFrames;
  s.numberOfBuffers = kNumberOfBuffers;
  s.latencyMs = FramesToMs(static_cast<double>(kPreferredBufferFrames) * kNumberOfBuffers, kPreferredRate);
  return s;
}

int TAudioStream::Callback(void* output, void*, unsigned frames, double, unsigned, void* user) {
  auto* self = static_cast<TAudioStream*>(user);
  self->m_render(static_cast<float*>(output), frames);
  return 0;
}

std::vector<std::string> TAudioStream::OutputDeviceNames() {
  std::vector<std::string> names;
  SilenceAlsaErrors();
  if (!SoundSystemPresent()) return names;
  try {
    RtAudio audio;
    audio.showWarnings(false);
    const unsigned count = audio.getDeviceCount();
    for (unsigned id = 0; id < count; ++id) {
      const RtAudio::DeviceInfo info = audio.getDeviceInfo(id);
      if (info.probed && info.outputChannels >= 2) names.push_back(info.name);
    }
  } catch (const RtAudioError&) {
    names.clear();
  }
  return names;
}

bool TAudioStream::Open(TRenderFunction render, std::string& reason, const std::string& deviceName) {
  Close();
  SilenceAlsaErrors();
  m_render = std::move(render);
  if (!SoundSystemPresent()) {
    reason = "no sound device (neither ALSA devices nor a PulseAudio server)";
    return false;
  }
  try {
    m_audio = std::make_unique<RtAudio>();
    m_audio->showWarnings(false);
    if (m_audio->getDeviceCount() == 0) {
      reason = "no audio output device";
      m_audio.reset();
      return false;
    }
    RtAudio::StreamParameters parameters;
    parameters.deviceId = m_audio->getDefaultOutputDevice();
    if (!deviceName.empty()) {
      bool found = false;
      const unsigned count = m_audio->getDeviceCount();
      for (unsigned id = 0; id < count && !found; ++id) {
        const RtAudio::DeviceInfo candidate = m_audio->getDeviceInfo(id);
        if (candidate.probed && candidate.name == deviceName) {
          parameters.deviceId = id;
          found = true;
        }
      }
      if (!found) {
        reason = "no audio output device named " + deviceName;
        m_audio.reset();
        return false;
      }
    }
    parameters.nChannels = 2;
    parameters.firstChannel = 0;
    const RtAudio::DeviceInfo info = m_audio->getDeviceInfo(parameters.deviceId);
    if (info.outputChannels < 2) {
      reason = "the device has no stereo output";
      m_audio.reset();
      return false;
    }
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_SCHEDULE_REALTIME;
    options.numberOfBuffers = kNumberOfBuffers;
    options.streamName = "Pluvionaut";
    // 48 kHz first; a device that refuses it gets its own preferred rate.
    unsigned rates[] = {kPreferredRate, info.preferredSampleRate};
    for (unsigned rate : rates) {
      if (rate == 0) continue;
      unsigned bufferFrames = kPreferredBufferFrames;
      try {
        m_audio->openStream(&parameters, nullptr, RTAUDIO_FLOAT32, rate, &bufferFrames,
                            &TAudioStream::Callback, this, &options);
      } catch (const RtAudioError& error) {
        reason = error.getMessage();
        continue;
      }
      m_settings.sampleRate = m_audio->getStreamSampleRate();
      m_settings.bufferFrames = bufferFrames;
      m_settings.numberOfBuffers = options.numberOfBuffers;
      m_settings.deviceName = info.name;
      m_settings.api = RtAudio::getApiName(m_audio->getCurrentApi());
      m_audio->startStream();
      m_settings.latencyMs = FramesToMs(static_cast<double>(m_audio->getStreamLatency()), m_settings.sampleRate);
      m_running = true;
      return true;
    }
  } catch (const RtAudioError& error) {
    reason = error.getMessage();
  }
  m_audio.reset();
  return false;
}

void TAudioStream::Close() {
  if (!m_audio) return;
  try {
    if (m_audio->isStreamRunning()) m_audio->stopStream();
    if (m_audio->isStreamOpen()) m_audio->closeStream();
  } catch (const RtAudioError&) {
    // Closing a vanished device has nothing left to do.
  }
  m_audio.reset();
  m_running = false;
}
