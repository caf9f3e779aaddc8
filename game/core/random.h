// The application's one pseudo-random generator, with the class library's
// Random/Randomize meaning: RandSeed := RandSeed * 134775813 + 1, Random(n)
// taking the high 32 bits of the new seed times n. Any thread: the seed is
// one atomic word, so lanes chosen on the window's thread and voice lines
// chosen on the timer thread draw from the same sequence without a lock.
#pragma once

#include <cstdint>

// A value in 0 .. range - 1; 0 when range <= 0 (the seed still advances).
int Random(int range);

// Seeds the generator from the clock (start-up).
void Randomize();

// The current seed; setting it makes the following Random calls repeatable
// (tests, replays).
std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);
