// Builds Standard MIDI File bytes in tests: a track body event by event, then
// the header and track chunks around the bodies. Test-only; single thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "midi/midi_song.h"

using TBytes = std::vector<uint8_t>;

// Appends Value as a variable-length quantity (minimal form).
inline void AppendVarLen(TBytes& Out, uint32_t Value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(Value & 0x7F);
    Value >>= 7;
  } while (Value != 0);
  while (n > 1) Out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  Out.push_back(groups[0]);
}

inline void AppendBigEndian(TBytes& Out, uint32_t Value, int Bytes) {
  for (int i = Bytes - 1; i >= 0; --i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

// One track body: every call appends "delta time + event bytes".
class TTrackBuilder {
 public:
  TTrackBuilder& Raw(std::initializer_list<uint8_t> Bytes) {
    m_body.insert(m_body.end(), Bytes.begin(), Bytes.end());
    return *this;
  }
  TTrackBuilder& RawBytes(const TBytes& Bytes) {
    m_body.insert(m_body.end(), Bytes.begin(), Bytes.end());
    return *this;
  }
  // Delta time followed by the given bytes (status included when wanted).
  TTrackBuilder& Event(uint32_t Delta, std::initializer_list<uint8_t> Bytes) {
    AppendVarLen(m_body, Delta);
    return Raw(Bytes);
  }
  TTrackBuilder& NoteOn(uint32_t Delta, int Channel, int Note, int Velocity) {
    return Event(Delta, {static_cast<uint8_t>(0x90 | Channel), static_cast<uint8_t>(Note),
                         static_cast<uint8_t>(Velocity)});
  }
  TTrackBuilder& NoteOff(uint32_t Delta, int Channel, int Note) {
    return Event(Delta, {static_cast<uint8_t>(0x80 | Channel), static_cast<uint8_t>(Note), 0x40});
  }
  TTrackBuilder& Meta(uint32_t Delta, uint8_t Type, const TBytes& Data) {
    AppendVarLen(m_body, Delta);
    m_body.push_back(0xFF);
    m_body.push_back(Type);
    AppendVarLen(m_body, static_cast<uint32_t>(Data.size()));
    return RawBytes(Data);
  }
  TTrackBuilder& MetaText(uint32_t Delta, uint8_t Type, const std::string& Text) {
    return Meta(Delta, Type, TBytes(Text.begin(), Text.end()));
  }
  TTrackBuilder& Tempo(uint32_t Delta, uint32_t MicrosecondsPerQuarter) {
    return Meta(Delta, 0x51,
                {static_cast<uint8_t>(MicrosecondsPerQuarter >> 16),
                 static_cast<uint8_t>(MicrosecondsPerQuarter >> 8),
                 static_cast<uint8_t>(MicrosecondsPerQuarter)});
  }
  TTrackBuilder& TimeSignature(uint32_t Delta, int Numerator, int DenominatorPower) {
    return Meta(Delta, 0x58,
                {static_cast<uint8_t>(Numerator), static_cast<uint8_t>(DenominatorPower), 24, 8});
  }
  // F0 + length + Data (Data holds everything after F0, F7 included if wanted).
  TTrackBuilder& Sysex(uint32_t Delta, const TBytes& Data, uint8_t Status = 0xF0) {
    AppendVarLen(m_body, Delta);
    m_body.push_back(Status);
    AppendVarLen(m_body, static_cast<uint32_t>(Data.size()));
    return RawBytes(Data);
  }
  TTrackBuilder& EndOfTrack(uint32_t Delta = 0) { return Meta(Delta, 0x2F, {}); }

  const TBytes& Body() const { return m_body; }

 private:
  TBytes m_body;
};

// A whole file: header, then chunks in the order added.
class TSmfBuilder {
 public:
  explicit TSmfBuilder(int Division = 480, int Format = 1) : m_division(Division), m_format(Format) {}

  TSmfBuilder& Track(const TTrackBuilder& Track) { return Chunk("MTrk", Track.Body()); }
  // A track chunk whose length field says DeclaredLength whatever the body.
  TSmfBuilder& TrackWithLength(const TBytes& Body, uint32_t DeclaredLength) {
    ++m_trackCount;
    Append("MTrk", Body, DeclaredLength);
    return *this;
  }
  // Any chunk; an "MTrk" chunk counts as a track of the header.
  TSmfBuilder& Chunk(const std::string& Id, const TBytes& Body) {
    if (Id == "MTrk") ++m_trackCount;
    Append(Id, Body, static_cast<uint32_t>(Body.size()));
    return *this;
  }
  // Bytes after the chunks, as they are.
  TSmfBuilder& Tail(const TBytes& Bytes) {
    m_chunks.insert(m_chunks.end(), Bytes.begin(), Bytes.end());
    return *this;
  }
  // The header's track count instead of the number of "MTrk" chunks.
  TSmfBuilder& DeclareTracks(int Count) {
    m_declaredTracks = Count;
    return *this;
  }
  TSmfBuilder& HeaderLength(uint32_t Length) {
    m_headerLength = Length;
    return *this;
  }

  TBytes Bytes() const {
    TBytes out{'M', 'T', 'h', 'd'};
    AppendBigEndian(out, m_headerLength, 4);
    AppendBigEndian(out, static_cast<uint32_t>(m_format), 2);
    AppendBigEndian(out, static_cast<uint32_t>(m_declaredTracks >= 0 ? m_declaredTracks : m_trackCount), 2);
    AppendBigEndian(out, static_cast<uint32_t>(m_division), 2);
    for (uint32_t i = 6; i < m_headerLength; ++i) out.push_back(0);
    out.insert(out.end(), m_chunks.begin(), m_chunks.end());
    return out;
  }

 private:
  void Append(const std::string& Id, const TBytes& Body, uint32_t Length) {
    m_chunks.insert(m_chunks.end(), Id.begin(), Id.end());
    AppendBigEndian(m_chunks, Length, 4);
    m_chunks.insert(m_chunks.end(), Body.begin(), Body.end());
  }

  int m_division;
  int m_format;
  int m_trackCount = 0;
  int m_declaredTracks = -1;
  uint32_t m_headerLength = 6;
  TBytes m_chunks;
};

inline bool LoadBytes(TMidiSong& Song, const TBytes& Bytes, const std::string& Name = "test.mid") {
  return Song.LoadFromMemory(Bytes.data(), Bytes.size(), Name);
}

// The song's items of one class, in list order.
template <typename T>
std::vector<T*> ItemsOf(const TMidiSong& Song) {
  std::vector<T*> found;
  for (TMidiEventItemStanderd* item : Song.Events) {
    if (auto* typed = dynamic_cast<T*>(item)) found.push_back(typed);
  }
  return found;
}

// Items that are exactly of class T (not of a subclass).
template <typename T>
std::vector<T*> ItemsExactly(const TMidiSong& Song, const std::string& ClassName) {
  std::vector<T*> found;
  for (TMidiEventItemStanderd* item : Song.Events) {
    if (ClassName == item->ClassName()) found.push_back(static_cast<T*>(item));
  }
  return found;
}
