// The Standard MIDI File reader: refusals first, then malformed tracks, the
// events and their classes, the recognition patterns, timing and beats.
#include <gtest/gtest.h>

#include <string>

#include "midi/midi_errors.h"
#include "recording_song.h"
#include "smf_builder.h"

namespace {

// Expects loading Bytes to fail with EMidiFileError whose message names the
// file and contains Fragment.
void ExpectRefused(const TBytes& Bytes, const std::string& Fragment) {
  TMidiSong song;
  try {
    LoadBytes(song, Bytes, "refused.mid");
    FAIL() << "loaded; expected: " << Fragment;
  } catch (const EMidiFileError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("refused.mid"), std::string::npos) << message;
    EXPECT_NE(message.find(Fragment), std::string::npos) << message;
  }
}

TTrackBuilder OneNote(uint32_t Delta = 0, int Channel = 0) {
  TTrackBuilder track;
  track.NoteOn(Delta, Channel, 60, 100).NoteOff(480, Channel, 60).EndOfTrack();
  return track;
}

std::vector<int32_t> Ticks(const std::vector<TMidiEventItemStanderd*>& Items) {
  std::vector<int32_t> ticks;
  for (auto* item : Items) ticks.push_back(item->Tick);
  return ticks;
}

}  // namespace

// ---- Refused files ----

TEST(SmfRefused, DataThatIsNoStandardMidiFile) {
  ExpectRefused({}, "MThd");
  ExpectRefused({'M', 'T', 'h'}, "MThd");
  ExpectRefused({'n', 'o', 't', ' ', 'a', ' ', 'm', 'i', 'd', 'i'}, "MThd");
}

TEST(SmfRefused, TruncatedHeader) {
  ExpectRefused({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0}, "end of data");
}

TEST(SmfRefused, DivisionZeroAndSmpteDivision) {
  ExpectRefused(TSmfBuilder(0).Track(OneNote()).Bytes(), "division is 0");
  ExpectRefused(TSmfBuilder(0xE728).Track(OneNote()).Bytes(), "SMPTE");
  ExpectRefused(TSmfBuilder(0x8000).Track(OneNote()).Bytes(), "SMPTE");
}

TEST(SmfRefused, HeaderWithoutAnyEvent) {
  ExpectRefused(TSmfBuilder().Bytes(), "no events");
  ExpectRefused(TSmfBuilder().TrackWithLength({}, 0).Bytes(), "no events");
}

TEST(SmfRefused, MissingFileNamesTheFile) {
  TMidiSong song;
  try {
    song.LoadFromFile("/nonexistent/folder/song.mid");
    FAIL();
  } catch (const EMidiFileError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/folder/song.mid"), std::string::npos);
  }
}

TEST(SmfRefused, SongWithMoreQuartersThanTheBeatLimit) {
  TTrackBuilder track;
  track.NoteOn(static_cast<uint32_t>(TMidiSong::kMaxBeatItems) + 1, 0, 60, 1);
  ExpectRefused(TSmfBuilder(1).Track(track).Bytes(), "too long");
}

TEST(SmfRefused, SongLongerThanTheMillisecondRange) {
  // 16.7 s per tick: 130000 ticks last about 2.2e9 ms.
  TTrackBuilder track;
  track.Tempo(0, 0xFFFFFF).NoteOn(130000, 0, 60, 1);
  ExpectRefused(TSmfBuilder(1).Track(track).Bytes(), "longer than");
}

TEST(SmfRefused, AFailedLoadLeavesNoCurrentItemsOfTheOldSong) {
  TMidiSong song;
  TTrackBuilder track;
  track.TimeSignature(0, 4, 2).NoteOn(960, 0, 60, 1);
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  ASSERT_NE(song.CurrentBeat, nullptr);
  ASSERT_NE(song.CurrentRhythm, nullptr);
  EXPECT_THROW(LoadBytes(song, TBytes{'x'}), EMidiFileError);
  EXPECT_EQ(song.CurrentBeat, nullptr);
  EXPECT_EQ(song.CurrentRhythm, nullptr);
  EXPECT_EQ(song.Events.Count(), 0);
  EXPECT_EQ(song.Beats.Count(), 0);
  EXPECT_EQ(song.Rhythms.Count(), 0);
}

// ---- Malformed tracks: the track stops, what was read stays ----

TEST(SmfMalformed, TruncatedEventKeepsTheEventsBefore) {
  TTrackBuilder track;
  track.NoteOn(0, 0, 60, 100).NoteOff(10, 0, 60).Raw({0x00, 0x90, 0x3C});
  TSmfBuilder file;
  file.TrackWithLength(track.Body(), 100);  // the chunk claims more than the file has
  TMidiSong song;
  LoadBytes(song, file.Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemShort>(song).size(), 2u);
  ASSERT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_NE(song.TrackErrors[0].find("end of data"), std::string::npos);
}

TEST(SmfMalformed, VariableLengthQuantityOfFiveBytesStopsTheTrack) {
  TTrackBuilder track;
  track.NoteOn(0, 0, 60, 100).Raw({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x64});
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  ASSERT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_NE(song.TrackErrors[0].find("longer than 4 bytes"), std::string::npos);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 1);
  EXPECT_EQ(song.Events.Count(), 1);
}

TEST(SmfMalformed, FourByteVariableLengthQuantitiesAreRead) {
  TTrackBuilder track;
  track.Raw({0x80, 0x80, 0x80, 0x60, 0x90, 0x3C, 0x64});  // padded delta 96
  track.Raw({0x87, 0xFF, 0xFF, 0x7F, 0x80, 0x3C, 0x00});  // delta 0x00FFFFFF
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(0x7FFF).Track(track).Bytes());
  const auto notes = ItemsOf<TMidiEventItemShort>(song);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0]->Tick, 96);
  EXPECT_EQ(notes[1]->Tick, 96 + 0x00FFFFFF);
  EXPECT_TRUE(song.TrackErrors.empty());
}

TEST(SmfMalformed, TickBeyondTheIntegerRangeStopsTheTrack) {
  TTrackBuilder track;
  track.NoteOn(0, 0, 60, 100);
  // Eight largest deltas still fit (0x7FFFFFF8); the ninth does not.
  for (int i = 0; i < 9; ++i) track.NoteOn(0x0FFFFFFF, 0, 61, 100);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(0x7FFF).Track(track).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song).size(), 9u);
  ASSERT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_NE(song.TrackErrors[0].find("tick"), std::string::npos);
}

TEST(SmfMalformed, ExclusiveLengthPastTheDataStopsTheTrack) {
  TTrackBuilder track;
  track.NoteOn(0, 0, 60, 100).Raw({0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02});
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  EXPECT_EQ(song.Events.Count(), 1);  // the note; no beats at tick 0
  ASSERT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_NE(song.TrackErrors[0].find("past the end"), std::string::npos);
}

TEST(SmfMalformed, MalformedTempoEndsOnlyItsTrack) {
  // The bad event closes its chunk, so the next chunk id follows it.
  TTrackBuilder bad;
  bad.NoteOn(0, 0, 60, 100).Meta(0, 0x51, {0x07, 0xA1});
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(bad).Track(OneNote(0, 1)).Bytes());
  ASSERT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_EQ(ItemsOf<TMidiEventItemTempo>(song).size(), 0u);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 1);
  EXPECT_EQ(song.Tracks.Track(1)->ChannelEvents.Count(), 2);
}

TEST(SmfMalformed, AfterAnErrorInsideAChunkReadingGoesOnWhereTheStreamStands) {
  // The reader never seeks to a chunk's end: the rest of the broken chunk is
  // taken for the next chunk id, which is not "MTrk".
  TTrackBuilder bad;
  bad.NoteOn(0, 0, 60, 100).Meta(0, 0x51, {0x07, 0xA1}).NoteOn(0, 0, 62, 100);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(bad).Track(OneNote(0, 1)).Bytes());
  EXPECT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_EQ(song.Tracks.Count(), 1);
  EXPECT_EQ(song.Events.Count(), 1);
}

TEST(SmfMalformed, ChunkThatIsNotATrackIsNotSkipped) {
  // Position 1 reads "JUNK", position 2 reads the JUNK chunk's length field:
  // neither yields a record, and nothing after them is read.
  TSmfBuilder file;
  file.Track(OneNote()).Chunk("JUNK", {'M', 'T', 'r', 'k'}).Track(OneNote(0, 2)).DeclareTracks(3);
  TMidiSong song;
  LoadBytes(song, file.Bytes());
  EXPECT_EQ(song.Tracks.Count(), 1);
  EXPECT_EQ(song.TrackCount, 3);
  for (auto* item : ItemsOf<TMidiEventItemShort>(song)) EXPECT_EQ(item->Channel, 0);
}

TEST(SmfMalformed, TrackWhoseNumberHasNoRecordStopsAtItsFirstChannelMessage) {
  // Position 0 reads "XXXX" (no record); position 1 is a real track whose
  // events keep Track 1, but the only record is number 0.
  TTrackBuilder track;
  track.Tempo(0, 400000).NoteOn(0, 0, 60, 100).EndOfTrack();
  TSmfBuilder file;
  file.Tail({'X', 'X', 'X', 'X'}).Track(track).DeclareTracks(2);
  TMidiSong song;
  LoadBytes(song, file.Bytes());
  EXPECT_EQ(song.Tracks.Count(), 1);
  ASSERT_EQ(song.TrackErrors.size(), 1u);
  ASSERT_EQ(song.Events.Count(), 1);
  EXPECT_EQ(song.Events[0]->Kind, MidiKind::Tempo);
  EXPECT_EQ(song.Events[0]->Track, 1);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 0);
}

TEST(SmfMalformed, DeclaredTracksBeyondTheDataAndHugeCountsEndQuietly) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(OneNote()).DeclareTracks(65535).Bytes());
  EXPECT_EQ(song.Tracks.Count(), 1);
  EXPECT_TRUE(song.TrackErrors.empty());
  // A partial chunk id at the end yields no record either.
  LoadBytes(song, TSmfBuilder().Track(OneNote()).Tail({'M', 'T'}).DeclareTracks(2).Bytes());
  EXPECT_EQ(song.Tracks.Count(), 1);
}

TEST(SmfMalformed, DataByteWhereTheFirstStatusBelongsIsReadWithStatusZero) {
  TTrackBuilder track;
  track.Raw({0x00, 0x03, 0x41, 0x42, 0x43}).NoteOn(0, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  const auto longs = ItemsExactly<TMidiEventItemLong>(song, "TMidiEventItemLong");
  ASSERT_EQ(longs.size(), 1u);
  EXPECT_EQ(longs[0]->Kind, MidiKind::Exclusive);
  EXPECT_EQ(longs[0]->Bytes.Data(), (std::vector<int32_t>{0x00, 0x41, 0x42, 0x43}));
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song).size(), 1u);
}

TEST(SmfMalformed, DataByteAfterAMetaEventIsReadAsAnotherMetaEvent) {
  TTrackBuilder track;
  track.MetaText(0, 0x01, "x").Raw({0x00, 0x01, 0x02, 'a', 'b'}).NoteOn(0, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  const auto texts = ItemsExactly<TMidiEventItemLong>(song, "TMidiEventItemLong");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1]->Kind, MidiKind::Text);
  EXPECT_EQ(texts[1]->GetText(), "ab");
}

// ---- Track structure ----

TEST(SmfTracks, ZeroLengthTrackGivesARecordAndNoEvents) {
  TSmfBuilder file;
  file.TrackWithLength({}, 0).Track(OneNote(0, 1));
  TMidiSong song;
  LoadBytes(song, file.Bytes());
  ASSERT_EQ(song.Tracks.Count(), 2);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 0);
  EXPECT_EQ(song.Tracks.Track(1)->ChannelEvents.Count(), 2);
  for (auto* item : ItemsOf<TMidiEventItemShort>(song)) EXPECT_EQ(item->Track, 1);
}

TEST(SmfTracks, EndOfTrackStopsTheTrackAndTheNextChunkFollowsItDirectly) {
  // The chunk claims 20 more bytes than its events, but the next chunk id is
  // read right after the end-of-track event.
  TTrackBuilder first = OneNote();
  TSmfBuilder file;
  file.TrackWithLength(first.Body(), static_cast<uint32_t>(first.Body().size()) + 20)
      .Track(OneNote(0, 1));
  TMidiSong song;
  LoadBytes(song, file.Bytes());
  EXPECT_EQ(song.Tracks.Count(), 2);
  EXPECT_TRUE(song.TrackErrors.empty());
  EXPECT_EQ(song.Tracks.Track(1)->ChannelEvents.Count(), 2);
}

TEST(SmfTracks, TrackWithoutEndOfTrackEndsAtItsLength) {
  TTrackBuilder first;
  first.NoteOn(0, 0, 60, 100).NoteOff(480, 0, 60);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(first).Track(OneNote(0, 1)).Bytes());
  EXPECT_EQ(song.Tracks.Count(), 2);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 2);
  EXPECT_EQ(song.Tracks.Track(1)->ChannelEvents.Count(), 2);
}

TEST(SmfTracks, LongerHeaderIsSkippedToTheFirstTrack) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().HeaderLength(10).Track(OneNote()).Bytes());
  EXPECT_EQ(song.Tracks.Count(), 1);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 2);
}

TEST(SmfTracks, HeaderValuesAreKept) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(96, 2).Track(OneNote()).Track(OneNote()).Bytes());
  EXPECT_EQ(song.Format, 2);
  EXPECT_EQ(song.TrackCount, 2);
  EXPECT_EQ(song.Division, 96);
}

TEST(SmfTracks, NamesAndPortsBelongToTheTrackBeingRead) {
  TTrackBuilder first;
  first.MetaText(0, 0x03, "one").MetaText(0, 0x03, "uno").NoteOn(0, 0, 60, 1).EndOfTrack();
  TTrackBuilder second;
  second.Meta(0, 0x21, {3}).MetaText(0, 0x03, "two").NoteOn(0, 1, 60, 1).EndOfTrack();
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(first).Track(second).Bytes());
  ASSERT_EQ(song.Tracks.Count(), 2);
  ASSERT_NE(song.Tracks.Track(0)->NameItem, nullptr);
  EXPECT_EQ(song.Tracks.Track(0)->NameItem->Text, "uno");
  EXPECT_EQ(song.Tracks.Track(1)->NameItem->Text, "two");
  EXPECT_EQ(song.Tracks.Track(0)->Port, 0);
  EXPECT_EQ(song.Tracks.Track(1)->Port, 3);
  EXPECT_EQ(song.PortConfigs.Count(), 4);
}

TEST(SmfTracks, AMissingPortByteEndsTheTrack) {
  TTrackBuilder track;
  track.NoteOn(0, 0, 60, 1).Meta(0, 0x21, {}).NoteOn(0, 0, 61, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  EXPECT_EQ(song.TrackErrors.size(), 1u);
  EXPECT_EQ(song.Events.Count(), 1);
}

// ---- Events ----

TEST(SmfEvents, RunningStatusGivesNotesOnTheSameChannel) {
  TTrackBuilder track;
  track.Raw({0x00, 0x93, 0x3C, 0x64, 0x00, 0x3E, 0x64, 0x10, 0x3C, 0x00});
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  const auto shorts = ItemsOf<TMidiEventItemShort>(song);
  ASSERT_EQ(shorts.size(), 3u);
  EXPECT_STREQ(shorts[0]->ClassName(), "TMidiEventItemNoteOn");
  EXPECT_STREQ(shorts[1]->ClassName(), "TMidiEventItemNoteOn");
  EXPECT_EQ(shorts[1]->Data1, 0x3E);
  EXPECT_EQ(shorts[1]->Channel, 3);
  EXPECT_STREQ(shorts[2]->ClassName(), "TMidiEventItemNoteOff");
  EXPECT_EQ(shorts[2]->Kind, MidiKind::NoteOff);
  EXPECT_EQ(shorts[2]->Status, 0x93);
  EXPECT_EQ(shorts[2]->Tick, 16);
}

TEST(SmfEvents, ClassesFollowTheKind) {
  TTrackBuilder track;
  track.Event(0, {0x80, 1, 2})
      .Event(0, {0xA0, 1, 2})
      .Event(0, {0xB0, 7, 100})
      .Event(0, {0xC0, 5})
      .Event(0, {0xD0, 9})
      .Event(0, {0xE0, 0, 64})
      .MetaText(0, 0x05, "ly")
      .MetaText(0, 0x06, "mk")
      .TimeSignature(0, 3, 2)
      .Tempo(0, 600000)
      .MetaText(0, 0x7F, "seq");
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  std::vector<std::string> classes;
  for (auto* item : song.Events) classes.push_back(item->ClassName());
  const std::vector<std::string> expected{
      "TMidiEventItemNoteOff",       "TMidiEventItemShort",   "TMidiEventItemCtrlChange",
      "TMidiEventItemProgramChange", "TMidiEventItemShort",   "TMidiEventItemPitchBend",
      "TMidiEventItemLyric",         "TMidiEventItemMarker",  "TMidiEventItemRhythm",
      "TMidiEventItemTempo",         "TMidiEventItemLong"};
  EXPECT_EQ(classes, expected);
  EXPECT_EQ(song.Events[3]->Wait, 10);  // a program change pauses 10 ms
  EXPECT_EQ(song.Events[2]->Wait, 0);
  EXPECT_EQ(song.Lyrics.Count(), 1);
  EXPECT_EQ(song.Markers.Count(), 1);
  EXPECT_EQ(song.Rhythms.Count(), 1);
  EXPECT_EQ(song.Tempos.Count(), 1);
  EXPECT_EQ(song.Tracks.Track(0)->ChannelEvents.Count(), 6);
}

TEST(SmfEvents, MetaTextOf200BytesIsReadWhole) {
  const std::string text(200, 'q');
  TTrackBuilder track;
  track.MetaText(0, 0x01, text).NoteOn(5, 0, 60, 1);
  ASSERT_EQ(track.Body()[3], 0x81);  // the length is the two-byte quantity 81 48
  ASSERT_EQ(track.Body()[4], 0x48);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  const auto longs = ItemsExactly<TMidiEventItemLong>(song, "TMidiEventItemLong");
  ASSERT_EQ(longs.size(), 1u);
  EXPECT_EQ(longs[0]->GetText(), text);
  const auto notes = ItemsOf<TMidiEventItemNoteOn>(song);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0]->Tick, 5);
  EXPECT_EQ(notes[0]->Data1, 60);
}

TEST(SmfEvents, IndexAndTrackAfterLoading) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(OneNote()).Track(OneNote(0, 1)).Bytes());
  for (int i = 0; i < song.Events.Count(); ++i) EXPECT_EQ(song.Events[i]->Index, i);
  EXPECT_EQ(song.Tracks.Track(1)->ChannelEvents[0]->Track, 1);
  EXPECT_EQ(song.Tracks.Track(1)->ChannelEvents[0]->Items, &song.Events);
}

// ---- Recognition patterns ----

TEST(SmfPatterns, SoundModuleMessagesGetTheirKindWaitAndClass) {
  struct Case {
    TBytes Data;  // after F0
    uint8_t Kind;
    int32_t Wait;
    const char* Class;
  } cases[] = {
      {{0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, 9, 100, "TMidiEventItemGSReset"},
      {{0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7}, 9, 100, "TMidiEventItemGSReset"},
      {{0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, 8, 100, "TMidiEventItemGMReset"},
      {{0x7E, 0x7F, 0x09, 0x01, 0xF7}, 24, 0, "TMidiEventItemLong"},
      {{0x41, 0x10, 0x45, 0x12, 0x10, 0x00, 0x00, 'H', 'i', 0x11, 0xF7}, 27, 1, "TMidiEventItemLcdStr"},
      // A message that only starts with a pattern matches too.
      {{0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7, 0x00}, 9, 100, "TMidiEventItemGSReset"},
  };
  for (const Case& c : cases) {
    TTrackBuilder track;
    track.Sysex(0, c.Data);
    TMidiSong song;
    LoadBytes(song, TSmfBuilder().Track(track).Bytes());
    ASSERT_EQ(song.Events.Count(), 1);
    EXPECT_EQ(song.Events[0]->Kind, c.Kind) << c.Class;
    EXPECT_EQ(song.Events[0]->Wait, c.Wait) << c.Class;
    EXPECT_STREQ(song.Events[0]->ClassName(), c.Class);
  }
}

TEST(SmfPatterns, DisplayTextCarriesChecksumAndClosingByte) {
  TTrackBuilder track;
  track.Sysex(0, {0x41, 0x10, 0x45, 0x12, 0x10, 0x00, 0x00, 'H', 'i', 0x11, 0xF7});
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  auto* lcd = dynamic_cast<TMidiEventItemLcdStr*>(song.Events[0]);
  ASSERT_NE(lcd, nullptr);
  EXPECT_EQ(lcd->Text, "Hi\x11\xF7");
}

TEST(SmfPatterns, DisplayBitmapNeeds72BytesOrItsTrackEnds) {
  TBytes full{0x41, 0x10, 0x45, 0x12, 0x10, 0x01, 0x00};
  for (int i = 0; i < 64; ++i) full.push_back(i == 0 ? 0x10 : 0);
  full.push_back(0xF7);
  TTrackBuilder good;
  good.Sysex(0, full);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(good).Bytes());
  auto* lcd = dynamic_cast<TMidiEventItemLcdDot*>(song.Events[0]);
  ASSERT_NE(lcd, nullptr);
  EXPECT_EQ(lcd->Kind, MidiKind::LcdDot);
  EXPECT_EQ(lcd->Wait, 1);
  EXPECT_EQ(lcd->Dots.Values(0), 1);

  TTrackBuilder bad;
  bad.NoteOn(0, 0, 60, 1).Sysex(0, {0x41, 0x10, 0x45, 0x12, 0x10, 0x01, 0x00, 0x01, 0xF7});
  LoadBytes(song, TSmfBuilder().Track(bad).Bytes());
  EXPECT_EQ(song.Events.Count(), 1);
  EXPECT_EQ(song.TrackErrors.size(), 1u);
}

TEST(SmfPatterns, MetaEventsNeverMatch) {
  TTrackBuilder track;
  track.Meta(0, 0x7F, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(track).Bytes());
  EXPECT_EQ(song.Events[0]->Kind, MidiKind::MetaOther);
  EXPECT_EQ(song.Events[0]->Wait, 0);
}

TEST(SmfPatterns, TheLastMatchingPatternWins) {
  TMidiSong song;
  song.WaitItems.AddWaitItem("F041", MidiKind::Exclusive, 7);
  TMidiEventItemLong item;
  for (int b : {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}) item.Bytes.Add(b);
  song.MatchWaitItems(item);
  EXPECT_EQ(item.Kind, MidiKind::Exclusive);
  EXPECT_EQ(item.Wait, 7);
}

TEST(WaitItems, BuiltInPatternsInOrder) {
  TMidiSong song;
  ASSERT_EQ(song.WaitItems.Count(), 5);
  EXPECT_EQ(song.WaitItems[0].Pattern.Count(), 11);
  EXPECT_EQ(song.WaitItems[0].Kind, 9);
  EXPECT_EQ(song.WaitItems[2].Kind, 8);
  EXPECT_EQ(song.WaitItems[3].Kind, 26);
  EXPECT_EQ(song.WaitItems[3].Wait, 1);
  EXPECT_EQ(song.WaitItems[4].Pattern.Values(7), 0x00);
  EXPECT_THROW(song.WaitItems[5], EListIndexError);
}

TEST(WaitItems, OddCharacterIgnoredAndBadPairStopsTheFilling) {
  TMidiWaitItems items;
  items.AddWaitItem("F0a", 9, 100);
  EXPECT_EQ(items[0].Pattern.Data(), (std::vector<int32_t>{0xF0}));
  EXPECT_EQ(items[0].Kind, 9);
  EXPECT_EQ(items[0].Wait, 100);
  items.AddWaitItem("f041zz42", 9, 100);
  EXPECT_EQ(items[1].Pattern.Data(), (std::vector<int32_t>{0xF0, 0x41}));
  EXPECT_EQ(items[1].Kind, 0);
  EXPECT_EQ(items[1].Wait, 0);
}

// ---- Order of the song list ----

TEST(SmfOrder, EqualTicksKeepTrackOrderAndBeatsComeLast) {
  TTrackBuilder first;
  first.TimeSignature(0, 4, 2).NoteOn(480, 0, 60, 1).NoteOff(480, 0, 60);
  TTrackBuilder second;
  second.NoteOn(480, 1, 62, 1).NoteOff(480, 1, 62);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder().Track(first).Track(second).Bytes());
  std::vector<std::string> at480;
  for (auto* item : song.Events) {
    if (item->Tick == 480) at480.push_back(std::string(item->ClassName()) + std::to_string(item->Track));
  }
  const std::vector<std::string> expected{"TMidiEventItemNoteOn0", "TMidiEventItemNoteOn1",
                                          "TMidiEventItemVibrant0"};
  EXPECT_EQ(at480, expected);
}

TEST(SmfOrder, FormatZeroAndOneGiveTheSameOrderApartFromSharedTicks) {
  TTrackBuilder merged;
  merged.Tempo(0, 500000).NoteOn(10, 0, 60, 1).NoteOn(10, 1, 62, 1).NoteOff(10, 0, 60).NoteOff(10, 1, 62);
  TTrackBuilder a;
  a.Tempo(0, 500000).NoteOn(10, 0, 60, 1).NoteOff(20, 0, 60);
  TTrackBuilder b;
  b.NoteOn(20, 1, 62, 1).NoteOff(20, 1, 62);
  TMidiSong zero;
  TMidiSong one;
  LoadBytes(zero, TSmfBuilder(480, 0).Track(merged).Bytes());
  LoadBytes(one, TSmfBuilder(480, 1).Track(a).Track(b).Bytes());
  ASSERT_EQ(zero.Events.Count(), one.Events.Count());
  for (int i = 0; i < zero.Events.Count(); ++i) {
    std::string x, y;
    zero.Events[i]->Describe(x);
    one.Events[i]->Describe(y);
    EXPECT_EQ(x, y) << i;
    EXPECT_EQ(zero.Events[i]->Time, one.Events[i]->Time);
  }
}

// ---- Times ----

TEST(SmfTimes, TempoChangeHalvesTheMillisecondsPerTick) {
  TTrackBuilder track;
  track.Tempo(0, 500000).Tempo(960, 250000).NoteOn(480, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  const auto notes = ItemsOf<TMidiEventItemNoteOn>(song);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0]->Tick, 1440);
  EXPECT_EQ(notes[0]->Time, 1250);
  EXPECT_EQ(ItemsOf<TMidiEventItemTempo>(song)[1]->Time, 1000);
  EXPECT_EQ(song.EndTime, 1250);
  EXPECT_EQ(song.SongLength, 1440);
}

TEST(SmfTimes, WithoutTempoEventsAQuarterLastsHalfASecond) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(96).Track(OneNote(96)).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 500);
}

TEST(SmfTimes, ATempoInOneTrackTimesEveryTrack) {
  TTrackBuilder conductor;
  conductor.Tempo(480, 1000000);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(conductor).Track(OneNote(960, 1)).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 500 + 1000);
}

TEST(SmfTimes, HalvesGoToTheEvenNeighbour) {
  // 1000 ticks per quarter at 500000 us: exactly 0.5 ms per tick.
  TTrackBuilder track;
  track.NoteOn(1, 0, 60, 1).NoteOn(2, 0, 61, 1).NoteOn(2, 0, 62, 1).NoteOn(2, 0, 63, 1);
  track.NoteOn(2000000 - 7, 0, 64, 1).NoteOn(1, 0, 65, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(1000).Track(track).Bytes());
  const auto notes = ItemsOf<TMidiEventItemNoteOn>(song);
  ASSERT_EQ(notes.size(), 6u);
  EXPECT_EQ(notes[0]->Time, 0);  // 0.5
  EXPECT_EQ(notes[1]->Time, 2);  // 1.5
  EXPECT_EQ(notes[2]->Time, 2);  // 2.5
  EXPECT_EQ(notes[3]->Time, 4);  // 3.5
  EXPECT_EQ(notes[4]->Time, 1000000);   // 1000000.0
  EXPECT_EQ(notes[5]->Time, 1000000);   // 1000000.5
}

TEST(SmfTimes, FactorIsHeldInSinglePrecision) {
  // 500/480 in single precision times 36 is 37.4999986, not 37.5.
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(OneNote(36)).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 37);
  // 500/96 in single precision times 12 is 62.5000019, not 62.5.
  LoadBytes(song, TSmfBuilder(96).Track(OneNote(12)).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 63);
}

TEST(SmfTimes, RoundingRestartsAtEveryTempoEvent) {
  // 166.67 ms per tick: tick 2 is 333 ms, but a tempo event at tick 1 rounds
  // the first segment to 167 and adds the second one: 334 ms.
  TTrackBuilder plain;
  plain.NoteOn(2, 0, 60, 1);
  TTrackBuilder withTempo;
  withTempo.Tempo(0, 500000).Tempo(1, 500000).NoteOn(1, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(3).Track(plain).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 333);
  LoadBytes(song, TSmfBuilder(3).Track(withTempo).Bytes());
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 334);
}

TEST(SmfTimes, TempoZeroIsKeptButChangesNothing) {
  TTrackBuilder track;
  track.Tempo(0, 0).NoteOn(480, 0, 60, 1).Tempo(0, 1000000).Tempo(480, 0).NoteOn(480, 0, 61, 1);
  TRecordingSong song;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  const auto tempos = ItemsOf<TMidiEventItemTempo>(song);
  ASSERT_EQ(tempos.size(), 3u);
  EXPECT_EQ(tempos[0]->Tempo, 0);
  ASSERT_EQ(song.Tempos.Count(), 1);
  EXPECT_EQ(song.Tempos[0], tempos[1]);
  const auto notes = ItemsOf<TMidiEventItemNoteOn>(song);
  EXPECT_EQ(notes[0]->Time, 500);
  EXPECT_EQ(notes[1]->Time, 500 + 2000);
  EXPECT_EQ(song.Tempo.load(), 1000000);  // the only usable tempo is in effect at 0
  tempos[0]->Execute();
  tempos[2]->Execute();
  EXPECT_TRUE(song.Calls.empty());
}

TEST(SmfTimes, OnlyTempoZeroMeansTheDefaultTempo) {
  TTrackBuilder track;
  track.Tempo(0, 0).NoteOn(480, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  EXPECT_EQ(song.Tempo.load(), TMidiSong::kDefaultTempo);
  EXPECT_EQ(ItemsOf<TMidiEventItemNoteOn>(song)[0]->Time, 500);
}

// ---- Beats ----

TEST(SmfBeats, ThreeFourBarsOverAShortSong) {
  TTrackBuilder track;
  track.TimeSignature(0, 3, 2).NoteOn(2880, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  std::vector<std::string> beats;
  for (auto* item : song.Beats) {
    std::string text;
    item->Describe(text);
    beats.push_back(std::to_string(item->Tick) + ":" + text);
  }
  const std::vector<std::string> expected{"0:0-0",    "480:0-1",  "960:0-2",
                                          "1440:1-0", "1920:1-1", "2400:1-2"};
  EXPECT_EQ(beats, expected);
  EXPECT_EQ(song.Beats[0]->Kind, MidiKind::MetaOther);
}

TEST(SmfBeats, LaterSignatureTakesEffectAfterItsOwnTick) {
  TTrackBuilder track;
  track.TimeSignature(0, 4, 2).TimeSignature(16 * 480, 3, 2).NoteOn(480 * 27, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  std::vector<int> beatsPerBar;
  for (auto* item : song.Beats) {
    auto* beat = static_cast<TMidiEventItemVibrant*>(item);
    if (beat->Vibrant >= static_cast<int>(beatsPerBar.size())) beatsPerBar.push_back(0);
    ++beatsPerBar[beat->Vibrant];
  }
  const std::vector<int> expected{4, 4, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3, 3};
  EXPECT_EQ(beatsPerBar, expected);
}

TEST(SmfBeats, FirstSignatureAppliesFromTickZeroAndBeatsAreQuarters) {
  TTrackBuilder track;
  track.TimeSignature(960, 6, 3).NoteOn(960, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  EXPECT_EQ(Ticks(std::vector<TMidiEventItemStanderd*>(song.Beats.begin(), song.Beats.end())),
            (std::vector<int32_t>{0, 480, 960, 1440}));
  EXPECT_EQ(static_cast<TMidiEventItemVibrant*>(song.Beats[3])->Rhythm, 3);  // six quarters a bar
}

TEST(SmfBeats, SongWithoutTimeSignatureCountsFourFour) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(OneNote(480 * 5)).Bytes());
  ASSERT_EQ(song.Beats.Count(), 6);
  auto* fifth = static_cast<TMidiEventItemVibrant*>(song.Beats[4]);
  EXPECT_EQ(fifth->Vibrant, 1);
  EXPECT_EQ(fifth->Rhythm, 0);
  EXPECT_EQ(song.CurrentRhythm, nullptr);
}

TEST(SmfBeats, SongOfOneTickHasNoBeats) {
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(TTrackBuilder().NoteOn(0, 0, 60, 1)).Bytes());
  EXPECT_EQ(song.Beats.Count(), 0);
  EXPECT_EQ(song.SongLength, 0);
  EXPECT_EQ(song.CurrentBeat, nullptr);
}

// ---- Current items and reloading ----

TEST(SmfCurrentItems, LookedUpAtPositionZeroAfterLoadingAndAgainOnRequest) {
  TTrackBuilder track;
  track.TimeSignature(0, 3, 2).Tempo(0, 600000).MetaText(960, 0x05, "la").Tempo(0, 300000)
      .NoteOn(960, 0, 60, 1);
  TMidiSong song;
  song.PositionMs = 1234;
  song.NextIndex = 7;
  LoadBytes(song, TSmfBuilder(480).Track(track).Bytes());
  EXPECT_EQ(song.PositionMs.load(), 0);
  EXPECT_EQ(song.NextIndex.load(), 0);
  EXPECT_EQ(song.Tempo.load(), 600000);
  EXPECT_EQ(song.CurrentBeat, song.Beats[0]);
  EXPECT_EQ(song.CurrentRhythm, song.Rhythms[0]);
  EXPECT_EQ(song.CurrentLyric, "");
  song.PositionTicks = 961;
  song.UpdateCurrentItems();
  EXPECT_EQ(song.Tempo.load(), 300000);
  EXPECT_EQ(song.CurrentLyric, "la");
  EXPECT_EQ(song.CurrentBeat, song.Beats[2]);
}

TEST(SmfCurrentItems, LoadingReplacesTheWholeSong) {
  TTrackBuilder first;
  first.MetaText(0, 0x05, "a").MetaText(0, 0x06, "m").Meta(0, 0x21, {2}).NoteOn(960, 0, 60, 1);
  TMidiSong song;
  LoadBytes(song, TSmfBuilder(480).Track(first).Track(first).Bytes());
  EXPECT_EQ(song.Lyrics.Count(), 2);
  EXPECT_EQ(song.PortConfigs.Count(), 3);
  LoadBytes(song, TSmfBuilder(480).Track(OneNote()).Bytes());
  EXPECT_EQ(song.Lyrics.Count(), 0);
  EXPECT_EQ(song.Markers.Count(), 0);
  EXPECT_EQ(song.Tracks.Count(), 1);
  EXPECT_EQ(song.PortConfigs.Count(), 1);
  EXPECT_EQ(song.Events.Count(), 4);  // two notes, the end of track and the beat at 0
}
