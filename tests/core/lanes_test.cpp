#include "game/core/lanes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "game/core/random.h"

namespace {

TEST(LaneTest, NormalKeepsTheNoteAndMirrorTurnsItAround) {
  const TLanePermutation unused{};
  EXPECT_EQ(LaneForNote(TLaneMode::Normal, 60, unused), 60);
  EXPECT_EQ(LaneForNote(TLaneMode::Normal, 60, unused) * 5 + 2, 302);  // the drop's centre
  EXPECT_EQ(LaneForNote(TLaneMode::Mirror, 60, unused), 67);
  EXPECT_EQ(LaneForNote(TLaneMode::Mirror, 0, unused), 127);
  EXPECT_EQ(LaneForNote(TLaneMode::Mirror, 127, unused), 0);
}

TEST(LaneTest, ANoteNumberOutsideSevenBitsStaysInTheField) {
  TLanePermutation p{};
  for (int i = 0; i < kLaneCount; ++i) p[i] = kLaneCount - 1 - i;
  for (TLaneMode mode : {TLaneMode::Normal, TLaneMode::Mirror, TLaneMode::NRandom, TLaneMode::SRandom}) {
    for (int note : {128, 200, 255, -1}) {
      const int lane = LaneForNote(mode, note, p);
      EXPECT_GE(lane, 0);
      EXPECT_LT(lane, kLaneCount);
    }
  }
}

TEST(LaneTest, ThePermutationUsesEveryLaneOnceAndDrawsExactly128Times) {
  SetRandSeed(2024);
  const TLanePermutation p = MakeLanePermutation();
  std::set<int> lanes(p.begin(), p.end());
  EXPECT_EQ(lanes.size(), 128u);
  EXPECT_EQ(*lanes.begin(), 0);
  EXPECT_EQ(*lanes.rbegin(), 127);
  // Replaying the draws gives the same swaps.
  SetRandSeed(2024);
  TLanePermutation q{};
  for (int i = 0; i < 128; ++i) q[i] = i;
  for (int i = 0; i < 128; ++i) std::swap(q[Random(128)], q[i]);
  EXPECT_EQ(p, q);
  const std::uint32_t after = RandSeed();
  SetRandSeed(2024);
  for (int i = 0; i < 128; ++i) Random(128);
  EXPECT_EQ(RandSeed(), after);
}

TEST(LaneTest, RandomUsesOnePermutationSoEqualNotesShareALane) {
  SetRandSeed(7);
  const TLanePermutation p = MakeLanePermutation();
  const std::uint32_t seed = RandSeed();
  const int first = LaneForNote(TLaneMode::NRandom, 60, p);
  EXPECT_EQ(first, p[60]);
  EXPECT_EQ(LaneForNote(TLaneMode::NRandom, 60, p), first);
  EXPECT_NE(LaneForNote(TLaneMode::NRandom, 61, p), first);
  EXPECT_EQ(RandSeed(), seed);  // no draws per note
}

TEST(LaneTest, SRandomDrawsANewLanePerNote) {
  SetRandSeed(11);
  const TLanePermutation p = MakeLanePermutation();
  const std::uint32_t seed = RandSeed();
  std::vector<int> lanes;
  for (int i = 0; i < 32; ++i) lanes.push_back(LaneForNote(TLaneMode::SRandom, 60, p));
  SetRandSeed(seed);
  for (int lane : lanes) EXPECT_EQ(lane, Random(128));
  // The same note lands in different lanes over a song.
  EXPECT_GT(std::set<int>(lanes.begin(), lanes.end()).size(), 1u);
}

}  // namespace
