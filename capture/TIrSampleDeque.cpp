#include "capture/TIrSampleDeque.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quillon {

TIrSampleDeque::~TIrSampleDeque() { Clear(); }

double TIrSampleDeque::PercentDifference(uint32_t v, uint32_t a) {
  if (v == a) return 0.0;
  const double lo = std::min(v, a);
  const double hi = std::max(v, a);
  return 100.0 - lo * 100.0 / hi;
}

bool TIrSampleDeque::Accepts(const TIrSample& sample, uint32_t value) const {
  const uint32_t average = sample.GetAverage();
  if (PercentDifference(value, average) <= static_cast<double>(m_percentTolerance)) return true;
  if (m_absoluteEnabled) {
    const int64_t a = average;
    const int64_t t = m_absoluteTolerance;
    const int64_t v = value;
    if (a - t <= v && v <= a + t) return true;
  }
  return false;
}

void TIrSampleDeque::AddValue(uint32_t& value) {
  for (auto& sample : m_samples) {
    if (Accepts(*sample, value)) {
      sample->Add(value);
      return;
    }
  }
  auto sample = std::make_unique<TIrSample>();
  sample->Add(value);
  m_samples.push_back(std::move(sample));
}

uint32_t TIrSampleDeque::ValueAt(int index) const {
  if (index < 0 || index >= GetCount()) return static_cast<uint32_t>(index);
  return m_samples[static_cast<size_t>(index)]->GetAverage();
}

int TIrSampleDeque::IndexOf(uint32_t value) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (m_samples[static_cast<size_t>(i)]->GetAverage() == value) return i;
  }
  return -1;
}

TIrSample* TIrSampleDeque::SampleAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_samples[static_cast<size_t>(index)].get();
}

void TIrSampleDeque::EraseAt(int index) {
  if (index < 0 || index >= GetCount()) return;
  m_samples.erase(m_samples.begin() + index);
}

void TIrSampleDeque::Clear() { m_samples.clear(); }

void TIrSampleDeque::NormaliseAndSort() {
  for (auto& sample : m_samples) sample->Normalise();
  std::deque<std::unique_ptr<TIrSample>> sorted;
  for (auto& sample : m_samples) {
    const uint32_t average = sample->GetAverage();
    auto at = std::find_if(sorted.begin(), sorted.end(),
                           [average](const auto& placed) { return placed->GetAverage() > average; });
    sorted.insert(at, std::move(sample));
  }
  m_samples = std::move(sorted);
}

bool TIrSampleDeque::Close(uint32_t lower, uint32_t higher, uint32_t absoluteLimit,
                           float percentLimit) {
  if (static_cast<int64_t>(higher) - static_cast<int64_t>(lower) <=
      static_cast<int64_t>(absoluteLimit)) {
    return true;
  }
  // Single precision throughout, the scaled lower average rounded to a float
  // before the division.
  const float scaled = static_cast<float>(static_cast<uint64_t>(lower) * 100u);
  const float ratio = scaled / static_cast<float>(higher);
  return 100.0f - ratio <= percentLimit;
}

// The pass walks a window of three clusters (i-1, i, i+1): the centre absorbs
// a close lower neighbour, is emitted, then absorbs a close upper neighbour;
// the window then moves on by two (or three after an upper absorption).
// Absorbers keep their own average, so absorbed values move to the centre.
void TIrSampleDeque::Merge(uint32_t absoluteLimit, float percentLimit) {
  const int count = GetCount();
  if (count < 2) return;
  std::vector<std::unique_ptr<TIrSample>> all;
  for (auto& sample : m_samples) all.push_back(std::move(sample));
  m_samples.clear();
  std::deque<std::unique_ptr<TIrSample>> emitted;

  auto close = [&](int lower, int higher) {
    return Close(all[static_cast<size_t>(lower)]->GetAverage(),
                 all[static_cast<size_t>(higher)]->GetAverage(), absoluteLimit, percentLimit);
  };

  int i = 1;
  for (;;) {
    TIrSample& centre = *all[static_cast<size_t>(i)];
    if (close(i - 1, i)) {
      centre.Absorb(*all[static_cast<size_t>(i - 1)]);
      all[static_cast<size_t>(i - 1)].reset();
    } else {
      emitted.push_back(std::move(all[static_cast<size_t>(i - 1)]));
    }
    // The centre is emitted now; it may still absorb its upper neighbour.
    TIrSample* centrePtr = all[static_cast<size_t>(i)].get();
    emitted.push_back(std::move(all[static_cast<size_t>(i)]));
    if (i + 1 >= count) break;
    if (Close(centrePtr->GetAverage(), all[static_cast<size_t>(i + 1)]->GetAverage(), absoluteLimit,
              percentLimit)) {
      centrePtr->Absorb(*all[static_cast<size_t>(i + 1)]);
      all[static_cast<size_t>(i + 1)].reset();
      i += 1;
    }
    if (i + 2 >= count) {
      for (int k = i + 1; k < count; ++k) {
        if (all[static_cast<size_t>(k)]) emitted.push_back(std::move(all[static_cast<size_t>(k)]));
      }
      break;
    }
    i += 2;
  }
  m_samples = std::move(emitted);
  for (auto& sample : m_samples) sample->WriteBack();
}

}  // namespace quillon
