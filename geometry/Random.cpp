#include "geometry/Random.h"

#include <chrono>

namespace Random {
namespace {

std::uint32_t TickSeed() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(ms.count());
}

}  // namespace

TGenerator::TGenerator(std::optional<std::uint32_t> seed) : State(seed ? *seed : TickSeed()) {}

int TGenerator::Next(int n) {
  if (n <= 0) return 0;
  State = State * 134775813u + 1u;
  // The high bits of the state scaled to 0..n-1: uniform and free of the weak low bits.
  return static_cast<int>((static_cast<std::uint64_t>(State) * static_cast<std::uint32_t>(n)) >> 32);
}

}  // namespace Random
