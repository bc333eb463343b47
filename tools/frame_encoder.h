#pragma once

#include <cstdint>
#include <vector>

#include "telemetry_sample.h"
#include "xoshiro256.h"

namespace twk {

inline constexpr std::size_t kChannelBlockEnd = 83;  // channels sit at byte positions 35..82
inline constexpr std::size_t kMaxFrameBytes = 150;

// Packs a sample into a beacon frame, the bytes as they are before escaping: a four-byte
// header, the call sign X0TWK-1, further header bytes, the on-board time at 17..20, the channel
// block at 35..82, then 5 to 30 bytes of payload ending in a CRC-16. Physical values go through
// the inverse of the decoder's channel formulas.
class FrameEncoder {
 public:
  // With randomWords, positions 17 to 82 hold uniformly random bytes instead of telemetry, so
  // that no channel value repeats by more than chance.
  FrameEncoder(Xoshiro256& random, bool randomWords)
      : m_random(random), m_randomWords(randomWords) {}

  const std::vector<std::uint8_t>& encode(const TelemetrySample& sample);

 private:
  Xoshiro256& m_random;
  bool m_randomWords;
  std::vector<std::uint8_t> m_frame;
  std::uint32_t m_sequence = 0;
};

}  // namespace twk
