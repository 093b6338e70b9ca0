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
    : m_signal(signal), m_longGap(longGap), m_mostSelectors(signal.Size()) {
  for (int q = 0; q < signal.Size(); ++q) m_byLevel.emplace_back(levels.LevelOf(q), q);
  std::sort(m_byLevel.begin(), m_byLevel.end());
}

TIrTableFit::Outcome TIrTableFit::Fit(int header, int body, int mostTimes, TIrEncoding& out) const {
  const int selectors = 2 * (header + body);
  if (selectors > m_mostSelectors) return Outcome::TooManyTimes;
  std::vector<Window>& windows = m_windows;
  if (!Windows(header, body, windows)) return Outcome::NoWindow;
  // Most splits of a signal that cannot be stored overflow the table: they
  // are told apart before any entry is built.
  const std::vector<std::pair<int, int>>& byLevel = SelectorsByLevel(windows);
  const int least = LeastValues(windows, byLevel);
  if (least > kMaxTimes) {
    LimitSelectors();
    return Outcome::TooManyTimes;
  }
  if (least > mostTimes) return Outcome::TooLong;
  std::vector<Entry>& entries = m_entries;
  ShareByLevel(windows, byLevel, entries);
  int distinct = DistinctValues(entries);
  if (distinct > kMaxTimes) {
    Stab(entries);
    distinct = DistinctValues(entries);
    if (distinct > kMaxTimes) {
      LimitSelectors();
      return Outcome::TooManyTimes;
    }
  }
  if (distinct > mostTimes) return Outcome::TooLong;
  Encode(header, body, entries, out);
  return Outcome::Fits;
}

// Once a table overflows, the splits that cannot but overflow are found at
// once: the fewest values that can lie in the windows of the first records
// themselves (each widened by the rounding of a value) only grow with the
// records counted, and no split naming them all can do with fewer; so the
// last count that still fits is found by bisection.
void TIrTableFit::LimitSelectors() const {
  if (m_limited) return;
  m_limited = true;
  m_spans.clear();
  for (int q = 0; q < m_signal.Size() - 1; ++q) {
    const double v = m_signal.values[static_cast<size_t>(q)];
    const double reach = kWindowShare * TIrCycleSignal::Tolerance(v) + 0.5;
    AddSpan(v - reach, v + reach);
  }
  std::vector<int> order(m_spans.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::sort(order.begin(), order.end(), [this](int a, int b) {
    return m_spans[static_cast<size_t>(a)].first < m_spans[static_cast<size_t>(b)].first;
  });
  // The spans of the records before RECORDS, in the order they end.
  std::vector<std::pair<double, double>> prefix;
  auto fewest = [&](int records) {
    prefix.clear();
    for (const int q : order) {
      if (q < records) prefix.push_back(m_spans[static_cast<size_t>(q)]);
    }
    return StabInOrder(prefix, kMaxTimes + 1);
  };
  int fits = 0;
  int fails = m_signal.Size() + 1;
  while (fails - fits > 1) {
    const int mid = (fits + fails) / 2;
    (fewest(mid) <= kMaxTimes ? fits : fails) = mid;
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
  windows.resize(static_cast<size_t>(selectors));
  for (int q = 0; q < selectors; ++q) {
    if (q == n - 1) {
      windows[static_cast<size_t>(q)] = Window{};  // the final gap takes no entry of its own
      continue;
    }
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

// The fewest values a split with these WINDOWS can store. Every value stored
// for a selector record lies in the window of its entry of the sharing by
// level (grouping entries only narrows it), to within the half cycle of
// rounding and within what a table entry holds; so the values stab the
// widened windows of those entries.
int TIrTableFit::LeastValues(const std::vector<Window>& windows,
                             const std::vector<std::pair<int, int>>& byLevel) const {
  m_spans.clear();
  for (size_t first = 0; first < byLevel.size();) {
    size_t end = first;
    double low = windows[static_cast<size_t>(byLevel[first].second)].low;
    double high = windows[static_cast<size_t>(byLevel[first].second)].high;
    for (; end < byLevel.size() && byLevel[end].first == byLevel[first].first; ++end) {
      const Window& w = windows[static_cast<size_t>(byLevel[end].second)];
      low = std::max(low, w.low);
      high = std::min(high, w.high);
    }
    if (low <= high) {
      AddSpan(low - 0.5, high + 0.5);
    } else {
      for (size_t i = first; i < end; ++i) {
        const Window& w = windows[static_cast<size_t>(byLevel[i].second)];
        AddSpan(w.low - 0.5, w.high + 0.5);
      }
    }
    first = end;
  }
  return PointsToStab(kMaxTimes + 1);
}

void TIrTableFit::AddSpan(double low, double high) const {
  m_spans.emplace_back(std::clamp(high, 1.0, 65535.0), std::clamp(low, 1.0, 65535.0));
}

// The fewest points that lie in every span collected, counted up to LIMIT:
// the first span to end fixes a point, every span that starts by then holds
// it.
int TIrTableFit::PointsToStab(int limit) const {
  // Spans ending together are stabbed together whatever their order.
  std::sort(m_spans.begin(), m_spans.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return StabInOrder(m_spans, limit);
}

int TIrTableFit::StabInOrder(const std::vector<std::pair<double, double>>& spans, int limit) {
  int points = 0;
  double point = -1.0;
  for (const auto& [high, low] : spans) {
    if (points > 0 && low <= point) continue;
    if (++points >= limit) break;
    point = high;
  }
  return points;
}

// ---- one value per level where the windows allow ----

// The selector records that take an entry, as (level, record), ordered.
const std::vector<std::pair<int, int>>& TIrTableFit::SelectorsByLevel(const std::vector<Window>& windows) const {
  m_selectorsByLevel.clear();
  for (const auto& [level, q] : m_byLevel) {
    if (static_cast<size_t>(q) < windows.size() && windows[static_cast<size_t>(q)].count > 0) {
      m_selectorsByLevel.emplace_back(level, q);
    }
  }
  return m_selectorsByLevel;
}

// Fills ENTRIES, and the entry of each selector record.
void TIrTableFit::ShareByLevel(const std::vector<Window>& windows, const std::vector<std::pair<int, int>>& byLevel,
                               std::vector<Entry>& entries) const {
  entries.clear();
  m_entryOf.assign(windows.size(), -1);
  auto single = [&](int q) {
    const Window& w = windows[static_cast<size_t>(q)];
    m_entryOf[static_cast<size_t>(q)] = static_cast<int>(entries.size());
    entries.push_back(Entry{w.low, w.high, w.sum, w.count, q % 2 == 1, 0});
  };
  for (size_t first = 0; first < byLevel.size();) {
    const int head = byLevel[first].second;
    const Window& w0 = windows[static_cast<size_t>(head)];
    Entry shared{w0.low, w0.high, w0.sum, w0.count, head % 2 == 1, 0};
    size_t end = first;
    for (; end < byLevel.size() && byLevel[end].first == byLevel[first].first; ++end) {
      const Window& w = windows[static_cast<size_t>(byLevel[end].second)];
      shared.low = std::max(shared.low, w.low);
      shared.high = std::min(shared.high, w.high);
      if (end > first) {
        shared.sum += w.sum;
        shared.count += w.count;
      }
    }
    if (shared.low <= shared.high) {
      for (size_t i = first; i < end; ++i) {
        m_entryOf[static_cast<size_t>(byLevel[i].second)] = static_cast<int>(entries.size());
      }
      entries.push_back(shared);
    } else {
      // The level's windows do not meet: each record keeps its own value.
      for (size_t i = first; i < end; ++i) single(byLevel[i].second);
    }
    first = end;
  }
  for (Entry& e : entries) e.value = ValueIn(e.sum / e.count, e.low, e.high);
}

// ---- fewer values when the table would overflow ----

// Groups the entries so that each group's windows share a point, with as
// few groups as possible: the first window to end fixes a point, every
// window that starts by then joins it. The groups replace the entries.
void TIrTableFit::Stab(std::vector<Entry>& entries) const {
  std::vector<int>& order = m_order;
  order.resize(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&entries](int x, int y) {
    const Entry& a = entries[static_cast<size_t>(x)];
    const Entry& b = entries[static_cast<size_t>(y)];
    return a.high != b.high ? a.high < b.high : a.low < b.low;
  });
  std::vector<Entry>& groups = m_groups;
  groups.clear();
  std::vector<int>& groupOf = m_groupOf;
  groupOf.assign(entries.size(), -1);
  for (size_t i = 0; i < order.size(); ++i) {
    const auto first = static_cast<size_t>(order[i]);
    if (groupOf[first] >= 0) continue;
    Entry group = entries[first];
    groupOf[first] = static_cast<int>(groups.size());
    for (size_t j = i + 1; j < order.size(); ++j) {
      const auto k = static_cast<size_t>(order[j]);
      const Entry& e = entries[k];
      if (groupOf[k] >= 0 || e.low > group.high) continue;
      groupOf[k] = static_cast<int>(groups.size());
      group.low = std::max(group.low, e.low);
      group.high = std::min(group.high, e.high);
      group.sum += e.sum;
      group.count += e.count;
      group.gap = group.gap || e.gap;
    }
    group.value = ValueIn(group.sum / group.count, group.low, group.high);
    groups.push_back(group);
  }
  for (int& entry : m_entryOf) {
    if (entry >= 0) entry = groupOf[static_cast<size_t>(entry)];
  }
  entries.swap(groups);
}

int TIrTableFit::DistinctValues(const std::vector<Entry>& entries) const {
  std::vector<uint16_t>& values = m_values;
  values.clear();
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
  }
  for (int q = 0; q < selectors; ++q) {
    const int entry = m_entryOf[static_cast<size_t>(q)];
    if (entry >= 0) valueOf[static_cast<size_t>(q)] = entries[static_cast<size_t>(entry)].value;
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
