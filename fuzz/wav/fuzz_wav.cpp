// Feeds arbitrary bytes as a voice line file to the decoder the voice player
// uses (libsndfile, then resampling to the stream's rate). The file lives in
// /dev/shm because the decoder opens files by name, as the game does.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/audio/voice_decoder.h"

namespace {

// The rate of the game's audio stream.
constexpr unsigned kStreamRate = 48000;
// Longest line decoded. A few hundred bytes of FLAC or ADPCM may announce
// the game's full ten minutes, and resampling that at a low rate made a few
// inputs cost a thousand times the rest. A tenth of a second (4,800 frames
// at the stream's rate, more than the largest table of kernel weights) runs
// the same decoding code and both resampling kernels, and the refusal of a
// longer file too.
constexpr double kFuzzedMaxSeconds = 0.1;

std::string FilePath() {
  static const std::string path = [] {
    std::string dir = "/dev/shm/pluv_fuzz_wav_" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    return dir + "/voice.wav";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = FilePath();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::unique_ptr<TVoiceBuffer> buffer = DecodeVoiceFile(file, kStreamRate, kFuzzedMaxSeconds);
  // A decoded line is interleaved stereo.
  if (buffer && buffer->samples.size() % 2 != 0) std::abort();
  return 0;
}
