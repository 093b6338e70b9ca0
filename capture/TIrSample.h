#pragma once
// A cluster of record values that denote the same quantised duration. The
// members are references to the value fields of working records, so that the
// cluster can write its average back into them.
#include <cstdint>
#include <vector>

namespace quillon {

class TIrSample {
 public:
  TIrSample() = default;
  virtual ~TIrSample() = default;
  TIrSample(const TIrSample&) = delete;
  TIrSample& operator=(const TIrSample&) = delete;

  // Adds the member; returns the new average.
  uint32_t Add(uint32_t& value);
  // Below two values the low 32 bits of the sum, else sum / count truncated.
  uint32_t GetAverage() const;
  // Collapses the cluster to its average (sum := average, count := 1) and
  // writes the average into every member.
  void Normalise();
  // Writes the current average into every member.
  void WriteBack();
  // Takes over the members of OTHER; this cluster keeps its own sum, count,
  // extremes and therefore its average. Absorbing itself does nothing.
  void Absorb(TIrSample& other);

  uint64_t GetSum() const { return m_sum; }
  uint32_t GetCount() const { return m_count; }
  uint32_t GetMaximum() const { return m_maximum; }
  uint32_t GetMinimum() const { return m_minimum; }
  const std::vector<uint32_t*>& GetMembers() const { return m_members; }

 private:
  std::vector<uint32_t*> m_members;
  uint64_t m_sum = 0;
  uint32_t m_count = 0;
  uint32_t m_maximum = 0;
  uint32_t m_minimum = 0xFFFFFFFFu;
};

}  // namespace quillon
