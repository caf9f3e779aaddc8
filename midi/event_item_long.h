// Long event items: system-exclusive and meta events with their raw bytes, and
// the classes that decode tempo, time signature, beat, texts, port and the
// sound module's display messages. Threads and ownership as in event_item.h;
// a long item owns its Bytes, a display-dots item its Dots.
#pragma once

#include <string>

#include "midi/event_item.h"
#include "midi/list_int_items.h"

// A meta or system-exclusive event. Bytes holds the status byte (0xF0, 0xF7
// or 0xFF) and then the data bytes, one per entry; a meta event's type byte
// is not stored.
class TMidiEventItemLong : public TMidiEventItemStanderd {
 public:
  TMidiEventItemLong() = default;
  // Copies Bytes and Wait (from a long item), then the item fields.
  void Assign(const TMidiPersistent& Source) override;
  // As Assign, taking Source's bytes instead of copying them.
  void AssignLong(TMidiEventItemLong&& Source);
  const char* ClassName() const override { return "TMidiEventItemLong"; }
  bool ReadFromStream(TMidiFileStream& Stream, int Status, int Track) override;
  // Sends resets and exclusive messages (Kind 8, 9, 24) that have bytes.
  void Execute() override;
  void Describe(std::string& Text) const override;
  void DescribeBytes(std::string& Text) const override;

  // Big-endian number of entries Offset + 1 .. Offset + Count of Bytes
  // (offset 0 is the first data byte); EListIndexError past the end.
  int32_t GetValue(int Offset, int Count) const;
  // Entries 1 .. Count - 1 of Bytes as characters, unconverted.
  std::string GetText() const;

  TListIntItems Bytes;
};

class TMidiEventItemTempo : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemTempo"; }
  // Tells the player the new tempo; a tempo of 0 is ignored (no change).
  void Execute() override;
  // Tempo from the three data bytes; joins the tempo list unless it is 0,
  // which could not time anything.
  void Decode() override;
  void Describe(std::string& Text) const override;

  int32_t Tempo = 0;  // microseconds per quarter note
};

class TMidiEventItemRhythm : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemRhythm"; }
  void Execute() override;
  void Decode() override;
  void Describe(std::string& Text) const override;

  int32_t Bunshi = 0;       // time-signature numerator
  int32_t Bunbo = 0;        // denominator (a power of two)
  int32_t ClickClocks = 0;  // MIDI clocks per metronome click
};

// A generated beat (one per quarter note); never read from a file.
class TMidiEventItemVibrant : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemVibrant"; }
  void Execute() override;
  void Decode() override {}
  void Describe(std::string& Text) const override;

  int32_t Rhythm = 0;   // beat within the bar, from 0
  int32_t Vibrant = 0;  // bar counter, from 0
};

class TMidiEventItemLyric : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemLyric"; }
  void Execute() override;
  void Decode() override;
  void Describe(std::string& Text) const override;

  std::string Text;  // CP932 bytes
};

class TMidiEventItemMarker : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemMarker"; }
  void Execute() override {}
  void Decode() override;
  void Describe(std::string& Text) const override;

  std::string Text;
};

class TMidiEventItemTrackName : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemTrackName"; }
  void Execute() override {}
  // Becomes the NameItem of the track being read (the last one wins).
  void Decode() override;
  void Describe(std::string& Text) const override;

  std::string Text;
};

class TMidiEventItemPort : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemPort"; }
  void Execute() override {}
  // Sets the Port of the track being read and makes its port record exist.
  void Decode() override;

  int32_t Port = 0;
};

// The sound module's display text message.
class TMidiEventItemLcdStr : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemLcdStr"; }
  void Execute() override;
  void Decode() override;

  std::string Text;
};

// The sound module's 16 x 16 display bitmap message.
class TMidiEventItemLcdDot : public TMidiEventItemLong {
 public:
  static constexpr int kDotSide = 16;
  static constexpr int kMessageHeadBytes = 8;
  static constexpr int kRowsPerByte = 5;

  const char* ClassName() const override { return "TMidiEventItemLcdDot"; }
  void Execute() override;
  // 256 dots, entry column * 16 + row, each 0 or 1.
  void Decode() override;

  TListIntItems Dots;
};

// GM/XG style reset: sent, and resets the port's channel state.
class TMidiEventItemGMReset : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemGMReset"; }
  void ApplyState() override;
};

class TMidiEventItemGSReset : public TMidiEventItemLong {
 public:
  const char* ClassName() const override { return "TMidiEventItemGSReset"; }
  void ApplyState() override;
};
