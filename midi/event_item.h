// Event items of a loaded song: the root class TMidiEventItemStanderd and the
// channel-message (short) items. Built on the main thread while a file loads;
// during play the timer thread calls ApplyState/Execute and writes Caught while
// the main thread reads Tick, Time, Kind, Lane, Caught and GetByte. The song
// list (TMidiEventItems) owns every item.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class TMidiEventItems;
class TMidiFileStream;
class TMidiSong;

// Event kind codes held in TMidiEventItemStanderd::Kind. Code 10 is unused.
namespace MidiKind {
constexpr uint8_t MetaOther = 0;  // meta of an unlisted type; also the generated beat items
constexpr uint8_t NoteOn = 1;     // note-on with velocity above 0
constexpr uint8_t NoteOff = 2;    // note-off, or note-on with velocity 0
constexpr uint8_t KeyPressure = 3;
constexpr uint8_t ControlChange = 4;
constexpr uint8_t ProgramChange = 5;
constexpr uint8_t ChannelPressure = 6;
constexpr uint8_t PitchBend = 7;
constexpr uint8_t GMReset = 8;
constexpr uint8_t GSReset = 9;
constexpr uint8_t Tempo = 11;
constexpr uint8_t SequenceNumber = 12;
constexpr uint8_t Text = 13;
constexpr uint8_t Copyright = 14;
constexpr uint8_t TrackName = 15;
constexpr uint8_t InstrumentName = 16;
constexpr uint8_t Lyric = 17;
constexpr uint8_t Marker = 18;
constexpr uint8_t CuePoint = 19;
constexpr uint8_t EndOfTrack = 20;
constexpr uint8_t Meta52 = 21;
constexpr uint8_t TimeSignature = 22;
constexpr uint8_t KeySignature = 23;
constexpr uint8_t Exclusive = 24;
constexpr uint8_t Port = 25;
constexpr uint8_t LcdDot = 26;
constexpr uint8_t LcdStr = 27;
}  // namespace MidiKind

// Root of the assignable classes: Assign from a class that does not know the
// source fails with EAssignError.
class TMidiPersistent {
 public:
  virtual ~TMidiPersistent() = default;
  // Copies what this class knows of Source; the root knows nothing.
  virtual void Assign(const TMidiPersistent& Source);
  // The class name, "T" prefix included (e.g. "TMidiEventItemNoteOn").
  virtual const char* ClassName() const { return "TMidiPersistent"; }
};

// One event of the song. Every class answers the same seven operations.
class TMidiEventItemStanderd : public TMidiPersistent {
 public:
  TMidiEventItemStanderd() = default;
  TMidiEventItemStanderd(const TMidiEventItemStanderd&) = delete;
  TMidiEventItemStanderd& operator=(const TMidiEventItemStanderd&) = delete;

  // Copies Items, Index, Tick, Time, Track, Kind and Wait from another item.
  void Assign(const TMidiPersistent& Source) override;
  void AssignItem(const TMidiEventItemStanderd& Source);
  const char* ClassName() const override { return "TMidiEventItemStanderd"; }

  // Reads the rest of the event after its status byte; true when the event
  // ends the track. The root only stores Track.
  virtual bool ReadFromStream(TMidiFileStream& Stream, int Status, int Track);
  // Performs the item (output and notifications) through Items->Player.
  virtual void Execute() {}
  // Updates the channel-state record of the item's port.
  virtual void ApplyState() {}
  // Derives the class's fields from the raw bytes and registers the item in
  // the song's side lists; called once, right after the item is built.
  virtual void Decode() {}
  // The item as one line of text (CP932 bytes).
  virtual void Describe(std::string& Text) const;
  // The item's bytes as hexadecimal text.
  virtual void DescribeBytes(std::string& Text) const;

  // The sequencer that owns the item's list, or null for a free item.
  TMidiSong* Player() const;

  TMidiEventItems* Items = nullptr;  // the owning song list
  int32_t Index = 0;  // event number within its track while reading; list position after loading
  int32_t Tick = 0;   // ticks from the song's start
  int32_t Time = 0;   // milliseconds from the song's start
  int32_t Track = 0;  // position of the item's track record
  int32_t Wait = 0;   // milliseconds the sequencer pauses after sending this item
  uint8_t Kind = MidiKind::MetaOther;
};

// One channel message (status 0x80-0xEF). The bytes are held in uint8_t
// fields so that two million items stay small; read them as int.
class TMidiEventItemShort : public TMidiEventItemStanderd {
 public:
  // Copies the six message fields (from a short item), then the item fields.
  void Assign(const TMidiPersistent& Source) override;
  void AssignShort(const TMidiEventItemShort& Source);
  const char* ClassName() const override { return "TMidiEventItemShort"; }
  bool ReadFromStream(TMidiFileStream& Stream, int Status, int Track) override;
  void Execute() override;
  void Decode() override;
  void Describe(std::string& Text) const override;
  void DescribeBytes(std::string& Text) const override;

  // Field i of Status, Data1, Data2, Channel, Message, DataCount (0-based);
  // EListIndexError outside 0..5.
  int32_t GetByte(int I) const;

  uint8_t Status = 0;     // 0x80-0xEF, the channel in the low four bits
  uint8_t Data1 = 0;      // note, controller, program, bend low 7 bits...
  uint8_t Data2 = 0;      // 0 for one-data-byte messages
  uint8_t Channel = 0;    // Status & 15
  uint8_t DataCount = 0;  // 2, or 1 for program change and channel pressure
  int32_t Message = 0;    // Status | Data1 << 8 | Data2 << 16, as the output takes it
};

// Note-on with velocity above 0: a raindrop when its channel rains.
class TMidiEventItemNoteOn : public TMidiEventItemShort {
 public:
  const char* ClassName() const override { return "TMidiEventItemNoteOn"; }
  // Catch rule: a raining channel's note sounds only when caught; it counts
  // Good (caught) or Bad (missed). Other channels' notes are sent unjudged.
  void Execute() override;

  std::atomic<bool> Caught{false};  // set by the judgement (timer thread)
  std::atomic<int32_t> Lane{0};     // 0..127, the drop's lane; set before play
};

class TMidiEventItemNoteOff : public TMidiEventItemShort {
 public:
  const char* ClassName() const override { return "TMidiEventItemNoteOff"; }
};

class TMidiEventItemCtrlChange : public TMidiEventItemShort {
 public:
  const char* ClassName() const override { return "TMidiEventItemCtrlChange"; }
  void ApplyState() override;
};

class TMidiEventItemProgramChange : public TMidiEventItemShort {
 public:
  const char* ClassName() const override { return "TMidiEventItemProgramChange"; }
  void ApplyState() override;
};

class TMidiEventItemPitchBend : public TMidiEventItemShort {
 public:
  const char* ClassName() const override { return "TMidiEventItemPitchBend"; }
  void ApplyState() override;
};

// Appends Value as two upper-case hexadecimal digits.
void AppendHexByte(std::string& Text, int Value);
