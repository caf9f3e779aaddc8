// The song-select window's filter: words in any case against titles and
// paths, each kind of term at its boundaries, terms and words together,
// unknown terms reported as typed, lengths as m:ss or seconds.
#include "library/library_filter.h"

#include <gtest/gtest.h>

namespace {

TLibraryRow Row(const std::string& title, const std::string& path, double difficulty, int32_t lengthMs, double bpmMin,
                double bpmMax, int64_t games, int32_t notes) {
  TLibraryRow row;
  row.Path = path;
  row.Facts.Title = title;
  row.Facts.Difficulty = difficulty;
  row.Facts.LengthMs = lengthMs;
  row.Facts.BpmMin = bpmMin;
  row.Facts.BpmMax = bpmMax;
  row.Games = games;
  row.Facts.Notes = notes;
  return row;
}

TFilterSubject Subject(const TLibraryRow& row) { return FilterSubjectOf(row, {row.Path}); }

bool Shows(const std::string& filter, const TLibraryRow& row) { return TLibraryFilter(filter).Matches(Subject(row)); }

const TLibraryRow kWaltz = Row("Valse Ｄes Fleurs", "/music/Tchaikovsky/flowers.MID", 3.44, 150999, 90, 140, 0, 812);
const TLibraryRow kEtude = Row("練習曲", "/music/chopin/etude.mid", 5.26, 95000, 120, 120, 3, 450);

}  // namespace

TEST(LibraryFilter, WordsMatchTitleOrPathInAnyCase) {
  EXPECT_TRUE(Shows("", kWaltz));
  EXPECT_TRUE(Shows("valse", kWaltz));
  EXPECT_TRUE(Shows("FLOWERS.mid", kWaltz));             // the path, its case aside
  EXPECT_TRUE(Shows("ｄES", kWaltz));                    // full-width letters too
  EXPECT_TRUE(Shows("tchaikovsky valse", kWaltz));       // every word must be there
  EXPECT_FALSE(Shows("tchaikovsky chopin", kWaltz));
  EXPECT_TRUE(Shows("練習\u3000etude", kEtude));          // the ideographic space separates
  EXPECT_TRUE(Shows("\"es fleurs\"", kWaltz));          // a phrase keeps its blank
  EXPECT_FALSE(Shows("\"fleurs es\"", kWaltz));
  EXPECT_TRUE(TLibraryFilter("  \t ").Empty());
}

TEST(LibraryFilter, EachTermAtItsBoundaries) {
  // Difficulty as shown: 3.44 is "3.4".
  EXPECT_TRUE(Shows("star>3", kWaltz));
  EXPECT_TRUE(Shows("star=3.4", kWaltz));
  EXPECT_FALSE(Shows("star>3.4", kWaltz));
  EXPECT_TRUE(Shows("star>=3.4", kWaltz));
  EXPECT_TRUE(Shows("STAR=5.3", kEtude));  // names in any case too
  // Length as the column shows it: 150999 ms is 2:30.
  EXPECT_TRUE(Shows("length=2:30", kWaltz));
  EXPECT_TRUE(Shows("length=150", kWaltz));
  EXPECT_FALSE(Shows("length<2:30", kWaltz));
  EXPECT_TRUE(Shows("length<=2:30", kWaltz));
  EXPECT_TRUE(Shows("length<2:30", kEtude));
  // Tempo ranges overlap: 90-140 has 140 at its top and 90 at its foot.
  EXPECT_TRUE(Shows("bpm>=140", kWaltz));
  EXPECT_FALSE(Shows("bpm>140", kWaltz));
  EXPECT_TRUE(Shows("bpm<100", kWaltz));
  EXPECT_FALSE(Shows("bpm<90", kWaltz));
  EXPECT_TRUE(Shows("bpm=120", kWaltz));
  EXPECT_FALSE(Shows("bpm=150", kWaltz));
  EXPECT_TRUE(Shows("bpm=120", kEtude));
  EXPECT_FALSE(Shows("bpm>120", kEtude));
  // Games and notes.
  EXPECT_TRUE(Shows("played=0", kWaltz));
  EXPECT_FALSE(Shows("played=0", kEtude));
  EXPECT_TRUE(Shows("played>2", kEtude));
  EXPECT_TRUE(Shows("notes>500", kWaltz));
  EXPECT_FALSE(Shows("notes>500", kEtude));
  EXPECT_TRUE(Shows("notes<=450", kEtude));
}

TEST(LibraryFilter, TermsAndWordsMustAllHold) {
  EXPECT_TRUE(Shows("star>3 length<3:00 valse", kWaltz));
  EXPECT_FALSE(Shows("star>3 length<2:00 valse", kWaltz));
  EXPECT_FALSE(Shows("star>3 length<3:00 etude", kWaltz));
  EXPECT_TRUE(Shows("played>=1 bpm=120 chopin", kEtude));
  const TLibraryFilter filter("star>3 valse notes>100");
  EXPECT_EQ(filter.Words(), std::vector<std::string>{"valse"});
  EXPECT_EQ(filter.Terms().size(), 2u);
  EXPECT_TRUE(filter.UnknownTerms().empty());
}

TEST(LibraryFilter, UnknownTermsAreReportedAsTypedAndDoNotNarrow) {
  const TLibraryFilter filter("speed>3 star>abc valse length<2:75 =3 bpm>");
  EXPECT_EQ(filter.UnknownTerms(), (std::vector<std::string>{"speed>3", "star>abc", "length<2:75", "=3", "bpm>"}));
  EXPECT_TRUE(filter.Terms().empty());
  EXPECT_TRUE(filter.Matches(Subject(kWaltz)));
  EXPECT_FALSE(filter.Matches(Subject(kEtude)));  // the word still narrows
  EXPECT_EQ(TLibraryFilter("notes>1.5 played=-1").UnknownTerms().size(), 2u);
}

TEST(LibraryFilter, AFileThatDoesNotLoadHasNoFiguresButItsGames) {
  TLibraryRow broken = Row("", "/music/broken.mid", 0, 0, 0, 0, 2, 0);
  broken.Error = "not a Standard MIDI File";
  EXPECT_TRUE(Shows("broken", broken));
  EXPECT_FALSE(Shows("length<1:00", broken));
  EXPECT_FALSE(Shows("star<1", broken));
  EXPECT_TRUE(Shows("played=2", broken));
}

TEST(LibraryFilter, LengthsAsMinutesAndSecondsOrSeconds) {
  double seconds = -1;
  ASSERT_TRUE(TLibraryFilter::ParseLength("2:30", seconds));
  EXPECT_DOUBLE_EQ(seconds, 150);
  ASSERT_TRUE(TLibraryFilter::ParseLength("0:05", seconds));
  EXPECT_DOUBLE_EQ(seconds, 5);
  ASSERT_TRUE(TLibraryFilter::ParseLength("12:5", seconds));
  EXPECT_DOUBLE_EQ(seconds, 725);
  ASSERT_TRUE(TLibraryFilter::ParseLength("90.5", seconds));
  EXPECT_DOUBLE_EQ(seconds, 90.5);
  for (const char* bad : {"", ":30", "2:", "2:60", "2:300", "a:30", "-5", "1:2:3", "2:3x"}) {
    EXPECT_FALSE(TLibraryFilter::ParseLength(bad, seconds)) << bad;
  }
}
