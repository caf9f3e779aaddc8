#include "midi/midi_file_stream.h"

#include <utility>

#include "midi/midi_errors.h"

namespace {
constexpr uint32_t kVarLenMoreFlag = 0x80;
constexpr uint32_t kVarLenValueMask = 0x7F;
constexpr int kVarLenBitsPerByte = 7;
}  // namespace

TMidiFileStream::TMidiFileStream(const uint8_t* Data, size_t Size, std::string SourceName)
    : m_data(Data), m_size(Size), m_sourceName(std::move(SourceName)) {}

void TMidiFileStream::Fail(const std::string& What) const {
  throw EMidiFileError(m_sourceName + ": " + What + " (at byte " + std::to_string(m_position) +
                       ")");
}

uint8_t TMidiFileStream::NextByte() {
  // A read past the data delivers no byte: the track that needs it ends here.
  if (m_position >= m_size) Fail("unexpected end of data");
  --Remaining;
  return m_data[m_position++];
}

uint32_t TMidiFileStream::ReadInt(int N) {
  uint32_t value = 0;
  for (int i = 0; i < N; ++i) value = (value << 8) | NextByte();
  return value;
}

std::string TMidiFileStream::ReadText(int N) {
  std::string text;
  text.reserve(static_cast<size_t>(N));
  for (int i = 0; i < N; ++i) text.push_back(static_cast<char>(NextByte()));
  return text;
}

uint32_t TMidiFileStream::ReadVarLen() {
  uint32_t value = 0;
  for (int i = 0; i < kMaxVarLenBytes; ++i) {
    const uint8_t byte = NextByte();
    value = (value << kVarLenBitsPerByte) + (byte & kVarLenValueMask);
    if ((byte & kVarLenMoreFlag) == 0) return value;
  }
  Fail("variable-length quantity longer than 4 bytes");
}

void TMidiFileStream::StepBack() {
  if (m_position == 0) return;
  --m_position;
  ++Remaining;
}

void TMidiFileStream::Skip(size_t N) {
  const size_t step = N < BytesLeft() ? N : BytesLeft();
  m_position += step;
}
