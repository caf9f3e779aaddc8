#include "platform/audio/voice_decoder.h"

#include "platform/kernel/regular_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace {

// Zero crossings of the sinc kernel on either side of a sample: 16 gives
// stop-band rejection well beyond what a voice line needs.
constexpr int kSincZeroCrossings = 16;

double Sinc(double x) {
  if (std::fabs(x) < 1e-12) return 1.0;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

// Blackman window over -1..1.
double Window(double x) {
  if (x <= -1.0 || x >= 1.0) return 0.0;
  const double phase = std::numbers::pi * (x + 1.0);
  return 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
}

struct TSndFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

}  // namespace

namespace {

// Above this many distinct fractional positions the kernel is evaluated per
// output frame instead of being tabled.
constexpr unsigned kMaxPhaseTable = 4096;
// Frames read from the file per call.
constexpr size_t kReadPieceFrames = 4096;

std::vector<float> ResampleDirect(const std::vector<float>& source, int channels,
                                       unsigned sourceRate, unsigned targetRate) {
  const long long inFrames = static_cast<long long>(source.size()) / channels;
  const long long outFrames = inFrames * targetRate / sourceRate;
  std::vector<float> out(static_cast<size_t>(outFrames * channels), 0.0f);
  const double step = static_cast<double>(sourceRate) / targetRate;  // input frames per output frame
  const double cutoff = std::min(1.0, static_cast<double>(targetRate) / sourceRate);
  const double halfWidth = kSincZeroCrossings / cutoff;  // in input frames
  // The kernel weights of one output frame serve all of its channels.
  std::vector<double> weights;
  for (long long j = 0; j < outFrames; ++j) {
    const double t = j * step;
    const long long first = std::max(0LL, static_cast<long long>(std::floor(t - halfWidth)) + 1);
    const long long last = std::min(inFrames - 1, static_cast<long long>(std::floor(t + halfWidth)));
    weights.clear();
    double weightSum = 0.0;
    for (long long i = first; i <= last; ++i) {
      const double d = t - static_cast<double>(i);
      weights.push_back(cutoff * Sinc(cutoff * d) * Window(d / halfWidth));
      weightSum += weights.back();
    }
    for (int c = 0; c < channels; ++c) {
      double sum = 0.0;
      for (long long i = first; i <= last; ++i) {
        sum += weights[static_cast<size_t>(i - first)] * source[static_cast<size_t>(i * channels + c)];
      }
      // Dividing by the weights keeps a constant signal constant near the edges.
      out[static_cast<size_t>(j * channels + c)] =
          static_cast<float>(weightSum > 1e-9 ? sum / weightSum : 0.0);
    }
  }
  return out;
}

}  // namespace

std::vector<float> ResampleInterleaved(const std::vector<float>& source, int channels,
                                       unsigned sourceRate, unsigned targetRate) {
  if (channels <= 0 || sourceRate == 0 || targetRate == 0) return {};
  if (sourceRate == targetRate) return source;
  // Output frame j lies at input position j * sourceRate / targetRate; its
  // fractional part takes only targetRate / gcd distinct values (160 for
  // 44.1 -> 48 kHz), so the kernel weights are computed once per phase
  // instead of two transcendental calls per tap and sample.
  const unsigned divisor = std::gcd(sourceRate, targetRate);
  const unsigned phases = targetRate / divisor;
  const unsigned sourceStep = sourceRate / divisor;
  const long long inFrames = static_cast<long long>(source.size()) / channels;
  const long long outFrames = inFrames * targetRate / sourceRate;
  // A line shorter than the table would compute more weights for the table
  // than for its own frames.
  if (phases > kMaxPhaseTable || phases > outFrames) return ResampleDirect(source, channels, sourceRate, targetRate);
  const double cutoff = std::min(1.0, static_cast<double>(targetRate) / sourceRate);
  const double halfWidth = kSincZeroCrossings / cutoff;  // in input frames
  const int reach = static_cast<int>(std::ceil(halfWidth));
  const int taps = 2 * reach + 2;  // input offsets -reach .. reach + 1
  std::vector<double> weights(static_cast<size_t>(phases) * taps);
  for (unsigned p = 0; p < phases; ++p) {
    const double frac = static_cast<double>(p) / phases;
    for (int k = 0; k < taps; ++k) {
      const double d = frac - static_cast<double>(k - reach);
      weights[static_cast<size_t>(p) * taps + k] =
          std::fabs(d) < halfWidth ? cutoff * Sinc(cutoff * d) * Window(d / halfWidth) : 0.0;
    }
  }

  std::vector<float> out(static_cast<size_t>(outFrames * channels), 0.0f);
  std::vector<double> sums(static_cast<size_t>(channels));
  for (long long j = 0; j < outFrames; ++j) {
    const long long position = j * sourceStep;
    const long long base = position / phases;
    const double* w = &weights[static_cast<size_t>(position % phases) * taps];
    std::fill(sums.begin(), sums.end(), 0.0);
    double weightSum = 0.0;
    for (int k = 0; k < taps; ++k) {
      const long long i = base + k - reach;
      if (i < 0 || i >= inFrames || w[k] == 0.0) continue;
      const float* frame = &source[static_cast<size_t>(i * channels)];
      for (int c = 0; c < channels; ++c) sums[static_cast<size_t>(c)] += w[k] * frame[c];
      weightSum += w[k];
    }
    // Dividing by the weights keeps a constant signal constant near the edges.
    for (int c = 0; c < channels; ++c) {
      out[static_cast<size_t>(j * channels + c)] =
          static_cast<float>(weightSum > 1e-9 ? sums[static_cast<size_t>(c)] / weightSum : 0.0);
    }
  }
  return out;
}

std::unique_ptr<TVoiceBuffer> DecodeVoiceFile(const std::string& path, unsigned targetRate, double maxSeconds) {
  // A pipe or device in a voice file's place would block libsndfile's open.
  const TOpenedFile opened = OpenRegularFile(path);
  if (opened.fd < 0) return nullptr;
  SF_INFO info{};
  std::unique_ptr<SNDFILE, TSndFileCloser> file(sf_open_fd(opened.fd, SFM_READ, &info, SF_TRUE));
  if (!file) return nullptr;
  if (info.channels <= 0 || info.frames <= 0) return nullptr;
  if (info.samplerate < kMinVoiceSampleRate || info.samplerate > kMaxVoiceSampleRate) return nullptr;
  if (static_cast<double>(info.frames) / info.samplerate > maxSeconds) return nullptr;
  // Read in pieces rather than allocating the frame count the header
  // announces, which a damaged file may set far beyond its data.
  const auto maxFrames = static_cast<sf_count_t>(maxSeconds * info.samplerate);
  const auto channels = static_cast<size_t>(info.channels);
  std::vector<float> raw;
  std::vector<float> piece(kReadPieceFrames * channels);
  sf_count_t read = 0;
  for (;;) {
    const sf_count_t n = sf_readf_float(file.get(), piece.data(), static_cast<sf_count_t>(kReadPieceFrames));
    if (n <= 0) break;
    raw.insert(raw.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(n) * channels));
    read += n;
    if (read > maxFrames) return nullptr;
  }
  if (read <= 0) return nullptr;

  // Mono is heard in both ears; of more channels the first two are kept.
  std::vector<float> stereo(static_cast<size_t>(read) * 2);
  for (sf_count_t f = 0; f < read; ++f) {
    const size_t base = static_cast<size_t>(f) * static_cast<size_t>(info.channels);
    stereo[2 * f] = raw[base];
    stereo[2 * f + 1] = info.channels > 1 ? raw[base + 1] : raw[base];
  }
  auto buffer = std::make_unique<TVoiceBuffer>();
  buffer->samples = ResampleInterleaved(stereo, 2, static_cast<unsigned>(info.samplerate), targetRate);
  if (buffer->samples.empty()) return nullptr;
  return buffer;
}
