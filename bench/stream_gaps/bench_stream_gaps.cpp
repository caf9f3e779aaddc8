// bench_stream_gaps: plays a steady tone through the game's PulseAudio stream
// and records the sink's monitor for a while, counting the gaps in it: runs
// of exact zeros of 3 ms or more, which a tone never has. Without a server
// (PULSE_SERVER / XDG_RUNTIME_DIR) it says so and exits 0, so bench.sh can run
// it anywhere; run_stream_gaps.sh gives it a private server and a busy disk.
//   bench_stream_gaps [SECONDS] [BUFFER_MS...]
#include <pulse/error.h>
#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio_stream.h"
#include "platform/audio/pulse_output.h"

namespace {

constexpr unsigned kRate = 48000;
constexpr double kTwoPi = 6.283185307179586;
constexpr unsigned kGapFrames = kRate * 3 / 1000;
constexpr unsigned kReadFrames = 480;
constexpr double kSettleSeconds = 1.0;

struct TGaps {
  int count = 0;
  int longestMs = 0;
};

TGaps RecordGaps(const std::string& monitor, double seconds, std::atomic<bool>& ready) {
  pa_sample_spec sampleFormat{};
  sampleFormat.format = PA_SAMPLE_S16LE;
  sampleFormat.rate = kRate;
  sampleFormat.channels = 1;
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.fragsize = kReadFrames * 2;
  int error = 0;
  pa_simple* recorder = pa_simple_new(nullptr, "bench_stream_gaps", PA_STREAM_RECORD, monitor.c_str(), "monitor",
                                      &sampleFormat, nullptr, &attributes, &error);
  TGaps gaps;
  if (recorder == nullptr) {
    std::fprintf(stderr, "cannot record %s: %s\n", monitor.c_str(), pa_strerror(error));
    gaps.count = -1;
    return gaps;
  }
  std::vector<int16_t> samples(kReadFrames);
  const long total = static_cast<long>(seconds * kRate);
  const long settle = static_cast<long>(kSettleSeconds * kRate);
  long done = 0;
  unsigned zeros = 0;
  ready.store(true);
  while (done < total) {
    if (pa_simple_read(recorder, samples.data(), samples.size() * 2, &error) < 0) break;
    for (int16_t s : samples) {
      ++done;
      if (done < settle) continue;
      if (s == 0) {
        ++zeros;
        continue;
      }
      if (zeros >= kGapFrames) {
        ++gaps.count;
        gaps.longestMs = std::max(gaps.longestMs, static_cast<int>(zeros * 1000 / kRate));
      }
      zeros = 0;
    }
  }
  pa_simple_free(recorder);
  return gaps;
}

}  // namespace

int main(int argc, char** argv) {
  if (!TPulseOutput::ServerReachable()) {
    std::printf("bench_stream_gaps: no PulseAudio server; run bench/stream_gaps/run_stream_gaps.sh\n");
    return 0;
  }
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  std::vector<unsigned> buffers;
  for (int i = 2; i < argc; ++i) buffers.push_back(static_cast<unsigned>(std::atoi(argv[i])));
  if (buffers.empty()) buffers = {TAudioStream::kPulseBufferMs};
  std::string monitor;
  for (const TPulseSink& sink : TPulseOutput::Sinks()) {
    if (sink.isDefault) monitor = sink.name + ".monitor";
  }
  for (unsigned bufferMs : buffers) {
    TAudioStream stream;
    double phase = 0.0;
    std::string reason;
    auto tone = [&phase](float* out, unsigned frames) {
      for (unsigned f = 0; f < frames; ++f) {
        const float v = static_cast<float>(0.25 * std::sin(phase));
        phase += kTwoPi * 440.0 / kRate;
        out[2 * f] = v;
        out[2 * f + 1] = v;
      }
    };
    std::atomic<bool> ready{false};
    TGaps gaps;
    std::thread recorder([&] { gaps = RecordGaps(monitor, seconds, ready); });
    while (!ready.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!stream.Open(tone, reason, {}, bufferMs)) {
      std::fprintf(stderr, "cannot open the stream: %s\n", reason.c_str());
      recorder.join();
      return 1;
    }
    const TStreamSettings settings = stream.Settings();
    recorder.join();
    stream.Close();
    std::printf("buffer %3u ms (%u frames a block, latency %.1f ms): %d gaps in %.0f s, longest %d ms\n", bufferMs,
                settings.bufferFrames, settings.latencyMs, gaps.count, seconds - kSettleSeconds, gaps.longestMs);
  }
  return 0;
}
