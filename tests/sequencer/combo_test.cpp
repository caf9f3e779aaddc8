// The combo counted by the judgement (Good drops in a row, a Bad resets it,
// the longest run kept) and the finished game handed to the main thread
// through the message window, never inside the step.
#include "tests/sequencer/sequencer_fixture.h"

namespace {

constexpr int kCaughtLane = 0;
constexpr int kMissedLane = 100;

class ComboTest : public SequencerTest {
 protected:
  // One drop every 10 ms; 'G' drops fall under the bar, 'B' drops far from it.
  void LoadPattern(const std::string& pattern) {
    std::vector<TTestNote> notes;
    for (size_t i = 0; i < pattern.size(); ++i) notes.push_back({static_cast<uint32_t>(10 + 10 * i), 0, 60});
    Load(NotesSong(notes, static_cast<uint32_t>(20 + 10 * pattern.size())));
    size_t i = 0;
    for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) {
      note->Lane = pattern[i++] == 'G' ? kCaughtLane : kMissedLane;
    }
    Bar(2, 3);  // covers lane 0 only
    Player->OnGameEnd = [this](const TMidiPlayV::TGameEnd& game) { m_ended.push_back(game); };
  }

  std::vector<TMidiPlayV::TGameEnd> m_ended;
};

TEST_F(ComboTest, ABadBreaksTheRunAndTheLongestRunIsKept) {
  LoadPattern("GGGBGGGGGBGG");
  PlayToEnd();
  EXPECT_EQ(Player->GoodCount, 10);
  EXPECT_EQ(Player->BadCount, 2);
  EXPECT_EQ(Player->MaxCombo, 5);
  EXPECT_EQ(Player->Combo, 2);
  // Seek starts the next game from nothing.
  Player->Seek(0);
  EXPECT_EQ(Player->MaxCombo, 0);
  EXPECT_EQ(Player->Combo, 0);
}

TEST_F(ComboTest, AFinishedGameReachesTheMainThreadOnlyThroughItsMessage) {
  LoadPattern("BGGGGB");
  PlayToEnd();
  EXPECT_TRUE(m_ended.empty());  // the step only posted it
  ProcessPostedMessages();
  ASSERT_EQ(m_ended.size(), 1u);
  EXPECT_EQ(m_ended[0].GoodCount, 4);
  EXPECT_EQ(m_ended[0].BadCount, 2);
  EXPECT_EQ(m_ended[0].MaxCombo, 4);
  EXPECT_EQ(m_ended[0].PlayCount, 1);
  EXPECT_EQ(Player->PlayCount, 1);
}

TEST_F(ComboTest, AGameThatJudgedNothingHandsNothingOver) {
  LoadPattern("GGG");
  for (auto& channel : Player->ChannelOn) channel = false;
  PlayToEnd();
  ProcessPostedMessages();
  EXPECT_TRUE(m_ended.empty());
  EXPECT_EQ(Player->PlayCount, 0);
  EXPECT_EQ(Player->MaxCombo, 0);
}

TEST(GameEndMessageTest, TheCountsSurviveTheMessageWordsWholeAndSigned) {
  for (const TMidiPlayV::TGameEnd game : {TMidiPlayV::TGameEnd{2147483647, 2147483647, 2147483647, 2147483647},
                                          TMidiPlayV::TGameEnd{0, 1, 0, 1}, TMidiPlayV::TGameEnd{-1, 7, 65536, -5}}) {
    const auto [wParam, lParam] = TMidiPlayV::PackGameEnd(game);
    const TMidiPlayV::TGameEnd back = TMidiPlayV::UnpackGameEnd(wParam, lParam);
    EXPECT_EQ(back.GoodCount, game.GoodCount);
    EXPECT_EQ(back.BadCount, game.BadCount);
    EXPECT_EQ(back.MaxCombo, game.MaxCombo);
    EXPECT_EQ(back.PlayCount, game.PlayCount);
  }
}

}  // namespace
