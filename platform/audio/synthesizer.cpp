#include "platform/audio/synthesizer.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace {

constexpr int kChannels = 16;
constexpr int kControllerSustain = 64;
constexpr int kControllerSostenuto = 66;
constexpr int kControllerResetAll = 121;
constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;
constexpr std::uint8_t kSystemReset = 0xFF;
// FluidSynth's own default of 0.2 leaves a General MIDI song some 16 dB below
// the voice lines; 18 dB more puts an ordinary song beside them and keeps a
// quiet piano piece within 10 dB of them. The mix's limiter catches what a
// dense song adds above that.
constexpr double kSynthGain = 1.6;

// FluidSynth prints its information and debug messages on stdout; the game's
// stdout stays clean, and only real errors reach stderr.
void LogToStderr(int level, const char* message, void*) {
  if (level <= FLUID_ERR) std::fprintf(stderr, "fluidsynth: %s\n", message);
}

void Discard(int, const char*, void*) {}

// Roland GS reset: F0 41 <device> 42 12 40 00 7F 00 <checksum> F7.
bool IsGsReset(const std::uint8_t* b, size_t n) {
  return n >= 10 && b[1] == 0x41 && b[3] == 0x42 && b[4] == 0x12 && b[5] == 0x40 && b[6] == 0x00 &&
         b[7] == 0x7F && b[8] == 0x00;
}

// Roland GS system mode set: F0 41 <device> 42 12 00 00 7F <mode> <checksum> F7,
// mode 00 (single module) or 01 (double module). A GS module reinitialises
// itself on it exactly as on the GS reset.
bool IsGsSystemModeSet(const std::uint8_t* b, size_t n) {
  return n >= 10 && b[1] == 0x41 && b[3] == 0x42 && b[4] == 0x12 && b[5] == 0x00 && b[6] == 0x00 &&
         b[7] == 0x7F && b[8] <= 0x01;
}

// Yamaha XG system on (F0 43 1n 4C 00 00 7E 00 F7) and all-parameter reset (... 7F 00 F7).
bool IsXgReset(const std::uint8_t* b, size_t n) {
  return n >= 9 && b[1] == 0x43 && (b[2] & 0xF0) == 0x10 && b[3] == 0x4C && b[4] == 0x00 && b[5] == 0x00 &&
         (b[6] == 0x7E || b[6] == 0x7F) && b[7] == 0x00;
}

void RouteFluidLogOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_PANIC, LogToStderr, nullptr);
    fluid_set_log_function(FLUID_ERR, LogToStderr, nullptr);
    fluid_set_log_function(FLUID_WARN, Discard, nullptr);
    fluid_set_log_function(FLUID_INFO, Discard, nullptr);
    fluid_set_log_function(FLUID_DBG, Discard, nullptr);
  });
}

}  // namespace

std::vector<std::string> DefaultSoundFontPaths() {
  return {
      "/usr/share/sounds/sf2/default-GM.sf2",     "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/share/soundfonts/default.sf2",        "/usr/share/soundfonts/FluidR3_GM.sf2",
      "/usr/share/sounds/sf2/TimGM6mb.sf2",       "/usr/share/sounds/sf3/default-GM.sf3",
      "/usr/share/sounds/sf2/FluidR3_GS.sf2",
  };
}

std::unique_ptr<TSynthesizer> TSynthesizer::Create(const std::vector<std::string>& paths,
                                                   double sampleRate) {
  RouteFluidLogOnce();
  std::unique_ptr<TSynthesizer> synth(new TSynthesizer());
  synth->m_settings = new_fluid_settings();
  if (synth->m_settings == nullptr) return nullptr;
  fluid_settings_setnum(synth->m_settings, "synth.sample-rate", sampleRate);
  fluid_settings_setint(synth->m_settings, "synth.polyphony", kPolyphony);
  fluid_settings_setnum(synth->m_settings, "synth.gain", kSynthGain);
  // Only one thread drives the synthesizer at a time, so FluidSynth's own lock is not needed.
  fluid_settings_setint(synth->m_settings, "synth.threadsafe-api", 0);
  fluid_settings_setint(synth->m_settings, "synth.cpu-cores", 1);
  synth->m_synth = new_fluid_synth(synth->m_settings);
  if (synth->m_synth == nullptr) return nullptr;
  for (const std::string& path : paths) {
    // A missing file is skipped quietly; FluidSynth would log it as an error.
    if (access(path.c_str(), R_OK) != 0) continue;
    if (fluid_synth_sfload(synth->m_synth, path.c_str(), 1) != FLUID_FAILED) {
      synth->m_soundFontPath = path;
      return synth;
    }
  }
  return nullptr;
}

TSynthesizer::~TSynthesizer() {
  if (m_synth != nullptr) delete_fluid_synth(m_synth);
  if (m_settings != nullptr) delete_fluid_settings(m_settings);
}

void TSynthesizer::Apply(const std::uint8_t* bytes, size_t length) {
  if (length == 0) return;
  const std::uint8_t status = bytes[0];
  if (status == kSysExStart) {
    // FluidSynth knows GM System On itself but not the GS and XG resets:
    // those reset the whole synthesizer, as the sound modules do.
    if (IsGsReset(bytes, length) || IsGsSystemModeSet(bytes, length) || IsXgReset(bytes, length)) {
      fluid_synth_system_reset(m_synth);
      return;
    }
    // FluidSynth takes the body without F0 and F7 (GM/GS/XG resets, tuning, drum parts).
    size_t bodyLength = length - 1;
    if (bodyLength > 0 && bytes[length - 1] == kSysExEnd) --bodyLength;
    if (bodyLength > 0) {
      fluid_synth_sysex(m_synth, reinterpret_cast<const char*>(bytes + 1),
                        static_cast<int>(bodyLength), nullptr, nullptr, nullptr, 0);
    }
    return;
  }
  if (status == kSystemReset) {
    fluid_synth_system_reset(m_synth);
    return;
  }
  if (status < 0x80 || status >= 0xF0) return;  // realtime and common messages mean nothing here
  const int channel = status & 0x0F;
  const int data1 = length > 1 ? bytes[1] & 0x7F : 0;
  const int data2 = length > 2 ? bytes[2] & 0x7F : 0;
  switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(m_synth, channel, data1); break;
    case 0x90: fluid_synth_noteon(m_synth, channel, data1, data2); break;
    case 0xA0: fluid_synth_key_pressure(m_synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(m_synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(m_synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(m_synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(m_synth, channel, (data2 << 7) | data1); break;
    default: break;
  }
}

void TSynthesizer::ReleaseAndResetControllers() {
  for (int channel = 0; channel < kChannels; ++channel) {
    // The pedals first: a note held by them would otherwise keep sounding
    // after the reset of the controllers has lifted them silently.
    fluid_synth_cc(m_synth, channel, kControllerSustain, 0);
    fluid_synth_cc(m_synth, channel, kControllerSostenuto, 0);
    fluid_synth_all_notes_off(m_synth, channel);
    fluid_synth_cc(m_synth, channel, kControllerResetAll, 0);
  }
}

void TSynthesizer::Render(float* interleaved, size_t frames) {
  if (frames == 0) return;
  fluid_synth_write_float(m_synth, static_cast<int>(frames), interleaved, 0, 2, interleaved, 1, 2);
}
