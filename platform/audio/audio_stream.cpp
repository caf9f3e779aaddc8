#include "platform/audio/audio_stream.h"

#include "platform/audio/pulse_output.h"

#include <RtAudio.h>
#include <alsa/asoundlib.h>

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

double FramesToMs(double frames, double rate) { return rate > 0 ? frames * 1000.0 / rate : 0.0; }

}  // namespace

bool TAudioStream::SoundSystemPresent() {
  // An ALSA device folder or a PulseAudio (or PipeWire) server socket:
  // without either, probing the back ends only prints connection errors.
  return access("/dev/snd", F_OK) == 0 || TPulseOutput::ServerReachable();
}

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

namespace {

struct TPulseLabel {
  std::string label;  // the description, told apart from equal ones
  TPulseSink sink;
};

// The server's sinks under the names the player sees: a description that
// several sinks share gets " (2)", " (3)"... in the server's order.
std::vector<TPulseLabel> PulseLabels() {
  std::vector<TPulseLabel> labels;
  for (TPulseSink& sink : TPulseOutput::Sinks()) {
    int same = 1;
    for (const TPulseLabel& earlier : labels) same += earlier.sink.description == sink.description;
    std::string label = sink.description;
    if (same > 1) label += " (" + std::to_string(same) + ")";
    labels.push_back({std::move(label), std::move(sink)});
  }
  return labels;
}

std::vector<std::string> RtAudioOutputs(RtAudio::Api api) {
  std::vector<std::string> names;
  try {
    RtAudio audio(api);
    audio.showWarnings(false);
    if (audio.getCurrentApi() != api) return names;
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

bool StartsWith(const std::string& text, const char* prefix, std::string& rest) {
  const std::string_view p(prefix);
  if (text.compare(0, p.size(), p) != 0) return false;
  rest = text.substr(p.size());
  return true;
}

// A JACK server runs when its sockets are there (JACK 2: /dev/shm/jack_default_*,
// JACK 1: /dev/shm/jack-UID/); without one RtAudio's JACK back end is not
// even asked, so no JACK server is started and no JACK error is printed.
bool JackServerRunning() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
    if (entry.path().filename().string().starts_with("jack")) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> TAudioStream::OutputDeviceNames() {
  std::vector<std::string> names;
  SilenceAlsaErrors();
  if (!SoundSystemPresent() && !JackServerRunning()) return names;
  for (const TPulseLabel& pulse : PulseLabels()) names.push_back(kPulsePrefix + pulse.label);
  if (access("/dev/snd", F_OK) == 0 || !names.empty()) {
    for (const std::string& alsa : RtAudioOutputs(RtAudio::LINUX_ALSA)) names.push_back(kAlsaPrefix + alsa);
  }
  if (JackServerRunning()) {
    for (const std::string& jack : RtAudioOutputs(RtAudio::UNIX_JACK)) names.push_back(kJackPrefix + jack);
  }
  return names;
}

bool TAudioStream::Open(TRenderFunction render, std::string& reason, const std::string& deviceName,
                        unsigned pulseBufferMs) {
  Close();
  SilenceAlsaErrors();
  m_render = std::move(render);
  const unsigned bufferMs = pulseBufferMs != 0 ? pulseBufferMs : kPulseBufferMs;
  std::string name;
  if (StartsWith(deviceName, kJackPrefix, name)) {
    if (!JackServerRunning()) {
      reason = "no JACK server runs";
      return false;
    }
    return OpenRtAudio(RtAudio::UNIX_JACK, name, reason);
  }
  if (!SoundSystemPresent()) {
    reason = "no sound device (neither ALSA devices nor a PulseAudio server)";
    return false;
  }
  if (StartsWith(deviceName, kAlsaPrefix, name)) return OpenRtAudio(RtAudio::LINUX_ALSA, name, reason);
  const bool pulseNamed = StartsWith(deviceName, kPulsePrefix, name);
  if (!pulseNamed) name = deviceName;  // empty, or a name from before the systems were named
  if (TPulseOutput::ServerReachable()) {
    if (name.empty()) {
      if (OpenPulse({}, {}, bufferMs, reason)) return true;
    } else {
      for (const TPulseLabel& pulse : PulseLabels()) {
        if (pulse.label == name || (!pulseNamed && pulse.sink.description == name)) {
          return OpenPulse(pulse.sink.name, pulse.label, bufferMs, reason);
        }
      }
      if (pulseNamed) {
        reason = "no PulseAudio sink named " + name;
        return false;
      }
    }
  } else if (pulseNamed) {
    reason = "no PulseAudio server";
    return false;
  }
  return OpenRtAudio(RtAudio::LINUX_ALSA, name, reason);
}

bool TAudioStream::OpenPulse(const std::string& sinkName, const std::string& label, unsigned bufferMs,
                             std::string& reason) {
  auto pulse = std::make_unique<TPulseOutput>();
  // The server asks for a third of what it keeps queued at a time: blocks of
  // that size come at an even pace (smaller ones would come in bursts, which
  // the stream clock would take for stalls).
  // PipeWire asks in its graph's quantum (256 to 1024 frames as the clients
  // need): blocks of 1024 come at an even pace whatever it is, two queued.
  const bool pipeWire = TPulseOutput::ServerIsPipeWire();
  const unsigned queued = pipeWire ? kPipeWireBlocksQueued : kPulseBlocksQueued;
  const unsigned blockFrames =
      pipeWire ? kPipeWireBlockFrames
               : std::max(kPulseBlockGrain, (kPreferredRate * bufferMs / 1000 / kPulseBlocksQueued + kPulseBlockGrain / 2) /
                                                kPulseBlockGrain * kPulseBlockGrain);
  const unsigned bufferFrames = blockFrames * queued;
  if (!pulse->Open(sinkName, kPreferredRate, blockFrames, bufferFrames, m_render, reason)) return false;
  m_settings.sampleRate = kPreferredRate;
  m_settings.bufferFrames = blockFrames;
  m_settings.numberOfBuffers = queued;
  std::string shown = label;
  if (shown.empty()) {
    // The default sink, named as the list names it.
    for (const TPulseLabel& pulse : PulseLabels()) {
      if (pulse.sink.isDefault) shown = pulse.label;
    }
  }
  m_settings.deviceName = kPulsePrefix + shown;
  m_settings.api = "pulse";
  const double reported = pulse->LatencyMs();
  m_settings.latencyMs = reported > 0.0 ? reported : FramesToMs(bufferFrames, kPreferredRate);
  m_pulse = std::move(pulse);
  m_running = true;
  return true;
}

bool TAudioStream::OpenRtAudio(int api, const std::string& name, std::string& reason) {
  try {
    m_audio = std::make_unique<RtAudio>(static_cast<RtAudio::Api>(api));
    m_audio->showWarnings(false);
    if (m_audio->getCurrentApi() != static_cast<RtAudio::Api>(api) || m_audio->getDeviceCount() == 0) {
      reason = "no audio output device";
      m_audio.reset();
      return false;
    }
    const unsigned count = m_audio->getDeviceCount();
    if (!name.empty()) {
      for (unsigned id = 0; id < count; ++id) {
        const RtAudio::DeviceInfo candidate = m_audio->getDeviceInfo(id);
        if (candidate.probed && candidate.name == name) return OpenRtAudioDevice(id, reason);
      }
      reason = "no audio output device named " + name;
      m_audio.reset();
      return false;
    }
    // The default device, else any output with two channels that opens.
    const unsigned preferred = m_audio->getDefaultOutputDevice();
    if (preferred < count && OpenRtAudioDevice(preferred, reason)) return true;
    for (unsigned id = 0; id < count; ++id) {
      if (id != preferred && OpenRtAudioDevice(id, reason)) return true;
    }
  } catch (const RtAudioError& error) {
    reason = error.getMessage();
  }
  m_audio.reset();
  return false;
}

bool TAudioStream::OpenRtAudioDevice(unsigned deviceId, std::string& reason) {
  if (!m_audio) return false;
  RtAudio::StreamParameters parameters;
  parameters.deviceId = deviceId;
  parameters.nChannels = 2;
  parameters.firstChannel = 0;
  RtAudio::DeviceInfo info;
  try {
    info = m_audio->getDeviceInfo(deviceId);
  } catch (const RtAudioError& error) {
    reason = error.getMessage();
    return false;
  }
  if (!info.probed || info.outputChannels < 2) {
    reason = "the device has no stereo output";
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
      m_audio->openStream(&parameters, nullptr, RTAUDIO_FLOAT32, rate, &bufferFrames, &TAudioStream::Callback, this,
                          &options);
      m_settings.sampleRate = m_audio->getStreamSampleRate();
      m_settings.bufferFrames = bufferFrames;
      m_settings.numberOfBuffers = options.numberOfBuffers;
      const bool jack = m_audio->getCurrentApi() == RtAudio::UNIX_JACK;
      m_settings.deviceName = (jack ? kJackPrefix : kAlsaPrefix) + info.name;
      m_settings.api = RtAudio::getApiName(m_audio->getCurrentApi());
      m_audio->startStream();
      m_settings.latencyMs = FramesToMs(static_cast<double>(m_audio->getStreamLatency()), m_settings.sampleRate);
      m_running = true;
      return true;
    } catch (const RtAudioError& error) {
      reason = error.getMessage();
      try {
        if (m_audio->isStreamOpen()) m_audio->closeStream();
      } catch (const RtAudioError&) {
      }
    }
  }
  return false;
}

void TAudioStream::Close() {
  if (m_pulse) {
    m_pulse->Close();
    m_pulse.reset();
    m_running = false;
  }
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
