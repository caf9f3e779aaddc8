#include "tools/make_tutorial_song/smf_writer.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kMaxVarLen = 0x0FFFFFFF;
constexpr std::uint8_t kMetaPrefix = 0xFF;
constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaTimeSignature = 0x58;
constexpr std::uint8_t kMetaKeySignature = 0x59;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kReleaseVelocity = 64;
constexpr std::uint32_t kMaxTempo = 0xFFFFFF;  // three bytes

// Order of events that share a tick.
constexpr int kOrderMeta = 0;
constexpr int kOrderNoteOff = 1;
constexpr int kOrderOther = 2;

void AppendBigEndian(SmfBytes& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint8_t DataByte(int value, const char* what) {
  if (value < 0 || value > 0x7F) throw ESmfWriteError(std::string(what) + " " + std::to_string(value) + " is not 0..127");
  return static_cast<std::uint8_t>(value);
}

std::uint8_t Status(std::uint8_t kind, int channel) {
  if (channel < 0 || channel > 15) throw ESmfWriteError("channel " + std::to_string(channel) + " is not 0..15");
  return static_cast<std::uint8_t>(kind | channel);
}

SmfBytes Meta(std::uint8_t type, const SmfBytes& data) {
  SmfBytes bytes{kMetaPrefix, type};
  AppendVarLen(bytes, static_cast<std::uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

}  // namespace

void AppendVarLen(SmfBytes& out, std::uint32_t value) {
  if (value > kMaxVarLen) throw ESmfWriteError("value " + std::to_string(value) + " does not fit a variable-length quantity");
  std::uint8_t groups[4];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
  out.push_back(groups[0]);
}

void SmfTrack::Add(std::uint32_t tick, int order, SmfBytes bytes) {
  if (tick > kMaxVarLen) throw ESmfWriteError("tick " + std::to_string(tick) + " is beyond what a delta time can reach");
  m_events.push_back(Event{tick, order, m_events.size(), std::move(bytes)});
}

void SmfTrack::TrackName(std::uint32_t tick, std::string_view name) {
  Add(tick, kOrderMeta, Meta(kMetaTrackName, SmfBytes(name.begin(), name.end())));
}

void SmfTrack::Tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter) {
  if (microsecondsPerQuarter == 0 || microsecondsPerQuarter > kMaxTempo) {
    throw ESmfWriteError("tempo " + std::to_string(microsecondsPerQuarter) + " is not 1..0xFFFFFF microseconds");
  }
  SmfBytes data;
  AppendBigEndian(data, microsecondsPerQuarter, 3);
  Add(tick, kOrderMeta, Meta(kMetaTempo, data));
}

void SmfTrack::TimeSignature(std::uint32_t tick, int numerator, int denominatorPower, int clocksPerClick,
                             int thirtySecondsPerQuarter) {
  Add(tick, kOrderMeta,
      Meta(kMetaTimeSignature, {DataByte(numerator, "numerator"), DataByte(denominatorPower, "denominator power"),
                                DataByte(clocksPerClick, "clocks per click"),
                                DataByte(thirtySecondsPerQuarter, "32nd notes per quarter")}));
}

void SmfTrack::KeySignature(std::uint32_t tick, int sharpsOrFlats, bool minor) {
  if (sharpsOrFlats < -7 || sharpsOrFlats > 7) throw ESmfWriteError("key signature " + std::to_string(sharpsOrFlats) + " is not -7..7");
  Add(tick, kOrderMeta,
      Meta(kMetaKeySignature, {static_cast<std::uint8_t>(static_cast<std::int8_t>(sharpsOrFlats)),
                               static_cast<std::uint8_t>(minor ? 1 : 0)}));
}

void SmfTrack::ProgramChange(std::uint32_t tick, int channel, int program) {
  Add(tick, kOrderOther, {Status(kProgramChange, channel), DataByte(program, "program")});
}

void SmfTrack::ControlChange(std::uint32_t tick, int channel, int controller, int value) {
  Add(tick, kOrderOther,
      {Status(kControlChange, channel), DataByte(controller, "controller"), DataByte(value, "controller value")});
}

void SmfTrack::Note(std::uint32_t tick, std::uint32_t lengthTicks, int channel, int key, int velocity) {
  if (velocity < 1 || velocity > 0x7F) throw ESmfWriteError("note-on velocity " + std::to_string(velocity) + " is not 1..127");
  if (lengthTicks == 0) throw ESmfWriteError("a note needs a length of at least one tick");
  const std::uint8_t keyByte = DataByte(key, "note number");
  Add(tick, kOrderOther, {Status(kNoteOn, channel), keyByte, static_cast<std::uint8_t>(velocity)});
  Add(tick + lengthTicks, kOrderNoteOff, {Status(kNoteOff, channel), keyByte, kReleaseVelocity});
}

std::uint32_t SmfTrack::LastTick() const {
  std::uint32_t last = 0;
  for (const Event& e : m_events) last = std::max(last, e.tick);
  return last;
}

SmfBytes SmfTrack::Chunk(std::uint32_t endTick) const {
  std::vector<const Event*> sorted;
  sorted.reserve(m_events.size());
  for (const Event& e : m_events) sorted.push_back(&e);
  std::sort(sorted.begin(), sorted.end(), [](const Event* a, const Event* b) {
    if (a->tick != b->tick) return a->tick < b->tick;
    if (a->order != b->order) return a->order < b->order;
    return a->sequence < b->sequence;
  });

  SmfBytes body;
  std::uint32_t previous = 0;
  for (const Event* e : sorted) {
    AppendVarLen(body, e->tick - previous);
    previous = e->tick;
    body.insert(body.end(), e->bytes.begin(), e->bytes.end());
  }
  AppendVarLen(body, std::max(endTick, previous) - previous);
  body.insert(body.end(), {kMetaPrefix, kMetaEndOfTrack, 0x00});

  SmfBytes chunk{'M', 'T', 'r', 'k'};
  AppendBigEndian(chunk, static_cast<std::uint32_t>(body.size()), 4);
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

SmfBytes BuildSmf(int format, int ticksPerQuarter, const std::vector<SmfTrack>& tracks,
                  std::uint32_t songEndTick) {
  if (format != 0 && format != 1) throw ESmfWriteError("format " + std::to_string(format) + " is not 0 or 1");
  if (format == 0 && tracks.size() != 1) throw ESmfWriteError("a format 0 file holds exactly one track");
  if (tracks.empty() || tracks.size() > 0xFFFF) throw ESmfWriteError("track count " + std::to_string(tracks.size()) + " is not 1..65535");
  if (ticksPerQuarter < 1 || ticksPerQuarter > 0x7FFF) {
    throw ESmfWriteError("division " + std::to_string(ticksPerQuarter) + " is not 1..32767 ticks per quarter note");
  }
  SmfBytes file{'M', 'T', 'h', 'd'};
  AppendBigEndian(file, 6, 4);
  AppendBigEndian(file, static_cast<std::uint32_t>(format), 2);
  AppendBigEndian(file, static_cast<std::uint32_t>(tracks.size()), 2);
  AppendBigEndian(file, static_cast<std::uint32_t>(ticksPerQuarter), 2);
  // Every track ends together, so no player reads an early end of song.
  std::uint32_t songEnd = songEndTick;
  for (const SmfTrack& t : tracks) songEnd = std::max(songEnd, t.LastTick());
  for (const SmfTrack& t : tracks) {
    const SmfBytes chunk = t.Chunk(songEnd);
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}
