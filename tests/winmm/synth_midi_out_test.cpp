// The built-in synthesizer behind the MIDI mapper, rendered offline.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/audio/audio_engine.h"
#include "platform/winmm/mmsystem.h"
#include "winmm_test_support.h"

namespace {

using namespace std::chrono_literals;

double PeakOf(const std::vector<float>& buffer, size_t fromFrame) {
  double peak = 0.0;
  for (size_t i = 2 * fromFrame; i < buffer.size(); ++i) peak = std::max(peak, static_cast<double>(std::fabs(buffer[i])));
  return peak;
}

class SynthMidiOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseOfflineAudio();
    const MMRESULT result = midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL);
    if (result == MMSYSERR_NODRIVER) GTEST_SKIP() << "no General MIDI SoundFont installed";
    ASSERT_EQ(result, MMSYSERR_NOERROR);
  }
  void TearDown() override {
    if (handle != nullptr) midiOutClose(handle);
  }

  // Renders seconds of the game's engine, following the virtual clock.
  std::vector<float> Render(double seconds) {
    TAudioEngine& engine = TAudioEngine::Global();
    const size_t frames = static_cast<size_t>(seconds * engine.SampleRate());
    std::vector<float> out(2 * frames);
    constexpr size_t kBuffer = 256;
    for (size_t done = 0; done < frames; done += kBuffer) {
      const size_t count = std::min(kBuffer, frames - done);
      EXPECT_TRUE(engine.RenderOffline(out.data() + 2 * done, count, clock));
      clock += std::chrono::nanoseconds(static_cast<std::int64_t>(count) * 1'000'000'000 / engine.SampleRate());
    }
    return out;
  }

  HMIDIOUT handle = nullptr;
  TMidiDueTime clock = TMidiDueTime(500s);
};

TEST_F(SynthMidiOutTest, NoteOnSoundsAndResetSilences) {
  ASSERT_EQ(midiOutShortMsgAt(handle, 0x00643C90, clock), MMSYSERR_NOERROR);
  auto sounding = Render(0.3);
  EXPECT_GT(PeakOf(sounding, 0), 0.01);
  ASSERT_EQ(midiOutReset(handle), MMSYSERR_NOERROR);
  auto after = Render(1.5);
  EXPECT_LT(PeakOf(after, after.size() / 2 - 24000), 1e-4);
}

TEST_F(SynthMidiOutTest, GsResetThroughLongMessageIsAccepted) {
  char gsReset[] = {'\xF0', '\x41', '\x10', '\x42', '\x12', '\x40', '\x00', '\x7F', '\x00', '\x41', '\xF7'};
  MIDIHDR header{};
  header.lpData = gsReset;
  header.dwBufferLength = sizeof gsReset;
  ASSERT_EQ(midiOutShortMsgAt(handle, 0x000007B0, clock), MMSYSERR_NOERROR);  // volume 0
  ASSERT_EQ(midiOutPrepareHeader(handle, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutLongMsgAt(handle, &header, sizeof header, clock), MMSYSERR_NOERROR);
  // The reset restores the volume: the note is heard.
  ASSERT_EQ(midiOutShortMsgAt(handle, 0x00643C90, clock + 1ms), MMSYSERR_NOERROR);
  auto out = Render(0.3);
  EXPECT_GT(PeakOf(out, 0), 0.01);
  EXPECT_TRUE(header.dwFlags & MHDR_DONE);
  EXPECT_EQ(midiOutUnprepareHeader(handle, &header, sizeof header), MMSYSERR_NOERROR);
  midiOutReset(handle);
}

}  // namespace
