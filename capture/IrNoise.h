#pragma once
// A small deterministic generator, so that synthesised and impaired captures
// are identical on every machine and in every run.
#include <cstdint>

namespace quillon {

class IrNoise {
 public:
  explicit IrNoise(uint32_t seed) : m_state(seed * 2654435761u + 0x9E3779B9u) {
    if (m_state == 0) m_state = 1;
  }
  // Uniform in [-1, 1].
  double Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return static_cast<double>(m_state) / 2147483647.5 - 1.0;
  }
  // Uniform in [0, 1].
  double Unit() { return (Next() + 1.0) / 2.0; }

 private:
  uint32_t m_state;
};

}  // namespace quillon
