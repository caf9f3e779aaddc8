#include "midi/event_item_long.h"

#include <algorithm>
#include <utility>

#include "midi/event_lists.h"
#include "midi/midi_errors.h"
#include "midi/midi_file_stream.h"
#include "midi/midi_song.h"

namespace {
constexpr int kMetaStatusLowNibble = 0xF;
constexpr int kEndOfTrackType = 0x2F;
constexpr int kTempoBytes = 3;
// 2 to the power 30 is the largest denominator an int32 holds.
constexpr int kMaxDenominatorPower = 30;

struct TMetaKind {
  uint8_t Type;
  uint8_t Kind;
};
constexpr TMetaKind kMetaKinds[] = {
    {0x00, MidiKind::SequenceNumber}, {0x01, MidiKind::Text},       {0x02, MidiKind::Copyright},
    {0x03, MidiKind::TrackName},      {0x04, MidiKind::InstrumentName},
    {0x05, MidiKind::Lyric},          {0x06, MidiKind::Marker},     {0x07, MidiKind::CuePoint},
    {0x21, MidiKind::Port},           {0x2F, MidiKind::EndOfTrack}, {0x51, MidiKind::Tempo},
    {0x52, MidiKind::Meta52},         {0x58, MidiKind::TimeSignature},
    {0x59, MidiKind::KeySignature},
};

uint8_t MetaKind(uint32_t Type) {
  for (const TMetaKind& meta : kMetaKinds) {
    if (meta.Type == Type) return meta.Kind;
  }
  return MidiKind::MetaOther;
}

// Reads a variable-length body length and that many bytes into Bytes; the
// length may never reach past the data actually present.
void ReadBody(TMidiFileStream& Stream, TListIntItems& Bytes) {
  const uint32_t length = Stream.ReadVarLen();
  if (length > Stream.BytesLeft()) {
    Stream.Fail("event length " + std::to_string(length) + " runs past the end of the data");
  }
  Bytes.Reserve(Bytes.Count() + static_cast<int>(length));
  for (uint32_t i = 0; i < length; ++i) Bytes.Add(static_cast<int32_t>(Stream.ReadInt(1)));
}

TMidiEventItemTrack* TrackBeingRead(const TMidiEventItemStanderd& Item) {
  TMidiSong* player = Item.Player();
  return player != nullptr ? player->CurrentTrack : nullptr;
}

}  // namespace

// ---- TMidiEventItemLong ----

void TMidiEventItemLong::Assign(const TMidiPersistent& Source) {
  if (const auto* source = dynamic_cast<const TMidiEventItemLong*>(&Source)) {
    Bytes = source->Bytes;
    Wait = source->Wait;
  }
  TMidiEventItemStanderd::Assign(Source);
}

void TMidiEventItemLong::AssignLong(TMidiEventItemLong&& Source) {
  Bytes = std::move(Source.Bytes);
  AssignItem(Source);
}

bool TMidiEventItemLong::ReadFromStream(TMidiFileStream& Stream, int Status, int Track_) {
  TMidiEventItemStanderd::ReadFromStream(Stream, Status, Track_);
  Bytes.Add(Status);
  if ((Status & kMetaStatusLowNibble) == kMetaStatusLowNibble) {
    const uint32_t type = Stream.ReadInt(1);
    Kind = MetaKind(type);
    ReadBody(Stream, Bytes);
    return type == kEndOfTrackType;
  }
  Kind = MidiKind::Exclusive;
  ReadBody(Stream, Bytes);
  return false;
}

void TMidiEventItemLong::Execute() {
  const bool sendable =
      Kind == MidiKind::GMReset || Kind == MidiKind::GSReset || Kind == MidiKind::Exclusive;
  if (!sendable || Bytes.Count() == 0) return;
  if (TMidiSong* player = Player()) player->SendLong(Track, this);
}

void TMidiEventItemLong::Describe(std::string& Text) const {
  Text.clear();
  for (int32_t byte : Bytes.Data()) {
    AppendHexByte(Text, byte);
    Text.push_back(' ');
  }
}

void TMidiEventItemLong::DescribeBytes(std::string& Text) const { TMidiEventItemLong::Describe(Text); }

int32_t TMidiEventItemLong::GetValue(int Offset, int Count) const {
  uint32_t value = 0;
  for (int i = 1; i <= Count; ++i) {
    value = (value << 8) | static_cast<uint32_t>(Bytes.Values(Offset + i) & 0xFF);
  }
  return static_cast<int32_t>(value);
}

std::string TMidiEventItemLong::GetText() const {
  std::string text;
  const std::vector<int32_t>& bytes = Bytes.Data();
  if (bytes.size() > 1) text.reserve(bytes.size() - 1);
  for (size_t i = 1; i < bytes.size(); ++i) text.push_back(static_cast<char>(bytes[i]));
  return text;
}

// ---- Tempo ----

void TMidiEventItemTempo::Execute() {
  if (Tempo == 0) return;
  if (TMidiSong* player = Player()) player->DoTempo(Tempo);
}

void TMidiEventItemTempo::Decode() {
  Tempo = GetValue(0, kTempoBytes);
  if (Tempo == 0) return;
  if (TMidiSong* player = Player()) player->Tempos.Add(this);
}

void TMidiEventItemTempo::Describe(std::string& Text) const {
  Text = "Tempo:" + std::to_string(Tempo);
}

// ---- Time signature ----

void TMidiEventItemRhythm::Execute() {
  if (TMidiSong* player = Player()) player->DoRhythm(this);
}

void TMidiEventItemRhythm::Decode() {
  Bunshi = GetValue(0, 1);
  // A larger power is kept at 2^30 rather than ending the track: the
  // denominator plays no part in times or beats (beats are quarter notes).
  const int power = std::min(GetValue(1, 1), kMaxDenominatorPower);
  Bunbo = 1 << power;
  ClickClocks = GetValue(2, 1);
  if (TMidiSong* player = Player()) player->Rhythms.Add(this);
}

void TMidiEventItemRhythm::Describe(std::string& Text) const {
  Text = std::to_string(Bunshi) + "/" + std::to_string(Bunbo);
}

// ---- Beat ----

void TMidiEventItemVibrant::Execute() {
  if (TMidiSong* player = Player()) player->DoVibrant(this);
}

void TMidiEventItemVibrant::Describe(std::string& Text) const {
  Text = std::to_string(Vibrant) + "-" + std::to_string(Rhythm);
}

// ---- Texts ----

void TMidiEventItemLyric::Execute() {
  if (TMidiSong* player = Player()) player->DoLyric(Text);
}

void TMidiEventItemLyric::Decode() {
  Text = GetText();
  if (TMidiSong* player = Player()) player->Lyrics.Add(this);
}

void TMidiEventItemLyric::Describe(std::string& Text_) const {
  // "歌詞:" (lyric) in CP932, as every text of the song is.
  Text_ = "\x89\xCC\x8E\x8C:" + Text;
}

void TMidiEventItemMarker::Decode() {
  Text = GetText();
  if (TMidiSong* player = Player()) player->Markers.Add(this);
}

void TMidiEventItemMarker::Describe(std::string& Text_) const { Text_ = "Marker:" + Text; }

void TMidiEventItemTrackName::Decode() {
  Text = GetText();
  if (TMidiEventItemTrack* track = TrackBeingRead(*this)) track->NameItem = this;
}

void TMidiEventItemTrackName::Describe(std::string& Text_) const { Text_ = "TrackName:" + Text; }

// ---- Port ----

void TMidiEventItemPort::Decode() {
  Port = GetValue(0, 1);
  TMidiSong* player = Player();
  if (player == nullptr) return;
  if (TMidiEventItemTrack* track = player->CurrentTrack) track->Port = Port;
  player->PortConfigs.EnsurePort(Port);
}

// ---- Sound-module display ----

void TMidiEventItemLcdStr::Execute() {
  TMidiSong* player = Player();
  if (player == nullptr) return;
  player->SendLong(Track, this);
  player->DoLcdStr(Text);
}

void TMidiEventItemLcdStr::Decode() {
  Text.clear();
  const std::vector<int32_t>& bytes = Bytes.Data();
  for (size_t i = TMidiEventItemLcdDot::kMessageHeadBytes; i < bytes.size(); ++i) {
    Text.push_back(static_cast<char>(bytes[i]));
  }
}

void TMidiEventItemLcdDot::Execute() {
  TMidiSong* player = Player();
  if (player == nullptr) return;
  player->DoLcdDot(Dots);
  player->SendLong(Track, this);
}

void TMidiEventItemLcdDot::Decode() {
  // After the 8-byte head come four blocks of 16 columns; each byte carries
  // five rows with the top one in bit 4, so the fourth block holds row 15 only.
  Dots.Clear();
  Dots.Reserve(kDotSide * kDotSide);
  for (int column = 0; column < kDotSide; ++column) {
    for (int row = 0; row < kDotSide; ++row) {
      const int byte = Bytes.Values((row / kRowsPerByte) * kDotSide + column + kMessageHeadBytes);
      const int bit = (kRowsPerByte - 1) - (row % kRowsPerByte);
      Dots.Add((byte >> bit) & 1);
    }
  }
}

// ---- Resets ----

void TMidiEventItemGMReset::ApplyState() {
  if (TMidiSong* player = Player()) player->ResetPort(Track);
}

void TMidiEventItemGSReset::ApplyState() {
  if (TMidiSong* player = Player()) player->ResetPort(Track);
}
