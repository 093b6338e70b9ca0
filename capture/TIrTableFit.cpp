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
    : m_signal(signal), m_levels(levels), m_longGap(longGap) {}

TIrTableFit::Outcome TIrTableFit::Fit(int header, int body, TIrEncoding& out) const {
  std::vector<Entry> perSelector;
  if (!Windows(header, body, perSelector)) return Outcome::NoWindow;
  std::vector<Entry> entries = ShareByLevel(perSelector);
  if (DistinctValues(entries) > kMaxTimes) {
    entries = Stab(std::move(entries));
    if (DistinctValues(entries) > kMaxTimes) return Outcome::TooManyTimes;
  }
  Encode(header, body, entries, out);
  return Outcome::Fits;
}

// ---- the window of each selector record ----

// The window of a selector record is where a value lies within its share of
// the tolerance of the record itself and of every record played back from
// it. False when some window is empty.
bool TIrTableFit::Windows(int header, int body, std::vector<Entry>& perSelector) const {
  const int n = m_signal.Size();
  const int selectors = 2 * (header + body);
  for (int q = 0; q < selectors; ++q) {
    if (q == n - 1) continue;  // the final gap takes no entry of its own
    const double v = m_signal.values[static_cast<size_t>(q)];
    const double reach = kWindowShare * TIrCycleSignal::Tolerance(v);
    Entry e;
    e.low = v - reach;
    e.high = v + reach;
    e.sum = v;
    e.count = 1;
    e.gap = q % 2 == 1;
    e.selectors = {q};
    for (int p = q + 2 * body; q >= 2 * header && p < n - 1; p += 2 * body) {
      const double vp = m_signal.values[static_cast<size_t>(p)];
      e.sum += vp;
      e.count += 1;
      if (m_longGap > 0.0 && e.gap && vp >= m_longGap) continue;
      const double r = kWindowShare * TIrCycleSignal::Tolerance(vp);
      e.low = std::max(e.low, vp - r);
      e.high = std::min(e.high, vp + r);
    }
    if (e.low > e.high) return false;
    perSelector.push_back(std::move(e));
  }
  return true;
}

// ---- one value per level where the windows allow ----

std::vector<TIrTableFit::Entry> TIrTableFit::ShareByLevel(std::vector<Entry>& perSelector) const {
  std::map<int, std::vector<size_t>> byLevel;
  for (size_t i = 0; i < perSelector.size(); ++i) {
    byLevel[m_levels.LevelOf(perSelector[i].selectors.front())].push_back(i);
  }
  std::vector<Entry> out;
  for (const auto& [level, members] : byLevel) {
    Entry shared = perSelector[members.front()];
    for (size_t k = 1; k < members.size(); ++k) {
      const Entry& e = perSelector[members[k]];
      shared.low = std::max(shared.low, e.low);
      shared.high = std::min(shared.high, e.high);
      shared.sum += e.sum;
      shared.count += e.count;
      shared.selectors.push_back(e.selectors.front());
    }
    if (shared.low <= shared.high) {
      out.push_back(std::move(shared));
      continue;
    }
    // The level's windows do not meet: each record keeps its own value.
    for (size_t i : members) out.push_back(perSelector[i]);
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
