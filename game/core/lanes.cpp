#include "game/core/lanes.h"

#include <cstddef>
#include <utility>

#include "game/core/random.h"

TLanePermutation MakeLanePermutation() {
  TLanePermutation p{};
  for (int i = 0; i < kLaneCount; ++i) p[i] = i;
  for (int i = 0; i < kLaneCount; ++i) std::swap(p[Random(kLaneCount)], p[i]);
  return p;
}

int LaneForNote(TLaneMode mode, int note, const TLanePermutation& permutation) {
  // A note number is a 7-bit data byte; masking keeps a lane of a damaged
  // event inside the field and the permutation lookup inside its table.
  note &= kLaneCount - 1;
  switch (mode) {
    case TLaneMode::Mirror:
      return (kLaneCount - 1) - note;
    case TLaneMode::NRandom:
      return permutation[static_cast<std::size_t>(note)];
    case TLaneMode::SRandom:
      return Random(kLaneCount);
    case TLaneMode::Normal:
      break;
  }
  return note;
}

const char* LaneModeName(TLaneMode mode) {
  switch (mode) {
    case TLaneMode::Mirror: return "MIRROR";
    case TLaneMode::NRandom: return "RANDOM";
    case TLaneMode::SRandom: return "S-RANDOM";
    case TLaneMode::Normal: break;
  }
  return "NORMAL";
}
