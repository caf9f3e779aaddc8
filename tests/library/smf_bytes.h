// Standard MIDI File bytes built in a test: a header and track chunks of
// events with delta times (the Standard MIDI File 1.0 layout).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace SmfBytes {

inline std::string VarLen(uint32_t value) {
  std::string bytes(1, static_cast<char>(value & 0x7F));
  while ((value >>= 7) != 0) bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return bytes;
}

inline std::string Be(uint32_t value, int count) {
  std::string bytes;
  for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  return bytes;
}

// One event: its delta time (ticks) then its bytes.
inline std::string Event(uint32_t delta, const std::string& bytes) { return VarLen(delta) + bytes; }
inline std::string Meta(uint32_t delta, int type, const std::string& data) {
  return Event(delta, std::string{'\xFF', static_cast<char>(type)} + VarLen(static_cast<uint32_t>(data.size())) + data);
}
inline std::string Short(uint32_t delta, int status, int data1, int data2 = -1) {
  std::string bytes{static_cast<char>(status), static_cast<char>(data1)};
  if (data2 >= 0) bytes.push_back(static_cast<char>(data2));
  return Event(delta, bytes);
}
inline std::string Tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
  return Meta(delta, 0x51, Be(microsecondsPerQuarter, 3));
}

// A format 1 file of these tracks (events without their end-of-track).
inline std::string File(const std::vector<std::string>& tracks, int division = 480) {
  std::string bytes = "MThd" + Be(6, 4) + Be(1, 2) + Be(static_cast<uint32_t>(tracks.size()), 2) +
                      Be(static_cast<uint32_t>(division), 2);
  for (const std::string& events : tracks) {
    const std::string body = events + Meta(0, 0x2F, "");
    bytes += "MTrk" + Be(static_cast<uint32_t>(body.size()), 4) + body;
  }
  return bytes;
}

}  // namespace SmfBytes
