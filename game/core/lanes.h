// The drops' lanes: the 128 note numbers as they are, mirrored, shuffled per
// note number or per drop. The shuffles draw from the application's
// generator, so any thread that may draw from it (the main thread, at Play).
#pragma once

#include <array>

inline constexpr int kLaneCount = 128;

enum class TLaneMode { Normal, Mirror, NRandom, SRandom };

using TLanePermutation = std::array<int, kLaneCount>;

// The lane mode's name as the settings and the records spell it
// ("NORMAL", "MIRROR", "RANDOM", "S-RANDOM").
const char* LaneModeName(TLaneMode mode);

// P[i] = i, then for i = 0..127 swap P[i] with P[Random(128)]: 128 draws
// from the generator whatever the lane mode.
TLanePermutation MakeLanePermutation();

// The lane of a note-on with note number note (0..127): 127 - note when
// mirrored, P[note] when shuffled per note number, a fresh Random(128) per
// drop when shuffled per note, else the note itself.
int LaneForNote(TLaneMode mode, int note, const TLanePermutation& permutation);
