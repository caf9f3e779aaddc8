// The facts of a song as the library lists them: a hand-made file whose
// every figure is known, a large corpus piece against the loader and two
// reference readers' note count, and a file the game refuses.
#include "library/song_facts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "library_fixture.h"
#include "midi/midi_errors.h"
#include "midi/midi_song.h"
#include "smf_bytes.h"
#include "tests/support/corpus.h"

namespace {

using namespace SmfBytes;

const std::filesystem::path kCorpus = std::filesystem::path(PLUV_CORPUS_DIR) / "midi";

TSongFacts FactsOfBytes(const std::string& bytes) {
  return ReadSongFacts(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "test.mid");
}

TEST(SongFacts, AHandMadeSongGivesEveryFigure) {
  // Title "　雨の歌\t " in CP932 with an ideographic space before it; 120
  // then (at tick 480, 500 ms) 60 beats per minute.
  const std::string conductor = Meta(0, 0x03, "\x81\x40\x89\x4A\x82\xCC\x89\xCC\t ") + Tempo(0, 500000) +
                                Tempo(480, 1000000);
  // Channel 1: program 5 in force at its first note (program 7 comes later);
  // a velocity-0 note-on is a note-off and does not rain.
  const std::string piano = Short(0, 0xC0, 5) + Short(0, 0x90, 60, 100) + Short(240, 0x80, 60, 0) +
                            Short(0, 0x90, 64, 100) + Short(240, 0x90, 64, 0) + Short(0, 0xC0, 7) +
                            Short(0, 0x90, 72, 100) + Short(960, 0x80, 72, 0) + Short(0, 0x90, 48, 90) +
                            Short(480, 0x80, 48, 0);
  // Channel 10 without a program: drums at 0 and about 10 ms.
  const std::string drums = Short(0, 0x99, 36, 100) + Short(10, 0x99, 38, 100);
  const TSongFacts facts = FactsOfBytes(File({conductor, piano, drums}));
  EXPECT_EQ(facts.Title, "雨の歌");
  EXPECT_EQ(facts.Notes, 6);
  ASSERT_EQ(facts.Channels.size(), 2u);
  EXPECT_EQ(facts.Channels[0].Channel, 1);
  EXPECT_EQ(facts.Channels[0].FirstProgram, 5);
  EXPECT_EQ(facts.Channels[0].Notes, 4);
  EXPECT_EQ(facts.Channels[1].Channel, 10);
  EXPECT_EQ(facts.Channels[1].FirstProgram, -1);
  EXPECT_EQ(facts.Channels[1].Notes, 2);
  EXPECT_DOUBLE_EQ(facts.BpmMin, 60.0);
  EXPECT_DOUBLE_EQ(facts.BpmMax, 120.0);
  EXPECT_EQ(facts.LaneMin, 36);
  EXPECT_EQ(facts.LaneMax, 72);
  // Notes at 0, ~10, 250, 500 ms, then 500 + 960 ticks at 60 bpm = 2500 ms.
  EXPECT_EQ(facts.PeakNps, 5);
  EXPECT_EQ(facts.LengthMs, 3500);  // the last note-off, 480 ticks later
  EXPECT_GT(facts.Difficulty, 0.0);

  const TSongFacts silent = FactsOfBytes(File({Meta(0, 0x03, "  "), Short(0, 0xB0, 7, 100)}));
  EXPECT_TRUE(silent.Title.empty());
  EXPECT_TRUE(silent.Channels.empty());
  EXPECT_DOUBLE_EQ(silent.BpmMin, 120.0);  // no tempo item
  EXPECT_EQ(silent.Difficulty, 0.0);
}

TEST(SongFacts, ACorpusPieceAgreesWithTheLoaderAndTheReferenceReaders) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const std::string bytes = ReadAll(kCorpus / "tonejs-midi/bach/bach_846.mid");
  ASSERT_FALSE(bytes.empty());
  const TSongFacts facts = FactsOfBytes(bytes);
  TMidiSong song;
  song.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "bach_846.mid");
  EXPECT_EQ(facts.LengthMs, song.EndTime);
  EXPECT_EQ(facts.Notes, 1284);  // as two independent readers count its note-ons
  EXPECT_EQ(facts.Title.rfind("Das wohltemperierte Klavier I", 0), 0u) << facts.Title;

  // The peak against every one-second window that starts at a drop.
  std::array<bool, 16> every;
  every.fill(true);
  const std::vector<TDrop> drops = SongDrops(song, every);
  ASSERT_EQ(drops.size(), 1284u);
  auto inWindow = [&](int32_t start) {
    return std::count_if(drops.begin(), drops.end(), [&](const TDrop& d) { return d.TimeMs >= start && d.TimeMs < start + 1000; });
  };
  long most = 0;
  for (const TDrop& d : drops) most = std::max(most, static_cast<long>(inWindow(d.TimeMs)));
  EXPECT_EQ(facts.PeakNps, most);
  EXPECT_EQ(inWindow(DensestStartMs(drops, 1000)), most);
  const auto [low, high] = std::minmax_element(drops.begin(), drops.end(), [](const TDrop& a, const TDrop& b) { return a.Note < b.Note; });
  EXPECT_EQ(facts.LaneMin, low->Note);
  EXPECT_EQ(facts.LaneMax, high->Note);
  std::array<bool, 16> none{};
  EXPECT_TRUE(SongDrops(song, none).empty());
}

TEST(SongFacts, AFileTheGameRefusesThrowsTheLoadersMessage) {
  PLUV_SKIP_WITHOUT_CORPUS();
  const std::string bytes = ReadAll(kCorpus / "jazz-soft-test-midi-files/test-not-a-midi-file.mid");
  ASSERT_FALSE(bytes.empty());
  try {
    FactsOfBytes(bytes);
    ADD_FAILURE() << "no error";
  } catch (const EMidiError& e) {
    EXPECT_NE(std::string(e.what()).find("MThd"), std::string::npos) << e.what();
  }
}

}  // namespace
