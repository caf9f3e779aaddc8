#include <gtest/gtest.h>

#include "platform/audio/audio_engine.h"
#include "platform/winmm/mmsystem.h"

namespace {

TEST(NoSoundFontTest, OpeningTheBuiltInSynthesizerFailsQuietly) {
  TAudioEngineOptions options;
  options.deviceOutput = false;
  options.soundFontPaths = {"/nonexistent/default-GM.sf2"};
  TAudioEngine::SetGlobalOptions(options);
  testing::internal::CaptureStdout();
  HMIDIOUT handle = reinterpret_cast<HMIDIOUT>(1);
  EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(midiOutOpen(&handle, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  // The device is still listed: only opening it fails.
  MIDIOUTCAPSA caps{};
  EXPECT_EQ(midiOutGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);
}

}  // namespace
