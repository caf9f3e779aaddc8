#include "midi/riff_midi.h"

#include <algorithm>
#include <cstring>

#include "midi/midi_errors.h"

namespace {

// RIFF layout (Microsoft's Resource Interchange File Format): "RIFF", a
// 32-bit little-endian size, the form type, then chunks of a four-character
// id, a 32-bit little-endian size and the data, padded to an even length.
constexpr size_t kIdBytes = 4;
constexpr size_t kSizeBytes = 4;
constexpr size_t kChunkHeaderBytes = kIdBytes + kSizeBytes;
constexpr size_t kFormHeaderBytes = kChunkHeaderBytes + kIdBytes;

uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

bool IsRiffMidi(const uint8_t* Data, size_t Size) {
  return Size >= kFormHeaderBytes && std::memcmp(Data, "RIFF", kIdBytes) == 0 &&
         std::memcmp(Data + kChunkHeaderBytes, "RMID", kIdBytes) == 0;
}

TRiffMidiData FindRiffMidiData(const uint8_t* Data, size_t Size, const std::string& SourceName) {
  size_t position = kFormHeaderBytes;
  while (Size - position >= kChunkHeaderBytes) {
    const uint8_t* chunk = Data + position;
    const size_t length = LittleEndian32(chunk + kIdBytes);
    position += kChunkHeaderBytes;
    const size_t available = Size - position;
    if (std::memcmp(chunk, "data", kIdBytes) == 0) {
      return TRiffMidiData{Data + position, std::min(length, available)};
    }
    if (length >= available) break;
    position += length + (length & 1);
    if (position > Size) break;
  }
  throw EMidiFileError(SourceName + ": a RIFF MIDI file without a \"data\" chunk");
}
