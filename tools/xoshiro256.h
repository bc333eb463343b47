#pragma once

#include <cstdint>

namespace twk {

// A small, fully specified generator, so a seed gives the same log on every compiler and
// standard library (std:: distributions are free to differ between versions).
class Xoshiro256 {
 public:
  explicit Xoshiro256(std::uint64_t seed) {
    // The state is filled from the seed by splitmix64, which never yields an all-zero state.
    for (std::uint64_t& word : m_state) {
      seed += 0x9E3779B97F4A7C15ULL;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
      word = z ^ (z >> 31);
    }
  }

  std::uint64_t next() {
    const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
    const std::uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotl(m_state[3], 45);
    return result;
  }

  // Uniform in [0, 1), from the top 53 bits.
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

  double uniform(double low, double high) { return low + (high - low) * uniform(); }

  // Uniform in [0, n); the slight bias of the modulo does not matter for test data.
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }

  bool chance(double p) { return uniform() < p; }

  // Roughly normal noise of unit spread: a scaled sum of four uniforms needs no libm call, so
  // it is bit-exact everywhere.
  double noise() {
    const double sum = uniform() + uniform() + uniform() + uniform();
    return (sum - 2.0) * 1.7320508075688772;
  }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::uint64_t m_state[4];
};

}  // namespace twk
