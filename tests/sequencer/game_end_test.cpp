// The end of a game inside the step: the voice line chosen by the Good ratio,
// the play count raised and written at once, the unlock box posted to the
// main thread, and what happens when the settings file cannot be written.
#include <algorithm>
#include <set>

#include "game/sequencer/game_cues.h"
#include "game/core/random.h"
#include "platform/kernel/cp932.h"
#include "tests/sequencer/sequencer_fixture.h"

namespace {

using namespace SequencerCues;

// Ten drops in lanes 0..9, one every 10 ms; the bar is put over the first `caught`.
TBytes TenDrops() {
  std::vector<TTestNote> notes;
  for (int i = 0; i < 10; ++i) notes.push_back({static_cast<uint32_t>(10 + 10 * i), 0, 60 + i});
  return NotesSong(notes, 150);
}

class GameEndTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    Load(TenDrops());
    int lane = 0;
    for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) note->Lane = lane++;
    Player->VoiceOn = true;
  }

  // A game in which the lanes 0 .. caught-1 are under the bar.
  void PlayCatching(int caught) {
    Player->Seek(0);
    ClearCaught();
    // Lane L has its centre at 5L + 2: a bar from x = 0 to 5 * caught - 1.
    const int half = (5 * caught - 1) / 2;
    Bar(half, caught == 0 ? -3 : half);
    PlayToEnd();
  }

  std::vector<TRecordedMessageBox> BoxesAfterPumping() {
    ProcessPostedMessages();
    return HeadlessApplication().MessageBoxes();
  }
};

// ===== The voice line =====

TEST_F(GameEndTest, NineOfTenCaughtEarnsTheCheer) {
  TPlayedSoundRecorder sounds;
  PlayCatching(9);
  ASSERT_EQ(Player->GoodCount, 9);
  ASSERT_EQ(Player->BadCount, 1);
  ASSERT_EQ(sounds.Calls().size(), 1u);
  EXPECT_EQ(sounds.Calls()[0].Name, "wav\\uwa.wav");
  EXPECT_EQ(sounds.Calls()[0].Flags, SND_ASYNC);
}

TEST_F(GameEndTest, BelowNinetyPercentTheGeneratorChoosesOneOfTwoLines) {
  std::set<std::string> heard;
  for (uint32_t seed = 0; seed < 64 && heard.size() < 2; ++seed) {
    SetRandSeed(seed);
    const int choice = Random(2);
    SetRandSeed(seed);
    TPlayedSoundRecorder sounds;
    PlayCatching(8);
    ASSERT_EQ(Player->GoodCount, 8);
    ASSERT_EQ(sounds.Names().size(), 1u);
    EXPECT_EQ(sounds.Names()[0], choice == 0 ? "wav\\SyuuryouC@08.wav" : "wav\\kyaha.wav");
    heard.insert(sounds.Names()[0]);
  }
  EXPECT_EQ(heard.size(), 2u);
}

TEST_F(GameEndTest, WithTheVoiceOffNothingIsSaidButTheGameCounts) {
  Player->VoiceOn = false;
  TPlayedSoundRecorder sounds;
  PlayCatching(10);
  EXPECT_TRUE(sounds.Names().empty());
  EXPECT_EQ(Player->PlayCount, 1);
}

// ===== The play count =====

TEST_F(GameEndTest, AGameWithEveryChannelOffChangesNothing) {
  for (auto& on : Player->ChannelOn) on = false;
  TPlayedSoundRecorder sounds;
  PlayCatching(10);
  EXPECT_EQ(Player->GoodCount + Player->BadCount, 0);
  EXPECT_TRUE(sounds.Names().empty());
  EXPECT_EQ(Player->PlayCount, 0);
  EXPECT_FALSE(std::filesystem::exists(Settings()));
  EXPECT_TRUE(BoxesAfterPumping().empty());
  EXPECT_EQ(SentNoteOns().size(), 10u);  // the song itself still sounded
}

TEST_F(GameEndTest, ThePlayCountIsWrittenAtOnceAndSurvivesARestart) {
  PlayCatching(3);
  EXPECT_EQ(Player->PlayCount, 1);
  EXPECT_EQ(ReadPlayCount(Settings()), 1);
  EXPECT_NE(ReadWholeFile(Settings()).find(PlayCountKey() + "=1\r\n"), std::string::npos);
  MakePlayer(Settings());
  EXPECT_EQ(Player->PlayCount, 1);
}

TEST_F(GameEndTest, ThePlayCountStopsAtTheLargestInteger) {
  ASSERT_TRUE(WritePlayCount(Settings(), 2147483647));
  MakePlayer(Settings());
  Load(TenDrops());
  PlayCatching(10);
  EXPECT_EQ(Player->PlayCount, 2147483647);
  EXPECT_EQ(ReadPlayCount(Settings()), 2147483647);
}

TEST_F(GameEndTest, AnUnreadablePlayCountStartsFromZero) {
  {
    std::ofstream out(Settings(), std::ios::binary);
    out << "[" << SettingsSection() << "]\r\n" << PlayCountKey() << "=many\r\n";
  }
  MakePlayer(Settings());
  EXPECT_EQ(Player->PlayCount, 0);
}

TEST_F(GameEndTest, AFailedWriteKeepsTheCountAndTriesAgain) {
  const std::string unreachable = m_folder.File("not-yet/pluvionaut.ini");
  MakePlayer(unreachable);
  Load(TenDrops());
  PlayCatching(10);
  EXPECT_EQ(Player->PlayCount, 1);
  EXPECT_TRUE(Player->PlayCountUnsaved());
  EXPECT_FALSE(std::filesystem::exists(unreachable));

  std::filesystem::create_directory(m_folder.File("not-yet"));
  PlayCatching(10);
  EXPECT_EQ(Player->PlayCount, 2);
  EXPECT_FALSE(Player->PlayCountUnsaved());
  EXPECT_EQ(ReadPlayCount(unreachable), 2);
}

TEST_F(GameEndTest, ClosingThePortsWritesACountThatCouldNotBeSaved) {
  const std::string unreachable = m_folder.File("later/pluvionaut.ini");
  MakePlayer(unreachable);
  Load(TenDrops());
  PlayCatching(10);
  ASSERT_TRUE(Player->PlayCountUnsaved());
  std::filesystem::create_directory(m_folder.File("later"));
  Player->ClosePorts();
  EXPECT_EQ(ReadPlayCount(unreachable), 1);
  EXPECT_FALSE(Player->PlayCountUnsaved());
}

// ===== Unlock messages =====

TEST_F(GameEndTest, ReachingFourAnnouncesTheRainSpeedOnceOnTheMainThread) {
  ASSERT_TRUE(WritePlayCount(Settings(), 3));
  MakePlayer(Settings());
  Load(TenDrops());
  PlayCatching(5);
  EXPECT_EQ(Player->PlayCount, 4);
  // The step only posted the box; the main thread shows it.
  EXPECT_TRUE(HeadlessApplication().MessageBoxes().empty());
  const auto boxes = BoxesAfterPumping();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, Utf8ToCp932("隠し機能出現！"));
  EXPECT_EQ(boxes[0].Text, Utf8ToCp932("雨の落下スピードを変えられるようになったよ、お兄ちゃん！\r\n"
                                       "[オプション]メニューの[雨の落下スピード]から選んでね。"));
  EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONINFORMATION);

  HeadlessApplication().ClearMessageBoxes();
  PlayCatching(5);
  EXPECT_EQ(Player->PlayCount, 5);
  EXPECT_TRUE(BoxesAfterPumping().empty());
}

TEST(UnlockTextTest, EveryUnlockValueHasItsMessageAndNoOtherCountHasOne) {
  const std::vector<int32_t> unlocks{1, 4, 9, 16, 32, 64, 128};
  for (int32_t count = -1; count <= 130; ++count) {
    const bool unlock = std::find(unlocks.begin(), unlocks.end(), count) != unlocks.end();
    EXPECT_EQ(!UnlockText(count).empty(), unlock) << count;
  }
  const std::string first = UnlockText(1);
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 2);
  EXPECT_NE(first.find("\r\n"), std::string::npos);
  EXPECT_NE(Cp932ToUtf8(UnlockText(128)).find("[バーの長さ]"), std::string::npos);
}

TEST(PlayCountTest, RaisingStopsAtTheTop) {
  EXPECT_EQ(RaisedPlayCount(0), 1);
  EXPECT_EQ(RaisedPlayCount(2147483646), 2147483647);
  EXPECT_EQ(RaisedPlayCount(2147483647), 2147483647);
}

TEST(EndVoiceTest, TheRatioIsComparedInExtendedPrecision) {
  EXPECT_EQ(EndVoice(9, 1), "wav\\uwa.wav");
  EXPECT_EQ(EndVoice(1, 0), "wav\\uwa.wav");
  EXPECT_EQ(EndVoice(2147483647, 1), "wav\\uwa.wav");
  SetRandSeed(0);  // the next draw of Random(2) is 0
  EXPECT_EQ(EndVoice(899999, 100001), "wav\\SyuuryouC@08.wav");
}

}  // namespace
