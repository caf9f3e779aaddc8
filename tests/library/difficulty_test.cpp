// The difficulty figure: its properties over generated songs (mirror, music
// speed, bar length, wide chords) and its scale on the tutorial song and a
// dense piano piece of the corpus, loaded with the game's own loader.
#include "library/difficulty.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "game/core/option_values.h"
#include "library/song_facts.h"
#include "midi/midi_song.h"
#include "tests/support/corpus.h"

namespace {

// A song of chords: times rise by 20..400 ms (now and then several chords
// crowd), 1..4 notes each, a melody that wanders or leaps.
std::vector<TDrop> RandomSong(std::mt19937& random, int chords) {
  std::vector<TDrop> drops;
  int32_t time = 500;
  int32_t note = 60;
  for (int i = 0; i < chords; ++i) {
    time += std::uniform_int_distribution<int32_t>(20, 400)(random);
    note = std::clamp(note + std::uniform_int_distribution<int32_t>(-12, 12)(random), 0, 127);
    if (std::uniform_int_distribution<int>(0, 9)(random) == 0) note = std::uniform_int_distribution<int32_t>(0, 127)(random);
    const int notes = std::uniform_int_distribution<int>(1, 4)(random);
    for (int n = 0; n < notes; ++n) {
      drops.push_back({time, std::clamp(note + std::uniform_int_distribution<int32_t>(-15, 15)(random) * (n > 0), 0, 127)});
    }
  }
  return drops;
}

std::vector<TDrop> Mirrored(std::vector<TDrop> drops) {
  for (TDrop& drop : drops) drop.Note = 127 - drop.Note;
  return drops;
}

std::vector<TDrop> DropsOfFile(const std::string& path) {
  TMidiSong song;
  EXPECT_TRUE(song.LoadFromFile(path)) << path;
  std::array<bool, 16> every;
  every.fill(true);
  return SongDrops(song, every);
}

TEST(DifficultyTest, NoDropsIsZeroAndTheTextHasOneDecimal) {
  EXPECT_EQ(SongDifficulty({}), 0.0);
  EXPECT_EQ(DifficultyText(3.449), "3.4");
  EXPECT_EQ(DifficultyText(0.0), "0.0");
  const std::vector<TDrop> one = {{1000, 60}};
  EXPECT_GT(SongDifficulty(one), 0.0);
}

TEST(DifficultyTest, PropertiesHoldOverGeneratedSongs) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 60; ++round) {
    const std::vector<TDrop> song = RandomSong(random, 20 + round * 5);
    SCOPED_TRACE(round);
    const double plain = SongDifficulty(song);
    ASSERT_TRUE(std::isfinite(plain));
    ASSERT_GT(plain, 0.0);
    // Mirrored lanes, by the option or by the notes, give the same figure.
    EXPECT_NEAR(SongDifficulty(song, {.Mirror = true}), plain, 1e-9);
    EXPECT_NEAR(SongDifficulty(Mirrored(song)), plain, 1e-9);
    // Faster music is harder, every step of the designed speeds.
    double slower = -1.0;
    for (const TOptionValue& value : kPlaySpeedValues) {
      const double figure = SongDifficulty(song, {.MusicSpeed = value.Factor});
      EXPECT_GT(figure, slower) << value.Caption;
      slower = figure;
    }
    // A longer bar is never harder, the infinite one included.
    std::vector<int32_t> halfWidths = {0, 1};
    for (const TOptionValue& value : kBarLengthValues) halfWidths.push_back(BarHalfWidthFor(value.Factor));
    std::sort(halfWidths.begin(), halfWidths.end());
    double shorter = INFINITY;
    for (int32_t halfWidth : halfWidths) {
      const double figure = SongDifficulty(song, {.BarHalfWidth = halfWidth});
      EXPECT_TRUE(std::isfinite(figure)) << halfWidth;
      EXPECT_GE(figure, 0.0) << halfWidth;
      EXPECT_LE(figure, shorter) << halfWidth;
      shorter = figure;
    }
  }
}

TEST(DifficultyTest, AChordWiderThanTheBarIsHarderThanItsOneDrop) {
  // A melody around note 60; the chord at 3 s spans notes 60..90, 150 px,
  // far more than the 30 px bar.
  std::vector<TDrop> single, wide;
  for (int i = 0; i < 12; ++i) {
    const TDrop drop{1000 + i * 250, 58 + (i % 3) * 2};
    single.push_back(drop);
    wide.push_back(drop);
    if (i == 8) {
      for (int32_t note : {70, 80, 90}) wide.push_back({drop.TimeMs, note});
    }
  }
  const double one = SongDifficulty(single);
  const double many = SongDifficulty(wide);
  EXPECT_TRUE(std::isfinite(many));
  EXPECT_GE(many, one);
  // With the infinite bar every chord is caught where the bar stands.
  EXPECT_LE(SongDifficulty(wide, {.BarHalfWidth = kInfiniteBarHalfWidth}), 0.01);
}

TEST(DifficultyTest, TheTutorialIsEasyAndADensePianoPieceIsHard) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const std::vector<TDrop> tutorial = DropsOfFile(std::string(PLUV_BIN_DIR) + "/dat/tutorialmid.dat");
  ASSERT_FALSE(tutorial.empty());
  const double easy = SongDifficulty(tutorial);
  EXPECT_GE(easy, 1.0);
  EXPECT_LE(easy, 2.0);
  const std::vector<TDrop> piano = DropsOfFile(std::string(PLUV_CORPUS_DIR) + "/midi/tonejs-midi/bach/bach_847.mid");
  ASSERT_FALSE(piano.empty());
  const double hard = SongDifficulty(piano);
  EXPECT_GT(hard, 5.0);
  // Mirrored and at x2 on a real song too.
  EXPECT_NEAR(SongDifficulty(piano, {.Mirror = true}), hard, 1e-9);
  EXPECT_GT(SongDifficulty(piano, {.MusicSpeed = 2.0}), hard);
}

}  // namespace
