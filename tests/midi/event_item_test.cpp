// Event items: reading, decoding, assignment, description and the operations
// performed against the player.
#include <gtest/gtest.h>

#include <memory>

#include "midi/event_item.h"
#include "midi/event_item_long.h"
#include "midi/midi_errors.h"
#include "midi/midi_file_stream.h"
#include "recording_song.h"
#include "smf_builder.h"

namespace {

// Reads one short item of Status from Data.
std::unique_ptr<TMidiEventItemShort> ReadShort(int Status, const TBytes& Data) {
  TMidiFileStream stream(Data.data(), Data.size(), "bytes");
  auto item = std::make_unique<TMidiEventItemShort>();
  EXPECT_FALSE(item->ReadFromStream(stream, Status, 3));
  item->Decode();
  return item;
}

std::unique_ptr<TMidiEventItemLong> LongWithBytes(std::initializer_list<int> Bytes) {
  auto item = std::make_unique<TMidiEventItemLong>();
  for (int b : Bytes) item->Bytes.Add(b);
  return item;
}

}  // namespace

// ---- TListIntItems ----

TEST(ListIntItems, AddReturnsPositionsAndValuesReadBack) {
  TListIntItems list;
  EXPECT_EQ(list.Add(7), 0);
  EXPECT_EQ(list.Add(-3), 1);
  EXPECT_EQ(list.Add(9), 2);
  EXPECT_EQ(list.Count(), 3);
  list.Delete(1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Values(1), 9);
  EXPECT_EQ(list.Item(0).Value, 7);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(ListIntItems, PositionsOutsideTheListFail) {
  TListIntItems list;
  EXPECT_THROW(list.Values(0), EListIndexError);
  list.Add(1);
  EXPECT_THROW(list.Values(-1), EListIndexError);
  EXPECT_THROW(list.Values(1), EListIndexError);
  EXPECT_THROW(list.Delete(1), EListIndexError);
  EXPECT_THROW(list.SetValue(2, 0), EListIndexError);
}

// ---- Short items ----

TEST(ShortItem, KindAndDataCountFollowTheStatus) {
  struct Case {
    int Status;
    uint8_t Kind;
    int DataCount;
  } cases[] = {{0x80, 2, 2}, {0x91, 1, 2}, {0xA2, 3, 2}, {0xB3, 4, 2},
               {0xC4, 5, 1}, {0xD5, 6, 1}, {0xEF, 7, 2}};
  for (const Case& c : cases) {
    const auto item = ReadShort(c.Status, {0x3C, 0x64});
    EXPECT_EQ(item->Kind, c.Kind) << c.Status;
    EXPECT_EQ(item->DataCount, c.DataCount) << c.Status;
    EXPECT_EQ(item->Channel, c.Status & 15);
    EXPECT_EQ(item->Data2, c.DataCount == 2 ? 0x64 : 0);
    EXPECT_EQ(item->Track, 3);
  }
}

TEST(ShortItem, NoteOnWithVelocityZeroIsANoteOffThatKeepsItsStatus) {
  const auto item = ReadShort(0x95, {0x3C, 0x00});
  EXPECT_EQ(item->Kind, MidiKind::NoteOff);
  EXPECT_EQ(item->Message, 0x003C95);
  EXPECT_EQ(item->GetByte(0), 0x95);
}

TEST(ShortItem, OneDataByteMessagesReadOnlyOneByte) {
  const TBytes data{0x05, 0x7F};
  TMidiFileStream stream(data.data(), data.size(), "bytes");
  TMidiEventItemShort item;
  item.ReadFromStream(stream, 0xC0, 0);
  EXPECT_EQ(stream.Position(), 1u);
  EXPECT_EQ(item.Data1, 5);
}

TEST(ShortItem, ATruncatedMessageFails) {
  const TBytes data{0x3C};
  TMidiFileStream stream(data.data(), data.size(), "bytes");
  TMidiEventItemShort item;
  EXPECT_THROW(item.ReadFromStream(stream, 0x90, 0), EMidiFileError);
}

TEST(ShortItem, GetByteGivesTheSixFieldsInOrder) {
  const auto item = ReadShort(0xE2, {0x01, 0x40});
  EXPECT_EQ(item->GetByte(0), 0xE2);
  EXPECT_EQ(item->GetByte(1), 0x01);
  EXPECT_EQ(item->GetByte(2), 0x40);
  EXPECT_EQ(item->GetByte(3), 2);
  EXPECT_EQ(item->GetByte(4), 0x4001E2);
  EXPECT_EQ(item->GetByte(5), 2);
  EXPECT_THROW(item->GetByte(6), EListIndexError);
  EXPECT_THROW(item->GetByte(-1), EListIndexError);
}

TEST(ShortItem, DescribeShowsTheMessageBytesInUpperCaseHex) {
  std::string text;
  ReadShort(0x90, {0x3C, 0x64})->Describe(text);
  EXPECT_EQ(text, "90 3C 64");
  ReadShort(0xCA, {0x0B})->Describe(text);
  EXPECT_EQ(text, "CA 0B 00");
  ReadShort(0xCA, {0x0B})->DescribeBytes(text);
  EXPECT_EQ(text, "CA 0B ");
}

TEST(ShortItem, AssignCopiesMessageAndItemFields) {
  auto source = ReadShort(0x93, {0x40, 0x50});
  source->Index = 4;
  source->Tick = 960;
  source->Time = 1000;
  source->Wait = 10;
  TMidiEventItemNoteOn target;
  target.Assign(*source);
  EXPECT_EQ(target.Message, source->Message);
  EXPECT_EQ(target.GetByte(1), 0x40);
  EXPECT_EQ(target.Channel, 3);
  EXPECT_EQ(target.Index, 4);
  EXPECT_EQ(target.Tick, 960);
  EXPECT_EQ(target.Time, 1000);
  EXPECT_EQ(target.Track, 3);
  EXPECT_EQ(target.Kind, MidiKind::NoteOn);
  EXPECT_EQ(target.Wait, 10);
}

TEST(Assign, BetweenItemsOfDifferentBranchesCopiesOnlyTheItemFields) {
  auto source = LongWithBytes({0xF0, 0x01});
  source->Tick = 77;
  TMidiEventItemShort target;
  target.Status = 0x90;
  target.Assign(*source);
  EXPECT_EQ(target.Tick, 77);
  EXPECT_EQ(target.Status, 0x90);
}

TEST(Assign, FromAClassThatIsNoItemFails) {
  TMidiPersistent stranger;
  TMidiEventItemShort target;
  EXPECT_THROW(target.Assign(stranger), EAssignError);
  TMidiEventItemLong longTarget;
  EXPECT_THROW(longTarget.Assign(stranger), EAssignError);
}

// ---- Long items ----

TEST(LongItem, ReadsAMetaEventWithoutItsTypeByte) {
  const TBytes data{0x05, 0x03, 'a', 'b', 'c', 0x99};
  TMidiFileStream stream(data.data(), data.size(), "bytes");
  TMidiEventItemLong item;
  EXPECT_FALSE(item.ReadFromStream(stream, 0xFF, 1));
  EXPECT_EQ(item.Kind, MidiKind::Lyric);
  EXPECT_EQ(item.Bytes.Count(), 4);
  EXPECT_EQ(item.GetText(), "abc");
  EXPECT_EQ(stream.Position(), 5u);
}

TEST(LongItem, MetaTypesMapToKinds) {
  const std::pair<uint8_t, uint8_t> table[] = {
      {0x00, 12}, {0x01, 13}, {0x02, 14}, {0x03, 15}, {0x04, 16}, {0x05, 17}, {0x06, 18},
      {0x07, 19}, {0x21, 25}, {0x2F, 20}, {0x51, 11}, {0x52, 21}, {0x54, 0},  {0x58, 22},
      {0x59, 23}, {0x7F, 0},  {0x08, 0}};
  for (const auto& [type, kind] : table) {
    const TBytes data{type, 0x00};
    TMidiFileStream stream(data.data(), data.size(), "bytes");
    TMidiEventItemLong item;
    EXPECT_EQ(item.ReadFromStream(stream, 0xFF, 0), type == 0x2F);
    EXPECT_EQ(item.Kind, kind) << int(type);
  }
}

TEST(LongItem, ExclusiveEventsKeepTheirStatusAndClosingByte) {
  const TBytes data{0x03, 0x7E, 0x01, 0xF7};
  TMidiFileStream stream(data.data(), data.size(), "bytes");
  TMidiEventItemLong item;
  EXPECT_FALSE(item.ReadFromStream(stream, 0xF0, 0));
  EXPECT_EQ(item.Kind, MidiKind::Exclusive);
  std::string text;
  item.Describe(text);
  EXPECT_EQ(text, "F0 7E 01 F7 ");
  item.DescribeBytes(text);
  EXPECT_EQ(text, "F0 7E 01 F7 ");
}

TEST(LongItem, ALengthPastTheDataFailsBeforeReadingOrReserving) {
  const TBytes data{0x8F, 0xFF, 0xFF, 0x7F, 0x01};  // 0x0FFFFFFF bytes announced
  TMidiFileStream stream(data.data(), data.size(), "song.mid");
  TMidiEventItemLong item;
  try {
    item.ReadFromStream(stream, 0xF0, 0);
    FAIL() << "no error";
  } catch (const EMidiFileError& error) {
    EXPECT_NE(std::string(error.what()).find("song.mid"), std::string::npos);
  }
  EXPECT_EQ(item.Bytes.Count(), 1);
}

TEST(LongItem, GetValueIsBigEndianFromTheFirstDataByteAndChecksBounds) {
  const auto item = LongWithBytes({0xFF, 0x07, 0xA1, 0x20});
  EXPECT_EQ(item->GetValue(0, 3), 0x07A120);
  EXPECT_EQ(item->GetValue(1, 2), 0xA120);
  EXPECT_THROW(item->GetValue(1, 3), EListIndexError);
}

TEST(LongItem, AssignReplacesBytesAndCopiesWait) {
  auto source = LongWithBytes({0xF0, 0x41, 0xF7});
  source->Wait = 100;
  source->Kind = MidiKind::GSReset;
  TMidiEventItemGSReset target;
  target.Bytes.Add(0x55);
  target.Assign(*source);
  EXPECT_EQ(target.Bytes, source->Bytes);
  EXPECT_EQ(target.Wait, 100);
  EXPECT_EQ(target.Kind, MidiKind::GSReset);
}

TEST(Decode, TempoAndItsDescription) {
  TMidiEventItemTempo tempo;
  for (int b : {0xFF, 0x07, 0xA1, 0x20}) tempo.Bytes.Add(b);
  tempo.Decode();
  EXPECT_EQ(tempo.Tempo, 500000);
  std::string text;
  tempo.Describe(text);
  EXPECT_EQ(text, "Tempo:500000");
}

TEST(Decode, ShortTempoEventFails) {
  TMidiEventItemTempo tempo;
  for (int b : {0xFF, 0x07, 0xA1}) tempo.Bytes.Add(b);
  EXPECT_THROW(tempo.Decode(), EListIndexError);
}

TEST(Decode, TimeSignatureDenominatorIsAPowerOfTwo) {
  const std::pair<int, int> cases[] = {{3, 8}, {0, 1}, {2, 4}, {30, 1 << 30}};
  for (const auto& [power, denominator] : cases) {
    TMidiEventItemRhythm rhythm;
    for (int b : {0xFF, 6, power, 24, 8}) rhythm.Bytes.Add(b);
    rhythm.Decode();
    EXPECT_EQ(rhythm.Bunbo, denominator);
    EXPECT_EQ(rhythm.Bunshi, 6);
    EXPECT_EQ(rhythm.ClickClocks, 24);
  }
  TMidiEventItemRhythm rhythm;
  for (int b : {0xFF, 6, 3, 24}) rhythm.Bytes.Add(b);
  rhythm.Decode();
  std::string text;
  rhythm.Describe(text);
  EXPECT_EQ(text, "6/8");
}

TEST(Decode, TimeSignatureFailures) {
  TMidiEventItemRhythm tooShort;
  for (int b : {0xFF, 4, 2}) tooShort.Bytes.Add(b);
  EXPECT_THROW(tooShort.Decode(), EListIndexError);
  TMidiEventItemRhythm hugeDenominator;
  for (int b : {0xFF, 4, 31, 24}) hugeDenominator.Bytes.Add(b);
  // Kept, with the largest denominator an int32 holds.
  EXPECT_NO_THROW(hugeDenominator.Decode());
  EXPECT_EQ(hugeDenominator.Bunbo, 1 << 30);
}

TEST(Decode, TextItemsAndTheirDescriptions) {
  std::string text;
  TMidiEventItemLyric lyric;
  for (int b : {0xFF, 0x82, 0xA0}) lyric.Bytes.Add(b);  // "あ" in CP932
  lyric.Decode();
  EXPECT_EQ(lyric.Text, "\x82\xA0");
  lyric.Describe(text);
  EXPECT_EQ(text, "\x89\xCC\x8E\x8C:\x82\xA0");  // "歌詞:あ"
  TMidiEventItemMarker marker;
  for (int b : {0xFF, int('A')}) marker.Bytes.Add(b);
  marker.Decode();
  marker.Describe(text);
  EXPECT_EQ(text, "Marker:A");
  TMidiEventItemTrackName name;
  name.Bytes.Add(0xFF);
  name.Decode();
  name.Describe(text);
  EXPECT_EQ(text, "TrackName:");
  TMidiEventItemVibrant beat;
  beat.Vibrant = 3;
  beat.Rhythm = 1;
  beat.Describe(text);
  EXPECT_EQ(text, "3-1");
}

TEST(Decode, DisplayTextOfExactlyEightBytesIsEmpty) {
  TMidiEventItemLcdStr lcd;
  for (int b : {0xF0, 0x41, 0x10, 0x45, 0x12, 0x10, 0x00, 0x00}) lcd.Bytes.Add(b);
  lcd.Text = "old";
  lcd.Decode();
  EXPECT_EQ(lcd.Text, "");
  for (int b : {int('H'), int('i'), 0x33, 0xF7}) lcd.Bytes.Add(b);
  lcd.Decode();
  EXPECT_EQ(lcd.Text, "Hi\x33\xF7");  // the checksum and F7 stay in the text
}

TEST(Decode, DisplayBitmapColumnsAndRows) {
  TMidiEventItemLcdDot lcd;
  for (int b : {0xF0, 0x41, 0x10, 0x45, 0x12, 0x10, 0x01, 0x00}) lcd.Bytes.Add(b);
  for (int i = 0; i < 64; ++i) lcd.Bytes.Add(0);
  // Column 2: rows 0 and 4 (block 0, bits 4 and 0); row 15 (block 3, bit 4).
  lcd.Bytes.SetValue(8 + 2, 0x11);
  lcd.Bytes.SetValue(8 + 48 + 2, 0x10);
  // Column 15, row 7 (block 1, bit 4 - 2).
  lcd.Bytes.SetValue(8 + 16 + 15, 0x04);
  lcd.Decode();
  ASSERT_EQ(lcd.Dots.Count(), 256);
  int ones = 0;
  for (int v : lcd.Dots.Data()) ones += v;
  EXPECT_EQ(ones, 4);
  EXPECT_EQ(lcd.Dots.Values(2 * 16 + 0), 1);
  EXPECT_EQ(lcd.Dots.Values(2 * 16 + 4), 1);
  EXPECT_EQ(lcd.Dots.Values(2 * 16 + 15), 1);
  EXPECT_EQ(lcd.Dots.Values(15 * 16 + 7), 1);
}

TEST(Decode, DisplayBitmapWithFewerThan72BytesFails) {
  TMidiEventItemLcdDot lcd;
  for (int i = 0; i < 71; ++i) lcd.Bytes.Add(0);
  EXPECT_THROW(lcd.Decode(), EListIndexError);
}

// ---- Execute and ApplyState against the player ----

class ItemExecution : public ::testing::Test {
 protected:
  ItemExecution() {
    TMidiEventItemTrack* track = new TMidiEventItemTrack;
    song.Tracks.Add(track);
  }
  template <typename T>
  T& Own(T* item) {
    item->Items = &song.Events;
    song.Events.Add(item);
    return *item;
  }
  TMidiEventItemNoteOn& NoteOn(int Status) {
    auto& item = Own(new TMidiEventItemNoteOn);
    item.Status = static_cast<uint8_t>(Status);
    item.Data1 = 60;
    item.Data2 = 100;
    item.Kind = MidiKind::NoteOn;
    item.Decode();
    return item;
  }
  TRecordingSong song;
};

TEST_F(ItemExecution, UncaughtRainingNoteCountsBadAndStaysSilent) {
  NoteOn(0x92).Execute();
  EXPECT_EQ(song.BadCount.load(), 1);
  EXPECT_EQ(song.GoodCount.load(), 0);
  EXPECT_TRUE(song.Calls.empty());
}

TEST_F(ItemExecution, CaughtRainingNoteCountsGoodAndSounds) {
  auto& note = NoteOn(0x92);
  note.Caught = true;
  note.Execute();
  EXPECT_EQ(song.GoodCount.load(), 1);
  EXPECT_EQ(song.BadCount.load(), 0);
  ASSERT_EQ(song.Calls.size(), 1u);
  EXPECT_EQ(song.Calls[0], "SendShort 0 " + std::to_string(0x643C92));
}

TEST_F(ItemExecution, NoteOfADryChannelIsSentUnjudged) {
  song.ChannelOn[2] = false;
  NoteOn(0x92).Execute();
  EXPECT_EQ(song.GoodCount.load() + song.BadCount.load(), 0);
  EXPECT_EQ(song.Calls.size(), 1u);
}

TEST_F(ItemExecution, NoteOffIsAlwaysSent) {
  auto& off = Own(new TMidiEventItemNoteOff);
  off.Status = 0x82;
  off.Decode();
  off.Execute();
  EXPECT_EQ(song.Calls.size(), 1u);
  EXPECT_EQ(song.GoodCount.load() + song.BadCount.load(), 0);
}

TEST_F(ItemExecution, LongItemsAreSentOnlyAsResetsOrExclusives) {
  for (uint8_t kind : {MidiKind::GMReset, MidiKind::GSReset, MidiKind::Exclusive,
                       MidiKind::Text, MidiKind::MetaOther, MidiKind::EndOfTrack}) {
    auto& item = Own(new TMidiEventItemLong);
    item.Kind = kind;
    item.Bytes.Add(0xF0);
    item.Execute();
  }
  auto& empty = Own(new TMidiEventItemLong);
  empty.Kind = MidiKind::Exclusive;
  empty.Execute();
  EXPECT_EQ(song.Calls.size(), 3u);
}

TEST_F(ItemExecution, NotificationsReachThePlayerInOrder) {
  auto& tempo = Own(new TMidiEventItemTempo);
  tempo.Tempo = 250000;
  tempo.Execute();
  auto& zeroTempo = Own(new TMidiEventItemTempo);
  zeroTempo.Execute();  // a tempo of 0 changes nothing
  auto& rhythm = Own(new TMidiEventItemRhythm);
  rhythm.Bunshi = 3;
  rhythm.Bunbo = 4;
  rhythm.Execute();
  auto& beat = Own(new TMidiEventItemVibrant);
  beat.Vibrant = 2;
  beat.Execute();
  auto& lyric = Own(new TMidiEventItemLyric);
  lyric.Text = "la";
  lyric.Execute();
  Own(new TMidiEventItemMarker).Execute();
  Own(new TMidiEventItemTrackName).Execute();
  Own(new TMidiEventItemPort).Execute();
  auto& lcdStr = Own(new TMidiEventItemLcdStr);
  lcdStr.Text = "Hi";
  lcdStr.Execute();
  auto& lcdDot = Own(new TMidiEventItemLcdDot);
  lcdDot.Dots.Add(1);
  lcdDot.Execute();
  const std::vector<std::string> expected{
      "DoTempo 250000", "DoRhythm 3/4", "DoVibrant 2-0", "DoLyric la",  "SendLong 0 0",
      "DoLcdStr Hi",    "DoLcdDot 1",   "SendLong 0 0"};
  EXPECT_EQ(song.Calls, expected);
}

TEST_F(ItemExecution, ItemsWithoutAListDoNothing) {
  TMidiEventItemNoteOn note;
  note.Status = 0x90;
  note.Execute();
  TMidiEventItemTempo tempo;
  tempo.Tempo = 1;
  tempo.Execute();
  EXPECT_TRUE(song.Calls.empty());
  EXPECT_EQ(song.BadCount.load(), 0);
}

TEST_F(ItemExecution, ApplyStateRecordsControllerProgramBendAndResets) {
  auto& control = Own(new TMidiEventItemCtrlChange);
  control.Status = 0xB3;
  control.Data1 = 7;
  control.Data2 = 90;
  control.ApplyState();
  auto& bankMsb = Own(new TMidiEventItemCtrlChange);
  bankMsb.Status = 0xB3;
  bankMsb.Data1 = 0;
  bankMsb.Data2 = 1;
  bankMsb.ApplyState();
  auto& program = Own(new TMidiEventItemProgramChange);
  program.Status = 0xC3;
  program.Data1 = 42;
  program.ApplyState();
  auto& bend = Own(new TMidiEventItemPitchBend);
  bend.Status = 0xE3;
  bend.Data1 = 0x01;
  bend.Data2 = 0x40;
  bend.ApplyState();

  const TMidiPortConfigChannel& channel = song.PortConfigs.Port(0)->Channels[3];
  EXPECT_EQ(channel.Controls[7].Value, 90);
  EXPECT_EQ(channel.Controls[0].Value, 127);  // bank select goes to the tone record
  EXPECT_EQ(channel.Tone.Bank.Value, 1 << 7);
  EXPECT_EQ(channel.Tone.Program, 42);
  EXPECT_EQ(channel.Bend.Value, 0x2001);
  EXPECT_EQ(song.PortConfigs.Port(0)->Channels[4].Controls[7].Value, 127);

  auto& reset = Own(new TMidiEventItemGSReset);
  reset.ApplyState();
  for (const TMidiPortConfigChannel& c : song.PortConfigs.Port(0)->Channels) {
    EXPECT_EQ(c.Controls[7].Value, 100);
    EXPECT_EQ(c.Controls[10].Value, 64);
    EXPECT_EQ(c.Controls[11].Value, 127);
    EXPECT_EQ(c.Controls[1].Value, 0);
    EXPECT_EQ(c.Controls[255].Value, 0);
    EXPECT_EQ(c.Tone.Program, 0);
    EXPECT_EQ(c.Tone.Bank.Value, 0);
  }
  EXPECT_EQ(song.PortConfigs.Port(0)->Channels[3].Bend.Value, 0x2001);  // the bend stays
}

TEST_F(ItemExecution, ApplyStateOfATrackWithoutRecordChangesNothing) {
  auto& control = Own(new TMidiEventItemCtrlChange);
  control.Track = 5;
  control.Status = 0xB0;
  control.Data1 = 7;
  control.Data2 = 1;
  control.ApplyState();
  auto& reset = Own(new TMidiEventItemGMReset);
  reset.Track = 5;
  reset.ApplyState();
  EXPECT_EQ(song.PortConfigs.Port(0)->Channels[0].Controls[7].Value, 127);
}
