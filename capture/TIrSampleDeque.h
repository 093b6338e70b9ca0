#pragma once
// The clusters of one capture, with the tolerances that decide whether a
// value joins an existing cluster.
#include <cstdint>
#include <deque>
#include <memory>

#include "capture/TIrSample.h"

namespace quillon {

class TIrSampleDeque {
 public:
  TIrSampleDeque() = default;
  virtual ~TIrSampleDeque();
  TIrSampleDeque(const TIrSampleDeque&) = delete;
  TIrSampleDeque& operator=(const TIrSampleDeque&) = delete;

  float GetPercentTolerance() const { return m_percentTolerance; }
  void SetPercentTolerance(float percent) { m_percentTolerance = percent; }
  bool IsAbsoluteToleranceEnabled() const { return m_absoluteEnabled; }
  void SetAbsoluteToleranceEnabled(bool enabled) { m_absoluteEnabled = enabled; }
  uint32_t GetAbsoluteTolerance() const { return m_absoluteTolerance; }
  void SetAbsoluteTolerance(uint32_t tolerance) { m_absoluteTolerance = tolerance; }

  // Puts VALUE into the first cluster that accepts it, or into a new cluster
  // appended at the end.
  void AddValue(uint32_t& value);
  int GetCount() const { return static_cast<int>(m_samples.size()); }
  // The average of the cluster at INDEX; an index out of range is returned
  // unchanged.
  uint32_t ValueAt(int index) const;
  // Position of the first cluster whose average is exactly VALUE, or -1.
  int IndexOf(uint32_t value) const;
  TIrSample* SampleAt(int index) const;
  void EraseAt(int index);
  void Clear();

  // Normalises every cluster, then orders the clusters by ascending average
  // (clusters of equal average keep their order).
  void NormaliseAndSort();
  // One pass over the sorted clusters that joins close neighbours; see the
  // source for the three-cluster window it walks.
  void Merge(uint32_t absoluteLimit, float percentLimit);

  // Percentage difference of V against the average A, as used when adding.
  static double PercentDifference(uint32_t v, uint32_t a);

 private:
  bool Accepts(const TIrSample& sample, uint32_t value) const;
  static bool Close(uint32_t lower, uint32_t higher, uint32_t absoluteLimit, float percentLimit);

  std::deque<std::unique_ptr<TIrSample>> m_samples;
  float m_percentTolerance = 1.0f;
  bool m_absoluteEnabled = false;
  uint32_t m_absoluteTolerance = 2;
};

}  // namespace quillon
