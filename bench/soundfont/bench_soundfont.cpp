// How long a SoundFont takes to load on the loader's thread, and the largest
// gap between the main thread's frames meanwhile: the main thread draws a
// "frame" every 16 ms (it renders a buffer offline, as the stream would)
// while the file loads, swaps the synthesizer in and hands the old one to the
// loader to free. Usage: bench_soundfont [SF2] [--from SF2] (default: the
// large FluidR3 replacing the small TimGM6mb).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio_engine.h"
#include "platform/audio/soundfont_loader.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto kFrame = std::chrono::milliseconds(16);
constexpr size_t kFramesPerBuffer = 768;  // 16 ms at 48 kHz
constexpr int kFramesAfterSwap = 30;

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  std::string target = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
  std::string from = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--from" && i + 1 < argc) from = argv[++i];
    else target = arg;
  }
  TAudioEngineOptions options;
  options.deviceOutput = false;
  options.soundFontPaths = {from};
  TAudioEngine engine(options);
  if (!engine.OpenSynthesizer()) {
    std::fprintf(stderr, "bench_soundfont: %s does not load\n", from.c_str());
    return 1;
  }
  std::vector<float> buffer(2 * kFramesPerBuffer);
  TClock::time_point renderClock = TClock::now();
  TSoundFontLoader loader;
  const TClock::time_point start = TClock::now();
  loader.Start(target, engine.SampleRate());
  TClock::duration largestGap{};
  TClock::duration loadTime{};
  TClock::duration swapTime{};
  TClock::time_point last = TClock::now();
  int afterSwap = -1;
  while (afterSwap < kFramesAfterSwap) {
    // One frame: the drawing is not measured, only that the loop goes on.
    engine.RenderOffline(buffer.data(), kFramesPerBuffer, renderClock);
    renderClock += kFrame;
    if (afterSwap < 0 && loader.Finished()) {
      loadTime = TClock::now() - start;
      const TClock::time_point swapStart = TClock::now();
      auto synth = loader.Take();
      if (!synth) {
        std::fprintf(stderr, "bench_soundfont: %s does not load\n", target.c_str());
        return 1;
      }
      loader.Retire(engine.ReplaceSynthesizer(std::move(synth)));
      swapTime = TClock::now() - swapStart;
      afterSwap = 0;
    } else if (afterSwap >= 0) {
      ++afterSwap;
    }
    std::this_thread::sleep_until(last + kFrame);
    const TClock::time_point now = TClock::now();
    largestGap = std::max(largestGap, now - last);
    last = now;
  }
  std::printf("%s after %s: loaded in %.0f ms on the loader thread; swap on the main thread %.2f ms;\n"
              "largest gap between 16 ms frames %.1f ms (the old SoundFont freed on its own thread)\n",
              target.c_str(), from.c_str(), Ms(loadTime), Ms(swapTime), Ms(largestGap));
  return 0;
}
