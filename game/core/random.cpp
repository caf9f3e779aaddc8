#include "game/core/random.h"

#include <atomic>
#include <chrono>

namespace {

// The multiplier and increment of the class library's generator, kept so a
// seed gives the same sequence as there.
constexpr std::uint32_t kMultiplier = 0x08088405u;
constexpr std::uint32_t kIncrement = 1u;

std::atomic<std::uint32_t> g_seed{0};

std::uint32_t NextSeed(std::uint32_t seed) { return seed * kMultiplier + kIncrement; }

}  // namespace

int Random(int range) {
  std::uint32_t seed = g_seed.load(std::memory_order_relaxed);
  std::uint32_t next = NextSeed(seed);
  while (!g_seed.compare_exchange_weak(seed, next, std::memory_order_relaxed)) next = NextSeed(seed);
  if (range <= 0) return 0;
  return static_cast<int>((static_cast<std::uint64_t>(next) * static_cast<std::uint32_t>(range)) >> 32);
}

void Randomize() {
  // Nanoseconds of the wall clock: two starts within one tick of a coarse
  // clock would otherwise greet with the same line.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  SetRandSeed(static_cast<std::uint32_t>(ns) ^ static_cast<std::uint32_t>(ns >> 32));
}

std::uint32_t RandSeed() { return g_seed.load(std::memory_order_relaxed); }

void SetRandSeed(std::uint32_t seed) { g_seed.store(seed, std::memory_order_relaxed); }
