#include "midi/event_item.h"

#include <iterator>

#include "midi/event_lists.h"
#include "midi/midi_errors.h"
#include "midi/midi_file_stream.h"
#include "midi/midi_song.h"

namespace {
constexpr int kStatusTypeMask = 0xF0;
constexpr int kChannelMask = 0x0F;
constexpr int kNoteOnStatus = 0x90;
constexpr int kShortFieldCount = 6;

struct TShortShape {
  uint8_t Kind;
  uint8_t DataCount;
};

// Kind and data-byte count by the status's high four bits, 0x80 .. 0xE0.
constexpr TShortShape kShortShapes[] = {
    {MidiKind::NoteOff, 2},       {MidiKind::NoteOn, 2},        {MidiKind::KeyPressure, 2},
    {MidiKind::ControlChange, 2}, {MidiKind::ProgramChange, 1}, {MidiKind::ChannelPressure, 1},
    {MidiKind::PitchBend, 2},
};
constexpr int kFirstChannelStatus = 0x80;
}  // namespace

void AppendHexByte(std::string& Text, int Value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  Text.push_back(kDigits[(Value >> 4) & 0xF]);
  Text.push_back(kDigits[Value & 0xF]);
}

// ---- TMidiPersistent / TMidiEventItemStanderd ----

void TMidiPersistent::Assign(const TMidiPersistent& Source) {
  throw EAssignError(Source.ClassName(), ClassName());
}

void TMidiEventItemStanderd::Assign(const TMidiPersistent& Source) {
  const auto* source = dynamic_cast<const TMidiEventItemStanderd*>(&Source);
  if (source == nullptr) {
    TMidiPersistent::Assign(Source);
    return;
  }
  AssignItem(*source);
}

void TMidiEventItemStanderd::AssignItem(const TMidiEventItemStanderd& Source) {
  Items = Source.Items;
  Index = Source.Index;
  Tick = Source.Tick;
  Time = Source.Time;
  Track = Source.Track;
  Kind = Source.Kind;
  Wait = Source.Wait;
}

bool TMidiEventItemStanderd::ReadFromStream(TMidiFileStream& /*Stream*/, int /*Status*/,
                                            int Track_) {
  Track = Track_;
  return false;
}

void TMidiEventItemStanderd::Describe(std::string& /*Text*/) const {}
void TMidiEventItemStanderd::DescribeBytes(std::string& /*Text*/) const {}

TMidiSong* TMidiEventItemStanderd::Player() const {
  return Items != nullptr ? Items->Player : nullptr;
}

// ---- TMidiEventItemShort ----

void TMidiEventItemShort::Assign(const TMidiPersistent& Source) {
  if (const auto* source = dynamic_cast<const TMidiEventItemShort*>(&Source)) {
    AssignShort(*source);
    return;
  }
  TMidiEventItemStanderd::Assign(Source);
}

void TMidiEventItemShort::AssignShort(const TMidiEventItemShort& Source) {
  Status = Source.Status;
  Data1 = Source.Data1;
  Data2 = Source.Data2;
  Channel = Source.Channel;
  Message = Source.Message;
  DataCount = Source.DataCount;
  AssignItem(Source);
}

bool TMidiEventItemShort::ReadFromStream(TMidiFileStream& Stream, int Status_, int Track_) {
  TMidiEventItemStanderd::ReadFromStream(Stream, Status_, Track_);
  const int shape = ((Status_ & kStatusTypeMask) - kFirstChannelStatus) >> 4;
  if (shape < 0 || shape >= static_cast<int>(std::size(kShortShapes))) {
    Stream.Fail("status " + std::to_string(Status_) + " is not a channel message");
  }
  Kind = kShortShapes[shape].Kind;
  DataCount = kShortShapes[shape].DataCount;
  Status = static_cast<uint8_t>(Status_);
  Data1 = static_cast<uint8_t>(Stream.ReadInt(1));
  if (DataCount == 2) {
    Data2 = static_cast<uint8_t>(Stream.ReadInt(1));
    if (Kind == MidiKind::NoteOn && Data2 == 0) Kind = MidiKind::NoteOff;
  } else {
    Data2 = 0;
  }
  return false;
}

void TMidiEventItemShort::Execute() {
  if (TMidiSong* player = Player()) player->SendShort(Track, this);
}

void TMidiEventItemShort::Decode() {
  Channel = static_cast<uint8_t>(Status & kChannelMask);
  Message = (Data2 << 16) | (Data1 << 8) | Status;
}

void TMidiEventItemShort::Describe(std::string& Text) const {
  Text.clear();
  AppendHexByte(Text, Message & 0xFF);
  Text.push_back(' ');
  AppendHexByte(Text, (Message >> 8) & 0xFF);
  Text.push_back(' ');
  AppendHexByte(Text, (Message >> 16) & 0xFF);
}

void TMidiEventItemShort::DescribeBytes(std::string& Text) const {
  // The bytes the output sends, in the long items' "XX " form.
  Text.clear();
  for (int i = 0; i <= DataCount; ++i) {
    AppendHexByte(Text, (Message >> (8 * i)) & 0xFF);
    Text.push_back(' ');
  }
}

int32_t TMidiEventItemShort::GetByte(int I) const {
  switch (I) {
    case 0: return Status;
    case 1: return Data1;
    case 2: return Data2;
    case 3: return Channel;
    case 4: return Message;
    case 5: return DataCount;
    default: throw EListIndexError(I, kShortFieldCount);
  }
}

// ---- Short subclasses ----

void TMidiEventItemNoteOn::Execute() {
  TMidiSong* player = Player();
  if (player == nullptr) return;
  const int channel = (Status - kNoteOnStatus) & kChannelMask;
  if (!player->ChannelOn[static_cast<size_t>(channel)].load(std::memory_order_relaxed)) {
    player->SendShort(Track, this);
  } else if (Caught.load(std::memory_order_relaxed)) {
    player->GoodCount.fetch_add(1, std::memory_order_relaxed);
    // Only the judging thread writes the combo, so load and store suffice.
    const int32_t combo = player->Combo.load(std::memory_order_relaxed) + 1;
    player->Combo.store(combo, std::memory_order_relaxed);
    if (combo > player->MaxCombo.load(std::memory_order_relaxed)) {
      player->MaxCombo.store(combo, std::memory_order_relaxed);
    }
    player->SendShort(Track, this);
  } else {
    // A missed drop stays silent and breaks the combo.
    player->BadCount.fetch_add(1, std::memory_order_relaxed);
    player->Combo.store(0, std::memory_order_relaxed);
  }
}

void TMidiEventItemCtrlChange::ApplyState() {
  if (TMidiSong* player = Player()) player->SetControl(Track, Status, Data1, Data2);
}

void TMidiEventItemProgramChange::ApplyState() {
  if (TMidiSong* player = Player()) player->SetProgram(Track, Status, Data1);
}

void TMidiEventItemPitchBend::ApplyState() {
  if (TMidiSong* player = Player()) player->SetBend(Track, Status, Data1, Data2);
}
