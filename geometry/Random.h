// The program's pseudo-random generator: a 32-bit linear congruential sequence, one
// value per user. Seeded from the millisecond tick unless a fixed seed is given (tests),
// so that a sequence can be repeated exactly.
#pragma once

#include <cstdint>
#include <optional>

namespace Random {

class TGenerator {
 public:
  // Starts the sequence from `seed`, or from the millisecond tick count when none.
  explicit TGenerator(std::optional<std::uint32_t> seed = std::nullopt);

  // A uniformly drawn integer 0..n-1; 0 when n <= 0.
  int Next(int n);

 private:
  std::uint32_t State = 0;
};

}  // namespace Random
