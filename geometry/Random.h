// The program's one pseudo-random generator: a 32-bit linear congruential sequence.
// Every analysis reseeds it from the millisecond tick, unless a fixed seed was chosen
// (wendrix-cli --seed, tests), so that a drawing can be repeated exactly.
#pragma once

#include <cstdint>
#include <optional>

namespace Random {

// When set, Reseed uses this value instead of the tick count.
inline std::optional<std::uint32_t> FixedSeed;

// Starts the sequence anew from `seed`.
void Randomize(std::uint32_t seed);

// Starts the sequence from FixedSeed when set, else from the millisecond tick count.
void Reseed();

// A uniformly drawn integer 0..n-1; 0 when n <= 0.
int Next(int n);

}  // namespace Random
