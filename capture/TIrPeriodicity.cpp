#include "capture/TIrPeriodicity.h"

#include <algorithm>
#include <cmath>

namespace quillon {
namespace {

// Two durations this close (in tolerance units) are the same one.
constexpr double kEqualShare = 0.25;
// In the loose search, levels whose means are this close are the same.
constexpr double kCloseLevelSpan = 0.8;

}  // namespace

TIrPeriodicity::TIrPeriodicity(const TIrCycleSignal& signal, const TIrLevels& levels,
                               double longGap)
    : m_signal(signal), m_levels(levels), m_longGap(longGap) {
  if (m_longGap <= 0.0) return;
  const int count = levels.Count();
  m_closeLevels.assign(static_cast<size_t>(count * count), 0);
  for (int a = 0; a < count; ++a) {
    for (int b = 0; b < count; ++b) {
      const double x = std::min(levels.At(a).mean, levels.At(b).mean);
      const double y = std::max(levels.At(a).mean, levels.At(b).mean);
      const bool close = levels.At(a).gap == levels.At(b).gap &&
                         TIrCycleSignal::SpanError(x, y) <= kCloseLevelSpan;
      m_closeLevels[static_cast<size_t>(a * count + b)] = close ? 1 : 0;
    }
  }
}

bool TIrPeriodicity::Equal(int p, int q) const {
  const int lp = m_levels.LevelOf(p);
  const int lq = m_levels.LevelOf(q);
  if (lp == lq) return true;
  const double vp = m_signal.values[static_cast<size_t>(p)];
  const double vq = m_signal.values[static_cast<size_t>(q)];
  const double allowed =
      kEqualShare * (TIrCycleSignal::Tolerance(vp) + TIrCycleSignal::Tolerance(vq));
  if (std::fabs(vp - vq) <= allowed) return true;
  if (m_longGap <= 0.0) return false;
  if (m_closeLevels[static_cast<size_t>(lp * m_levels.Count() + lq)]) return true;
  return p % 2 == 1 && vp >= m_longGap && vq >= m_longGap;
}

std::vector<TIrPeriodicity::Candidate> TIrPeriodicity::Candidates(
    const std::vector<Candidate>& stricter) const {
  const int n = m_signal.Size();
  // Records from the top down to here may still differ.
  std::vector<int> top(static_cast<size_t>(n / 2 + 1), n - 2);
  for (const Candidate& c : stricter) {
    if (c.body <= n / 2) top[static_cast<size_t>(c.body)] = std::min(n - 2, 2 * (c.header + c.body) - 1);
  }
  std::vector<Candidate> out;
  for (int b = 1; b <= n / 2; ++b) {
    // The last record that differs from its predecessor one body earlier
    // must lie in the header's reach.
    int last = -1;
    for (int p = top[static_cast<size_t>(b)]; p >= 2 * b; --p) {
      if (!Equal(p, p - 2 * b)) {
        last = p;
        break;
      }
    }
    const int header = last < 0 ? 0 : (last - 2 * b) / 2 + 1;
    out.push_back({header, b});
  }
  std::stable_sort(out.begin(), out.end(), [](const Candidate& x, const Candidate& y) {
    if (x.header + x.body != y.header + y.body) return x.header + x.body < y.header + y.body;
    return x.header < y.header;
  });
  return out;
}

}  // namespace quillon
