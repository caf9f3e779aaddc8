#include "library/difficulty.h"

#include <cstdio>

double SongDifficulty(std::span<const TDrop> drops, const TDifficultyOptions& /*options*/) {
  return drops.empty() ? 0.0 : 1.0;
}

std::string DifficultyText(double difficulty) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", difficulty);
  return text;
}
