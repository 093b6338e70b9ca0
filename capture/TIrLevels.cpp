#include "capture/TIrLevels.h"

#include <algorithm>

namespace quillon {
namespace {

// Durations further apart than this start a new level.
bool StartsNewLevel(double previous, double next) {
  return next - previous > std::max(0.03 * previous, 1.0);
}

// A level wider than this in tolerance units cannot be one time value.
constexpr double kMaxLevelSpan = 0.5;

}  // namespace

TIrLevels::TIrLevels(const TIrCycleSignal& signal)
    : m_levelOf(signal.values.size(), -1) {
  Group(signal, false);
  Group(signal, true);
}

// ---- sorting one kind of record into runs of close durations ----

void TIrLevels::Group(const TIrCycleSignal& signal, bool gaps) {
  std::vector<Member> sorted;
  const int last = signal.Size() - 1;  // the final gap is left out
  for (int p = gaps ? 1 : 0; p < last; p += 2) {
    sorted.push_back({signal.values[static_cast<size_t>(p)], p});
  }
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Member& a, const Member& b) { return a.value < b.value; });
  size_t first = 0;
  for (size_t i = 1; i <= sorted.size(); ++i) {
    if (i == sorted.size() || StartsNewLevel(sorted[i - 1].value, sorted[i].value)) {
      Cut(sorted, first, i, gaps);
      first = i;
    }
  }
}

// ---- cutting runs that are too wide for one value ----

// Splits [FIRST, END) of SORTED until every part is narrow enough: each cut
// falls between two distinct neighbours, where the wider of the two parts
// is narrowest.
void TIrLevels::Cut(const std::vector<Member>& sorted, size_t first, size_t end, bool gaps) {
  if (first >= end) return;
  std::vector<std::pair<size_t, size_t>> pending{{first, end}};
  std::vector<std::pair<size_t, size_t>> done;
  while (!pending.empty()) {
    const auto [lo, hi] = pending.back();
    pending.pop_back();
    if (TIrCycleSignal::SpanError(sorted[lo].value, sorted[hi - 1].value) <= kMaxLevelSpan) {
      done.emplace_back(lo, hi);
      continue;
    }
    size_t best = 0;
    double bestSpan = 0.0;
    for (size_t j = lo + 1; j < hi; ++j) {
      if (sorted[j - 1].value == sorted[j].value) continue;
      const double span = std::max(TIrCycleSignal::SpanError(sorted[lo].value, sorted[j - 1].value),
                                   TIrCycleSignal::SpanError(sorted[j].value, sorted[hi - 1].value));
      if (best == 0 || span < bestSpan) {
        best = j;
        bestSpan = span;
      }
    }
    pending.emplace_back(best, hi);
    pending.emplace_back(lo, best);
  }
  std::sort(done.begin(), done.end());
  for (const auto& [lo, hi] : done) Add(sorted, lo, hi, gaps);
}

void TIrLevels::Add(const std::vector<Member>& sorted, size_t first, size_t end, bool gaps) {
  Level level;
  level.gap = gaps;
  level.low = sorted[first].value;
  level.high = sorted[end - 1].value;
  double sum = 0.0;
  for (size_t i = first; i < end; ++i) {
    sum += sorted[i].value;
    m_levelOf[static_cast<size_t>(sorted[i].position)] = static_cast<int>(m_levels.size());
  }
  level.count = static_cast<int>(end - first);
  level.mean = sum / level.count;
  m_levels.push_back(level);
}

}  // namespace quillon
