// The pieces the tutorial song generator is built from: the SMF writer and
// the phrase notation.
#include "tools/make_tutorial_song/phrase_notation.h"
#include "tools/make_tutorial_song/smf_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SmfBytes VarLen(std::uint32_t v) {
  SmfBytes out;
  AppendVarLen(out, v);
  return out;
}

TEST(SmfWriter, VarLenRefusesWhatFourBytesCannotHold) {
  EXPECT_THROW(VarLen(0x10000000), ESmfWriteError);
  EXPECT_EQ(VarLen(0x0FFFFFFF), (SmfBytes{0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(SmfWriter, VarLenMatchesTheStandardsExamples) {
  EXPECT_EQ(VarLen(0), (SmfBytes{0x00}));
  EXPECT_EQ(VarLen(0x40), (SmfBytes{0x40}));
  EXPECT_EQ(VarLen(0x7F), (SmfBytes{0x7F}));
  EXPECT_EQ(VarLen(0x80), (SmfBytes{0x81, 0x00}));
  EXPECT_EQ(VarLen(0x2000), (SmfBytes{0xC0, 0x00}));
  EXPECT_EQ(VarLen(0x3FFF), (SmfBytes{0xFF, 0x7F}));
  EXPECT_EQ(VarLen(0x4000), (SmfBytes{0x81, 0x80, 0x00}));
  EXPECT_EQ(VarLen(0x100000), (SmfBytes{0xC0, 0x80, 0x00}));
  EXPECT_EQ(VarLen(0x200000), (SmfBytes{0x81, 0x80, 0x80, 0x00}));
}

TEST(SmfWriter, RefusesEventsAFileCannotCarry) {
  SmfTrack track;
  EXPECT_THROW(track.Note(0, 10, 16, 60, 100), ESmfWriteError);   // channel
  EXPECT_THROW(track.Note(0, 10, 0, 128, 100), ESmfWriteError);   // key
  EXPECT_THROW(track.Note(0, 10, 0, 60, 0), ESmfWriteError);      // velocity 0 is a note-off
  EXPECT_THROW(track.Note(0, 0, 0, 60, 100), ESmfWriteError);     // no length
  EXPECT_THROW(track.ProgramChange(0, 0, 128), ESmfWriteError);
  EXPECT_THROW(track.Tempo(0, 0), ESmfWriteError);
  EXPECT_THROW(track.Tempo(0, 0x1000000), ESmfWriteError);
  EXPECT_THROW(track.KeySignature(0, 8, false), ESmfWriteError);
  EXPECT_THROW(BuildSmf(2, 480, {track}), ESmfWriteError);
  EXPECT_THROW(BuildSmf(0, 480, {track, track}), ESmfWriteError);
  EXPECT_THROW(BuildSmf(1, 480, {}), ESmfWriteError);
  EXPECT_THROW(BuildSmf(1, 0, {track}), ESmfWriteError);
  EXPECT_THROW(BuildSmf(1, 0x8000, {track}), ESmfWriteError);
}

TEST(SmfWriter, ReleasesBeforeStrikingAtTheSameTick) {
  // Two repeated notes: the first one's note-off shares a tick with the
  // second note-on and must come first, or the second note would be cut.
  SmfTrack track;
  track.Note(96, 96, 0, 60, 100);
  track.Note(0, 96, 0, 60, 90);
  const SmfBytes chunk = track.Chunk();
  const SmfBytes expected = {'M', 'T', 'r', 'k', 0, 0, 0, 20,
                             0x00, 0x90, 60, 90,   // tick 0
                             0x60, 0x80, 60, 64,   // tick 96: release
                             0x00, 0x90, 60, 100,  // then strike again
                             0x60, 0x80, 60, 64,   // tick 192
                             0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(chunk, expected);
}

TEST(SmfWriter, BuildsHeaderAndEndsTracksTogether) {
  SmfTrack conductor;
  conductor.TrackName(0, "Song");
  conductor.Tempo(0, 500000);
  SmfTrack part;
  part.ProgramChange(0, 9, 0);
  part.Note(0, 480, 9, 36, 100);
  const SmfBytes file = BuildSmf(1, 480, {conductor, part}, 960);
  const SmfBytes header = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
  ASSERT_GT(file.size(), header.size());
  EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
  const SmfBytes conductorChunk = {'M', 'T', 'r', 'k', 0, 0, 0, 20,
                                   0x00, 0xFF, 0x03, 4, 'S', 'o', 'n', 'g',
                                   0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20,
                                   0x87, 0x40, 0xFF, 0x2F, 0x00};  // end-of-track at tick 960
  EXPECT_TRUE(std::equal(conductorChunk.begin(), conductorChunk.end(), file.begin() + header.size()));
  // The drum track ends at 960 too: after its note-off at 480, a delta of 480.
  const SmfBytes drumTail = {0x83, 0x60, 0x89, 36, 64, 0x83, 0x60, 0xFF, 0x2F, 0x00};
  EXPECT_TRUE(std::equal(drumTail.begin(), drumTail.end(), file.end() - static_cast<std::ptrdiff_t>(drumTail.size())));
}

TEST(PhraseNotation, RefusesBadPitches) {
  EXPECT_THROW(ParseKey(""), EPhraseError);
  EXPECT_THROW(ParseKey("H4"), EPhraseError);
  EXPECT_THROW(ParseKey("C"), EPhraseError);
  EXPECT_THROW(ParseKey("C#"), EPhraseError);
  EXPECT_THROW(ParseKey("C4x"), EPhraseError);
  EXPECT_THROW(ParseKey("G#9"), EPhraseError);   // 128
  EXPECT_THROW(ParseKey("Cb-1"), EPhraseError);  // -1
  EXPECT_THROW(ParseKey("tom"), EPhraseError);
}

TEST(PhraseNotation, NamesPitchesWithMiddleCAs60) {
  EXPECT_EQ(ParseKey("C4"), 60);
  EXPECT_EQ(ParseKey("A4"), 69);
  EXPECT_EQ(ParseKey("Bb1"), 34);
  EXPECT_EQ(ParseKey("F#3"), 54);
  EXPECT_EQ(ParseKey("C-1"), 0);
  EXPECT_EQ(ParseKey("G9"), 127);
  EXPECT_EQ(ParseKey("kick"), 36);
  EXPECT_EQ(ParseKey("snare"), 38);
  EXPECT_EQ(ParseKey("crash"), 49);
}

TEST(PhraseNotation, RefusesStepsWithoutAPositiveDuration) {
  EXPECT_THROW(ParsePhrase("A4"), EPhraseError);
  EXPECT_THROW(ParsePhrase("A4:"), EPhraseError);
  EXPECT_THROW(ParsePhrase("A4:0"), EPhraseError);
  EXPECT_THROW(ParsePhrase("A4:-1"), EPhraseError);
  EXPECT_THROW(ParsePhrase("A4:1x"), EPhraseError);
  EXPECT_THROW(ParsePhrase("A4+:1"), EPhraseError);
  try {
    ParsePhrase("C4:1 Q4:1");
    FAIL() << "no EPhraseError";
  } catch (const EPhraseError& e) {
    EXPECT_NE(std::string(e.what()).find("Q4"), std::string::npos) << e.what();
  }
}

TEST(PhraseNotation, ReadsNotesChordsAndRests) {
  const std::vector<PhraseStep> steps = ParsePhrase("  A4:1.5 r:0.5  F3+A3+C4:2 ");
  ASSERT_EQ(steps.size(), 3U);
  EXPECT_EQ(steps[0].keys, std::vector<int>{69});
  EXPECT_DOUBLE_EQ(steps[0].quarters, 1.5);
  EXPECT_TRUE(steps[1].keys.empty());
  EXPECT_DOUBLE_EQ(steps[1].quarters, 0.5);
  EXPECT_EQ(steps[2].keys, (std::vector<int>{53, 57, 60}));
  EXPECT_DOUBLE_EQ(PhraseQuarters(steps), 4.0);
  EXPECT_TRUE(ParsePhrase("").empty());
}

}  // namespace
