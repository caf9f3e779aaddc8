#include "game/core/voice_cues.h"
#include "game/sequencer/game_cues.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/core/random.h"
#include "platform/winmm/mmsystem.h"
#include "platform/winmm/play_sound.h"

namespace {

TEST(VoiceCuesTest, NoGreetingWithTheVoiceOffAndNoDraw) {
  SetRandSeed(5);
  EXPECT_EQ(GreetingVoice(false, 10), "");
  EXPECT_EQ(RandSeed(), 5u);
}

TEST(VoiceCuesTest, TheFirstGreetingBeforeAnyGameWithoutADraw) {
  SetRandSeed(5);
  EXPECT_EQ(GreetingVoice(true, 0), "wav\\OniichanA@08.wav");
  EXPECT_EQ(GreetingVoice(true, -3), "wav\\OniichanA@08.wav");
  EXPECT_EQ(RandSeed(), 5u);
}

TEST(VoiceCuesTest, LaterGreetingsDrawOneOfFour) {
  const char* lines[] = {"wav\\OniichanA@08.wav", "wav\\kyoumoyoroshiku.wav", "wav\\Mattetandayo.wav",
                         "wav\\Arigatou.wav"};
  for (std::uint32_t seed = 0; seed < 40; ++seed) {
    SetRandSeed(seed);
    const int v = Random(4);
    SetRandSeed(seed);
    EXPECT_EQ(GreetingVoice(true, 1), lines[v]) << seed;
  }
}

TEST(VoiceCuesTest, CountInDrawsOneOfTwo) {
  for (std::uint32_t seed = 0; seed < 10; ++seed) {
    SetRandSeed(seed);
    const int v = Random(2);
    SetRandSeed(seed);
    EXPECT_EQ(SequencerCues::StartVoice(), v == 0 ? "wav\\HajimeC@08.wav" : "wav\\IkuyoA@08.wav");
  }
}

TEST(VoiceCuesTest, EndOfGameCheersFromNinetyPercent) {
  SetRandSeed(3);
  EXPECT_EQ(SequencerCues::EndVoice(9, 1), "wav\\uwa.wav");
  EXPECT_EQ(SequencerCues::EndVoice(100, 0), "wav\\uwa.wav");
  EXPECT_EQ(RandSeed(), 3u);
  for (std::uint32_t seed = 0; seed < 10; ++seed) {
    SetRandSeed(seed);
    const int v = Random(2);
    SetRandSeed(seed);
    EXPECT_EQ(SequencerCues::EndVoice(899, 101), v == 0 ? "wav\\SyuuryouC@08.wav" : "wav\\kyaha.wav");
  }
}

TEST(VoiceCuesTest, LinesGoToTheAttachedOutputOnly) {
  SetVoiceLineOutput(nullptr);
  EXPECT_FALSE(PlayVoiceLine("wav\\uwa.wav"));  // nowhere to go: nothing happens
  std::vector<std::string> played;
  SetVoiceLineOutput([&](const std::string& name) {
    played.push_back(name);
    return true;
  });
  EXPECT_TRUE(PlayVoiceLine(kFarewellVoice));
  SetVoiceLineOutput(nullptr);
  PlayVoiceLine("wav\\kyaha.wav");
  EXPECT_EQ(played, std::vector<std::string>{"wav\\KaerunoA@08.wav"});
  ResetVoiceLineOutput();
}

TEST(VoiceCuesTest, TheGamesOutputIsSndPlaySoundAsynchronously) {
  ResetVoiceLineOutput();
  TPlayedSoundRecorder recorder;
  // A line that does not exist: recorded, reported as not started.
  EXPECT_FALSE(PlayVoiceLine("wav\\no_such_line.wav"));
  ASSERT_EQ(recorder.Calls().size(), 1u);
  EXPECT_EQ(recorder.Calls()[0].Name, "wav\\no_such_line.wav");
  EXPECT_EQ(recorder.Calls()[0].Flags, SND_ASYNC);
}

}  // namespace
