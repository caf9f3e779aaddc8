// Helpers of the audio tests: an offline engine on the small GM SoundFont,
// levels and onsets of rendered buffers, and WAV files written for a test.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/audio/audio_engine.h"

inline TAudioEngineOptions OfflineOptions() {
  TAudioEngineOptions options;
  options.deviceOutput = false;
  // The small SoundFont first: it loads in a fraction of the time.
  options.soundFontPaths = DefaultSoundFontPaths();
  options.soundFontPaths.insert(options.soundFontPaths.begin(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
  return options;
}

inline double Peak(const std::vector<float>& buffer, size_t firstFrame, size_t lastFrame) {
  double peak = 0.0;
  for (size_t i = 2 * firstFrame; i < 2 * lastFrame && i < buffer.size(); ++i) {
    peak = std::max(peak, static_cast<double>(std::fabs(buffer[i])));
  }
  return peak;
}

// First frame whose left or right sample exceeds threshold; buffer frames when none.
inline size_t Onset(const std::vector<float>& buffer, double threshold = 1e-6) {
  for (size_t i = 0; i < buffer.size(); ++i) {
    if (std::fabs(buffer[i]) > threshold) return i / 2;
  }
  return buffer.size() / 2;
}

inline void WriteSineWav(const std::string& path, int rate, int channels, double seconds, double hz) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  const int frames = static_cast<int>(rate * seconds);
  std::vector<float> samples(static_cast<size_t>(frames * channels));
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      samples[static_cast<size_t>(f * channels + c)] =
          static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * f / rate));
    }
  }
  sf_writef_float(file, samples.data(), frames);
  sf_close(file);
}
