#include "game/core/random.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <thread>

namespace {

std::uint32_t Advance(std::uint32_t seed, int steps) {
  for (int i = 0; i < steps; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

TEST(RandomTest, EmptyAndNegativeRangesGiveZeroAndStillAdvance) {
  SetRandSeed(77);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(RandSeed(), Advance(77, 2));
}

TEST(RandomTest, RangeOneIsAlwaysZeroAndMaxRangeStaysInside) {
  SetRandSeed(0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(Random(1), 0);
    const int v = Random(2147483647);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 2147483647);
  }
}

TEST(RandomTest, TakesTheHighPartOfTheNextSeedTimesTheRange) {
  // The seed 0xFFFFFFFF steps to 0xFFFFFFFF * 0x08088405 + 1 = 0xF7F77BFC
  // modulo 2^32; its high part of a product with 128 is 0xF7F77BFC >> 25.
  SetRandSeed(0xFFFFFFFFu);
  EXPECT_EQ(Random(128), static_cast<int>(0xF7F77BFCu >> 25));
  EXPECT_EQ(RandSeed(), 0xF7F77BFCu);
}

TEST(RandomTest, SameSeedSameSequence) {
  SetRandSeed(12345);
  std::array<int, 20> first{};
  for (int& v : first) v = Random(1000);
  SetRandSeed(12345);
  for (int v : first) EXPECT_EQ(Random(1000), v);
}

TEST(RandomTest, EveryValueOfASmallRangeComesUp) {
  SetRandSeed(1);
  std::set<int> seen;
  for (int i = 0; i < 200; ++i) seen.insert(Random(4));
  EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3}));
}

TEST(RandomTest, RandomizeSeedsFromTheClock) {
  // A clock value that folds to exactly 0 has odds of one in 2^32.
  SetRandSeed(0);
  Randomize();
  EXPECT_NE(RandSeed(), 0u);
}

TEST(RandomTest, DrawsFromTwoThreadsLoseNoStep) {
  SetRandSeed(99);
  constexpr int kDraws = 20000;
  std::thread other([] {
    for (int i = 0; i < kDraws; ++i) Random(128);
  });
  for (int i = 0; i < kDraws; ++i) Random(128);
  other.join();
  EXPECT_EQ(RandSeed(), Advance(99, 2 * kDraws));
}

}  // namespace
