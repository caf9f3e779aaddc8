// The General MIDI synthesizer: FluidSynth with a GM SoundFont. Created and
// loaded on the main thread; afterwards only the audio thread (or an offline
// render) calls Apply and Render. The audio engine owns it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

// The standard places of a GM SoundFont on Debian-like systems, in order of preference.
std::vector<std::string> DefaultSoundFontPaths();

class TSynthesizer {
 public:
  // FluidSynth's rendering block: messages take effect at its boundaries.
  static constexpr int kBlockFrames = 64;
  static constexpr int kPolyphony = 256;

  // Loads the first SoundFont of paths that FluidSynth accepts. nullptr when none
  // loads (nothing is printed on stdout).
  static std::unique_ptr<TSynthesizer> Create(const std::vector<std::string>& paths,
                                               double sampleRate);
  ~TSynthesizer();
  TSynthesizer(const TSynthesizer&) = delete;
  TSynthesizer& operator=(const TSynthesizer&) = delete;

  const std::string& SoundFontPath() const { return m_soundFontPath; }

  // Performs one complete message: a channel message (1 to 3 bytes) or a
  // system-exclusive message starting with F0.
  void Apply(const std::uint8_t* bytes, size_t length);
  // What a General MIDI module does on a reset: every sounding note is
  // released (it dies away through its release envelope, the reverb tail
  // stays) and every channel's controllers reset.
  void ReleaseAndResetControllers();
  // Adds frames of stereo sound to the interleaved buffer (it is overwritten).
  void Render(float* interleaved, size_t frames);

 private:
  TSynthesizer() = default;

  _fluid_hashtable_t* m_settings = nullptr;
  _fluid_synth_t* m_synth = nullptr;
  std::string m_soundFontPath;
};
