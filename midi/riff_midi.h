// RIFF MIDI files (.rmi): a RIFF file of form "RMID" whose "data" chunk holds
// a Standard MIDI File. Finds that chunk so the song reader loads the file
// inside. Any thread; works on the caller's bytes without copying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TRiffMidiData {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// True when the bytes begin "RIFF" <size> "RMID".
bool IsRiffMidi(const uint8_t* Data, size_t Size);
// The Standard MIDI File inside a RIFF MIDI file; EMidiFileError naming
// SourceName when the file has no "data" chunk. A chunk announced longer
// than the file is cut at the file's end, as the song reader treats a cut
// Standard MIDI File.
TRiffMidiData FindRiffMidiData(const uint8_t* Data, size_t Size, const std::string& SourceName);
