#include "render_song.h"

#include <chrono>
#include <stdexcept>

#include "midi/event_item.h"
#include "midi/midi_output.h"
#include "platform/audio/audio_engine.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr size_t kBufferFrames = 256;
constexpr double kReleaseSeconds = 1.0;
const TClock::time_point kSongStart(std::chrono::seconds(1000));

// Every item is due at the song's start plus its time in milliseconds.
class TSongRenderer : public TMidiOutput {
 protected:
  TMidiDueTime DueTimeFor(const TMidiEventItemStanderd& Item) override {
    return kSongStart + std::chrono::milliseconds(Item.Time);
  }
};

}  // namespace

bool RenderSong(const std::string& path, double maxSeconds, TRenderedSong& result) {
  TAudioEngineOptions options;
  options.deviceOutput = false;
  TAudioEngine::SetGlobalOptions(options);
  TAudioEngine& engine = TAudioEngine::Global();

  TSongRenderer song;
  song.LoadFromFile(path);
  for (auto& on : song.ChannelOn) on = false;  // nothing rains: every note is sent
  song.AddPlayDevice(-1);
  if (!song.OpenPorts()) return false;

  result.sampleRate = engine.SampleRate();
  const double songSeconds = std::min(maxSeconds, song.EndTime / 1000.0) + kReleaseSeconds;
  const auto totalFrames = static_cast<size_t>(songSeconds * result.sampleRate);
  result.samples.assign(2 * totalFrames, 0.0f);
  int next = 0;
  for (size_t done = 0; done < totalFrames; done += kBufferFrames) {
    const auto at = kSongStart + std::chrono::nanoseconds(static_cast<std::int64_t>(done) * 1'000'000'000 / result.sampleRate);
    // Items are handed over a little before their time, as the 5 ms timer does.
    const auto horizon = at + std::chrono::milliseconds(5);
    while (next < song.Events.Count() && kSongStart + std::chrono::milliseconds(song.Events[next]->Time) <= horizon &&
           song.Events[next]->Time <= maxSeconds * 1000) {
      song.Events[next]->ApplyState();
      song.Events[next]->Execute();
      ++next;
    }
    const size_t frames = std::min(kBufferFrames, totalFrames - done);
    const auto start = TClock::now();
    engine.RenderOffline(result.samples.data() + 2 * done, frames, at);
    result.renderSeconds += std::chrono::duration<double>(TClock::now() - start).count();
  }
  song.ClosePorts();
  return true;
}
