// Writes Standard MIDI Files (format 0 or 1) from tracks of timed events.
// Build-time tool code; any thread; each SmfTrack owns its events.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using SmfBytes = std::vector<std::uint8_t>;

// A value or an event that a Standard MIDI File cannot carry.
class ESmfWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends the variable-length quantity of the Standard MIDI File format
// (7 bits a byte, most significant first, high bit set on all but the last).
// Values above 0x0FFFFFFF do not fit in four bytes and are refused.
void AppendVarLen(SmfBytes& out, std::uint32_t value);

// One track: events at absolute ticks, sorted when written. At one tick,
// meta events come first, then note-offs, then everything else, so a note
// that ends where the next one starts is released before it is struck.
class SmfTrack {
 public:
  // Meta events (FF type length data).
  void TrackName(std::uint32_t tick, std::string_view name);
  void Tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter);
  void TimeSignature(std::uint32_t tick, int numerator, int denominatorPower, int clocksPerClick,
                     int thirtySecondsPerQuarter);
  // sharpsOrFlats: -7..7 (negative = flats); minor: false for a major key.
  void KeySignature(std::uint32_t tick, int sharpsOrFlats, bool minor);

  // Channel events; channel is 0..15 (the drums of General MIDI are 9).
  void ProgramChange(std::uint32_t tick, int channel, int program);
  void ControlChange(std::uint32_t tick, int channel, int controller, int value);
  // A note-on at tick and its note-off (status 8n, velocity 64) at
  // tick + lengthTicks. velocity 1..127: a note-on of velocity 0 would be a
  // note-off.
  void Note(std::uint32_t tick, std::uint32_t lengthTicks, int channel, int key, int velocity);

  // The MTrk chunk: header, delta-timed events, end-of-track at the last
  // event's tick (or at endTick when that is later).
  SmfBytes Chunk(std::uint32_t endTick = 0) const;

  std::uint32_t LastTick() const;

 private:
  struct Event {
    std::uint32_t tick;
    int order;  // position among events of the same tick (see class comment)
    std::size_t sequence;
    SmfBytes bytes;
  };
  void Add(std::uint32_t tick, int order, SmfBytes bytes);

  std::vector<Event> m_events;
};

// The whole file: MThd (format, track count, division) then every track's
// chunk. Every track ends at the same tick: the latest event of any track,
// or songEndTick when that is later (room for a last chord to ring out).
// format 0 takes exactly one track. Throws ESmfWriteError when the division
// is not 1..0x7FFF ticks per quarter note.
SmfBytes BuildSmf(int format, int ticksPerQuarter, const std::vector<SmfTrack>& tracks,
                  std::uint32_t songEndTick = 0);
