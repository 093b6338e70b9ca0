#include "capture/TIrTableFit.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace quillon {
namespace {

// A played value may lie this share of the tolerance from each record it
// stands for.
constexpr double kWindowShare = 0.8;

// The table value of an entry: the mean of what it stands for, moved into
// its window and rounded (to a whole number inside the window where there
// is one), within what a table entry holds.
uint16_t ValueIn(double mean, double low, double high) {
  double r = std::round(std::clamp(mean, low, high));
  if (r < low && std::ceil(low) <= high) {
    r = std::ceil(low);
  } else if (r > high && std::floor(high) >= low) {
    r = std::floor(high);
  }
  return static_cast<uint16_t>(std::clamp(r, 1.0, 65535.0));
}

}  // namespace

TIrTableFit::TIrTableFit(const TIrCycleSignal& signal, const TIrLevels& levels, double longGap)
    : m_signal(signal), m_levels(levels), m_longGap(longGap), m_mostSelectors(signal.Size()) {}

TIrTableFit::Outcome TIrTableFit::Fit(int header, int body, TIrEncoding& out) const {
  const int selectors = 2 * (header + body);
  if (selectors > m_mostSelectors) return Outcome::TooManyTimes;
  std::vector<Window> windows;
  if (!Windows(header, body, windows)) return Outcome::NoWindow;
  std::vector<Entry> entries = ShareByLevel(windows);
  if (DistinctValues(entries) > kMaxTimes) {
    entries = Stab(std::move(entries));
    if (DistinctValues(entries) > kMaxTimes) {
      LimitSelectors();
      return Outcome::TooManyTimes;
    }
  }
  Encode(header, body, entries, out);
  return Outcome::Fits;
}

// Once a table overflows, the splits that cannot but overflow are found at
// once: StabCount only grows with the records counted, so the last count
// that still fits is found by bisection.
void TIrTableFit::LimitSelectors() const {
  if (m_limited) return;
  m_limited = true;
  int fits = 0;
  int fails = m_signal.Size() + 1;
  while (fails - fits > 1) {
    const int mid = (fits + fails) / 2;
    (StabCount(mid) <= kMaxTimes ? fits : fails) = mid;
  }
  m_mostSelectors = fits;
}

// ---- the window of each selector record ----

// The window of a selector record is where a value lies within its share of
// the tolerance of the record itself and of every record played back from
// it. False when some window is empty.
bool TIrTableFit::Windows(int header, int body, std::vector<Window>& windows) const {
  const int n = m_signal.Size();
  const int selectors = 2 * (header + body);
  windows.assign(static_cast<size_t>(selectors), Window{});
  for (int q = 0; q < selectors; ++q) {
    if (q == n - 1) continue;  // the final gap takes no entry of its own
    const double v = m_signal.values[static_cast<size_t>(q)];
    const double reach = kWindowShare * TIrCycleSignal::Tolerance(v);
    Window& w = windows[static_cast<size_t>(q)];
    w = Window{v - reach, v + reach, v, 1};
    for (int p = q + 2 * body; q >= 2 * header && p < n - 1; p += 2 * body) {
      const double vp = m_signal.values[static_cast<size_t>(p)];
      w.sum += vp;
      w.count += 1;
      if (m_longGap > 0.0 && q % 2 == 1 && vp >= m_longGap) continue;
      const double r = kWindowShare * TIrCycleSignal::Tolerance(vp);
      w.low = std::max(w.low, vp - r);
      w.high = std::min(w.high, vp + r);
    }
    if (w.low > w.high) return false;
  }
  return true;
}

// The fewest values that can lie in the windows of the first RECORDS
// records themselves (each widened by the rounding of a value): no split
// naming them all can do with fewer.
int TIrTableFit::StabCount(int records) const {
  std::vector<std::pair<double, double>> spans;  // (high, low)
  for (int q = 0; q < records && q < m_signal.Size() - 1; ++q) {
    const double v = m_signal.values[static_cast<size_t>(q)];
    const double reach = kWindowShare * TIrCycleSignal::Tolerance(v) + 0.5;
    spans.emplace_back(std::clamp(v + reach, 1.0, 65535.0), std::clamp(v - reach, 1.0, 65535.0));
  }
  std::sort(spans.begin(), spans.end());
  int points = 0;
  double point = -1.0;
  for (const auto& [high, low] : spans) {
    if (points > 0 && low <= point) continue;
    point = high;
    ++points;
  }
  return points;
}

// ---- one value per level where the windows allow ----

std::vector<TIrTableFit::Entry> TIrTableFit::ShareByLevel(const std::vector<Window>& windows) const {
  std::vector<std::pair<int, int>> byLevel;  // (level, selector record)
  for (size_t q = 0; q < windows.size(); ++q) {
    if (windows[q].count > 0) byLevel.emplace_back(m_levels.LevelOf(static_cast<int>(q)), static_cast<int>(q));
  }
  std::sort(byLevel.begin(), byLevel.end());
  auto single = [&](int q) {
    const Window& w = windows[static_cast<size_t>(q)];
    return Entry{w.low, w.high, w.sum, w.count, q % 2 == 1, {q}, 0};
  };
  std::vector<Entry> out;
  for (size_t first = 0; first < byLevel.size();) {
    size_t end = first;
    Entry shared = single(byLevel[first].second);
    shared.selectors.clear();
    for (; end < byLevel.size() && byLevel[end].first == byLevel[first].first; ++end) {
      const Window& w = windows[static_cast<size_t>(byLevel[end].second)];
      shared.low = std::max(shared.low, w.low);
      shared.high = std::min(shared.high, w.high);
      if (end > first) {
        shared.sum += w.sum;
        shared.count += w.count;
      }
      shared.selectors.push_back(byLevel[end].second);
    }
    if (shared.low <= shared.high) {
      out.push_back(std::move(shared));
    } else {
      // The level's windows do not meet: each record keeps its own value.
      for (size_t i = first; i < end; ++i) out.push_back(single(byLevel[i].second));
    }
    first = end;
  }
  for (Entry& e : out) e.value = ValueIn(e.sum / e.count, e.low, e.high);
  return out;
}

// ---- fewer values when the table would overflow ----

// Groups the entries so that each group's windows share a point, with as
// few groups as possible: the first window to end fixes a point, every
// window that starts by then joins it.
std::vector<TIrTableFit::Entry> TIrTableFit::Stab(std::vector<Entry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
  });
  std::vector<Entry> out;
  std::vector<char> taken(entries.size(), 0);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (taken[i]) continue;
    Entry group = entries[i];
    taken[i] = 1;
    for (size_t j = i + 1; j < entries.size(); ++j) {
      if (taken[j] || entries[j].low > group.high) continue;
      taken[j] = 1;
      group.low = std::max(group.low, entries[j].low);
      group.high = std::min(group.high, entries[j].high);
      group.sum += entries[j].sum;
      group.count += entries[j].count;
      group.gap = group.gap || entries[j].gap;
      group.selectors.insert(group.selectors.end(), entries[j].selectors.begin(),
                             entries[j].selectors.end());
    }
    group.value = ValueIn(group.sum / group.count, group.low, group.high);
    out.push_back(std::move(group));
  }
  return out;
}

int TIrTableFit::DistinctValues(const std::vector<Entry>& entries) {
  std::vector<uint16_t> values;
  for (const Entry& e : entries) values.push_back(e.value);
  std::sort(values.begin(), values.end());
  return static_cast<int>(std::unique(values.begin(), values.end()) - values.begin());
}

// ---- table and selectors ----

void TIrTableFit::Encode(int header, int body, const std::vector<Entry>& entries,
                         TIrEncoding& out) const {
  out = TIrEncoding{};
  const int selectors = 2 * (header + body);
  std::vector<uint16_t> valueOf(static_cast<size_t>(selectors), 0);
  uint16_t longestGap = 0;
  uint16_t longest = 0;
  for (const Entry& e : entries) {
    out.times.push_back(e.value);
    longest = std::max(longest, e.value);
    if (e.gap) longestGap = std::max(longestGap, e.value);
    for (int q : e.selectors) valueOf[static_cast<size_t>(q)] = e.value;
  }
  std::sort(out.times.begin(), out.times.end());
  out.times.erase(std::unique(out.times.begin(), out.times.end()), out.times.end());
  // The final gap, when a selector names it, is played as the longest gap
  // the signal has (its own length is the learner's listening time).
  const int finalGap = m_signal.Size() - 1;
  if (finalGap < selectors) valueOf[static_cast<size_t>(finalGap)] = longestGap ? longestGap : longest;

  auto index = [&out](uint16_t value) {
    return static_cast<uint8_t>(std::lower_bound(out.times.begin(), out.times.end(), value) -
                                out.times.begin());
  };
  auto selector = [&](int q) {
    return static_cast<uint8_t>(index(valueOf[static_cast<size_t>(q)]) * 16 +
                                (index(valueOf[static_cast<size_t>(q) + 1]) & 0x0F));
  };
  for (int j = 0; j < header; ++j) out.header.push_back(selector(2 * j));
  for (int j = 0; j < body; ++j) out.body.push_back(selector(2 * header + 2 * j));
}

}  // namespace quillon
