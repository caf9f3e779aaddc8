// TMidiFileStream: the reader's view of a whole Standard MIDI File held in
// memory, read big-endian one byte at a time, with Remaining counting the
// bytes left in the current track chunk. Main thread (loading) only; the
// stream refers to bytes that the caller keeps alive while it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TMidiFileStream {
 public:
  // A variable-length quantity has at most this many bytes (28 bits).
  static constexpr int kMaxVarLenBytes = 4;

  // SourceName names the data in error messages (usually the file name).
  TMidiFileStream(const uint8_t* Data, size_t Size, std::string SourceName);

  // N bytes (1, 2 or 4) as an unsigned big-endian number.
  uint32_t ReadInt(int N);
  // N bytes as N characters.
  std::string ReadText(int N);
  // A variable-length quantity; EMidiFileError when it runs past four bytes.
  uint32_t ReadVarLen();
  void SetRemaining(int32_t N) { Remaining = N; }
  bool AtTrackEnd() const { return Remaining < 1; }
  // Moves back by one byte (and gives it back to Remaining).
  void StepBack();

  // Moves forward by up to N bytes without reading them (never past the end).
  void Skip(size_t N);
  size_t Position() const { return m_position; }
  size_t Size() const { return m_size; }
  size_t BytesLeft() const { return m_size - m_position; }
  bool AtDataEnd() const { return m_position >= m_size; }
  const std::string& SourceName() const { return m_sourceName; }
  // Throws EMidiFileError with the source name, the offset and What.
  [[noreturn]] void Fail(const std::string& What) const;

  int32_t Remaining = 0;  // bytes still to read in the current track chunk

 private:
  uint8_t NextByte();

  const uint8_t* m_data;
  size_t m_size;
  size_t m_position = 0;
  std::string m_sourceName;
};
