#include "records/game_record.h"

namespace {
constexpr double kPercent = 100.0;
}  // namespace

double GoodPercent(int64_t good, int64_t bad) {
  const int64_t total = good + bad;
  return total > 0 ? static_cast<double>(good) * kPercent / static_cast<double>(total) : 0.0;
}

bool BetterRatio(int64_t good1, int64_t bad1, int64_t good2, int64_t bad2) {
  // good1 / total1 > good2 / total2 without rounding: cross-multiplied in
  // 128 bits: a 32-bit count times a sum of two of them can pass 63 bits.
  if (good1 + bad1 == 0) return false;
  if (good2 + bad2 == 0) return true;
  const __int128 left = static_cast<__int128>(good1) * (good2 + bad2);
  const __int128 right = static_cast<__int128>(good2) * (good1 + bad1);
  return left > right;
}

double TSongSummary::BestPercent() const { return GoodPercent(BestGood, BestBad); }

