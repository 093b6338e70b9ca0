#include "capture/TIrSample.h"

namespace quillon {

uint32_t TIrSample::Add(uint32_t& value) {
  m_members.push_back(&value);
  m_sum += value;
  m_count += 1;
  if (value > m_maximum) m_maximum = value;
  if (value < m_minimum) m_minimum = value;
  return GetAverage();
}

uint32_t TIrSample::GetAverage() const {
  if (m_count < 2) return static_cast<uint32_t>(m_sum);
  return static_cast<uint32_t>(m_sum / m_count);
}

void TIrSample::Normalise() {
  const uint32_t average = GetAverage();
  m_sum = average;
  m_count = 1;
  WriteBack();
}

void TIrSample::WriteBack() {
  const uint32_t average = GetAverage();
  for (uint32_t* member : m_members) *member = average;
}

void TIrSample::Absorb(TIrSample& other) {
  if (&other == this) return;
  m_members.insert(m_members.end(), other.m_members.begin(), other.m_members.end());
}

}  // namespace quillon
