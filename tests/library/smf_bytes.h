// Standard MIDI File bytes built in a test: events with their delta times
// and a format 1 file of track chunks (the Standard MIDI File 1.0 layout).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SmfBytes {

inline std::string Be(uint32_t value, int count) {
  std::string bytes;
  for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  return bytes;
}
// One event (delta time below 128 ticks, or 960 as two bytes).
inline std::string Event(uint32_t delta, const std::string& bytes) {
  return (delta < 128 ? Be(delta, 1) : std::string{static_cast<char>(0x80 | delta >> 7), static_cast<char>(delta & 0x7F)}) + bytes;
}
inline std::string Meta(uint32_t delta, int type, const std::string& data) {
  return Event(delta, std::string{'\xFF', static_cast<char>(type), static_cast<char>(data.size())} + data);
}
inline std::string Short(uint32_t delta, int status, int data1, int data2 = -1) {
  std::string bytes{static_cast<char>(status), static_cast<char>(data1)};
  if (data2 >= 0) bytes.push_back(static_cast<char>(data2));
  return Event(delta, bytes);
}
inline std::string Tempo(uint32_t delta, uint32_t usPerQuarter) { return Meta(delta, 0x51, Be(usPerQuarter, 3)); }
inline std::string File(const std::vector<std::string>& tracks) {
  std::string bytes = "MThd" + Be(6, 4) + Be(1, 2) + Be(static_cast<uint32_t>(tracks.size()), 2) + Be(480, 2);
  for (const std::string& events : tracks) {
    const std::string body = events + Meta(0, 0x2F, "");
    bytes += "MTrk" + Be(static_cast<uint32_t>(body.size()), 4) + body;
  }
  return bytes;
}

}  // namespace SmfBytes
