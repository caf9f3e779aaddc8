// Rendering speed of the built-in synthesizer as a multiple of real time for
// a dense passage (64 voices held and retriggered on 16 channels), and the
// output latency the audio stream has (or would have) on this machine.
// Usage: bench_synth [--seconds N] [--soundfont PATH] [--wav OUT.wav] [--song FILE.mid]
// With --wav the passage is also written to a 16-bit WAV file for listening;
// with --song a Standard MIDI File is rendered instead (the first N seconds).
#include <sndfile.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio/audio_engine.h"
#include "render_song.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr int kChannels = 16;
constexpr int kNotesPerChannel = 4;  // 64 voices
constexpr auto kRetrigger = std::chrono::milliseconds(250);
constexpr size_t kBufferFrames = 256;
// General MIDI programs spread over the families: piano, organ, guitar, strings...
constexpr int kPrograms[kChannels] = {0, 16, 24, 48, 56, 64, 72, 80, 88, 4, 32, 40, 52, 60, 68, 0};

bool WriteWav(const std::string& path, const std::vector<float>& interleaved, unsigned rate) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    std::printf("cannot write %s\n", path.c_str());
    return false;
  }
  sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size() / 2));
  sf_close(file);
  std::printf("wrote %s\n", path.c_str());
  return true;
}

int RenderSongFile(const std::string& songPath, double seconds, const std::string& wavPath) {
  TRenderedSong song;
  try {
    if (!RenderSong(songPath, seconds, song)) {
      std::printf("no General MIDI SoundFont could be loaded\n");
      return 1;
    }
  } catch (const std::exception& error) {
    std::printf("%s\n", error.what());
    return 1;
  }
  const double audioSeconds = static_cast<double>(song.samples.size() / 2) / song.sampleRate;
  std::printf("song %s: %.1f s of audio rendered in %.3f s: %.1f x real time\n", songPath.c_str(), audioSeconds,
              song.renderSeconds, audioSeconds / song.renderSeconds);
  if (!wavPath.empty() && !WriteWav(wavPath, song.samples, song.sampleRate)) return 1;
  return 0;
}

void Send(TAudioEngine& engine, std::initializer_list<std::uint8_t> bytes, TClock::time_point due) {
  std::vector<std::uint8_t> message(bytes);
  engine.SendMidi(message.data(), message.size(), due);
}

// Queues one retrigger of every voice at due: notes off, then notes on.
void Retrigger(TAudioEngine& engine, int round, TClock::time_point due) {
  for (int c = 0; c < kChannels; ++c) {
    for (int n = 0; n < kNotesPerChannel; ++n) {
      const auto key = static_cast<std::uint8_t>(48 + (round % 5) + n * 4 + (c % 3));
      if (round > 0) Send(engine, {static_cast<std::uint8_t>(0x80 | c), static_cast<std::uint8_t>(key - 1), 0}, due);
      Send(engine, {static_cast<std::uint8_t>(0x90 | c), key, 90}, due);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 20.0;
  std::string soundFont;
  std::string wavPath;
  std::string songPath;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--song") == 0) songPath = argv[i + 1];
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--soundfont") == 0) soundFont = argv[i + 1];
    if (std::strcmp(argv[i], "--wav") == 0) wavPath = argv[i + 1];
  }

  // The latency first: what the device gives, or what would be asked of one.
  {
    TAudioEngine device;
    device.EnsureOutput();
    const TStreamSettings s = device.StreamSettings();
    if (device.StreamRunning()) {
      std::printf("audio device: %s (%s), %u Hz, %u frames x %u buffers, output latency %.2f ms\n",
                  s.deviceName.c_str(), s.api.c_str(), s.sampleRate, s.bufferFrames, s.numberOfBuffers, s.latencyMs);
    } else {
      std::printf("audio device: none (%s); a stream would be %u Hz, %u frames x %u buffers = %.2f ms output latency\n",
                  device.StreamAbsentReason().c_str(), s.sampleRate, s.bufferFrames, s.numberOfBuffers, s.latencyMs);
    }
    std::printf("scheduling delay (timer step + one buffer + margin): %.2f ms\n",
                std::chrono::duration<double, std::milli>(device.SchedulingDelay()).count());
  }

  if (!songPath.empty()) return RenderSongFile(songPath, seconds, wavPath);

  TAudioEngineOptions options;
  options.deviceOutput = false;
  if (!soundFont.empty()) options.soundFontPaths.insert(options.soundFontPaths.begin(), soundFont);
  TAudioEngine engine(options);
  const auto loadStart = TClock::now();
  if (!engine.OpenSynthesizer()) {
    std::printf("no General MIDI SoundFont could be loaded\n");
    return 1;
  }
  const double loadMs = std::chrono::duration<double, std::milli>(TClock::now() - loadStart).count();
  std::printf("SoundFont %s loaded in %.0f ms\n", engine.SoundFontPath().c_str(), loadMs);

  const unsigned rate = engine.SampleRate();
  const size_t totalFrames = static_cast<size_t>(seconds * rate);
  const TClock::time_point t0(std::chrono::seconds(100));
  for (int c = 0; c < kChannels; ++c) {
    Send(engine, {static_cast<std::uint8_t>(0xC0 | c), static_cast<std::uint8_t>(kPrograms[c])}, t0);
  }
  std::vector<float> buffer(2 * kBufferFrames);
  std::vector<float> whole;
  if (!wavPath.empty()) whole.reserve(2 * totalFrames);

  double renderSeconds = 0.0;
  int round = 0;
  auto nextRetrigger = t0;
  for (size_t done = 0; done < totalFrames; done += kBufferFrames) {
    const auto at = t0 + std::chrono::nanoseconds(static_cast<std::int64_t>(done) * 1'000'000'000 / rate);
    // Messages are queued a little ahead, as the timer thread does.
    while (nextRetrigger <= at + std::chrono::milliseconds(20)) {
      Retrigger(engine, round++, nextRetrigger);
      nextRetrigger += kRetrigger;
    }
    const size_t frames = std::min(kBufferFrames, totalFrames - done);
    const auto start = TClock::now();
    engine.RenderOffline(buffer.data(), frames, at);
    renderSeconds += std::chrono::duration<double>(TClock::now() - start).count();
    if (!wavPath.empty()) whole.insert(whole.end(), buffer.begin(), buffer.begin() + 2 * frames);
  }
  std::printf("dense passage: %d voices, %.1f s of audio rendered in %.3f s: %.1f x real time\n",
              kChannels * kNotesPerChannel, seconds, renderSeconds, seconds / renderSeconds);

  if (!wavPath.empty() && !WriteWav(wavPath, whole, rate)) return 1;
  return 0;
}
