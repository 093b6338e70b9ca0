#pragma once
// The time table and selectors of one header/body split. Only the records
// the selectors name take part: each selector record stands for itself and
// for every record played back from it (its copies in later repeats of the
// body). Its value must lie within a window around each of them; the records
// of one level share a value where their windows meet.
#include <cstdint>
#include <utility>
#include <vector>

#include "capture/TIrCycleSignal.h"
#include "capture/TIrLevels.h"

namespace quillon {

// What one function stores of a signal: the time table and the selectors.
struct TIrEncoding {
  std::vector<uint16_t> times;  // carrier cycles, ascending
  std::vector<uint8_t> header;  // on index * 16 + off index
  std::vector<uint8_t> body;
};

class TIrTableFit {
 public:
  // TooLong: the table fits the limit of entries but not MOSTTIMES.
  enum class Outcome { Fits, NoWindow, TooManyTimes, TooLong };
  static constexpr int kMaxTimes = 15;

  // LONGGAP > 0: gaps of at least LONGGAP cycles played back from a
  // selector record do not narrow its window.
  TIrTableFit(const TIrCycleSignal& signal, const TIrLevels& levels, double longGap);

  // HEADER and BODY in pairs; header + body must not run past the signal.
  // MOSTTIMES, at most kMaxTimes, is the longest table the caller can use:
  // with less than kMaxTimes, a split that overflows the table may be told
  // TooLong rather than TooManyTimes.
  Outcome Fit(int header, int body, int mostTimes, TIrEncoding& out) const;

 private:
  // Where the value of one selector record may lie, and what it stands for.
  struct Window {
    double low = 0.0;
    double high = 0.0;
    double sum = 0.0;
    int count = 0;  // 0: the final gap, which takes no entry of its own
  };
  // The values that share one table entry.
  struct Entry {
    double low = 0.0;
    double high = 0.0;
    double sum = 0.0;
    int count = 0;
    bool gap = false;
    uint16_t value = 0;
  };
  bool Windows(int header, int body, std::vector<Window>& windows) const;
  const std::vector<std::pair<int, int>>& SelectorsByLevel(const std::vector<Window>& windows) const;
  void ShareByLevel(const std::vector<Window>& windows, const std::vector<std::pair<int, int>>& byLevel,
                    std::vector<Entry>& entries) const;
  void Stab(std::vector<Entry>& entries) const;
  int DistinctValues(const std::vector<Entry>& entries) const;
  void Encode(int header, int body, const std::vector<Entry>& entries, TIrEncoding& out) const;
  int LeastValues(const std::vector<Window>& windows, const std::vector<std::pair<int, int>>& byLevel) const;
  void AddSpan(double low, double high) const;
  int PointsToStab(int limit) const;
  // PointsToStab's count over SPANS, (high, low) in the order they end.
  static int StabInOrder(const std::vector<std::pair<double, double>>& spans, int limit);
  void LimitSelectors() const;

  const TIrCycleSignal& m_signal;
  double m_longGap;
  // Splits naming more records overflow the table whatever they choose;
  // worked out after the first overflow.
  mutable int m_mostSelectors = 0;
  mutable bool m_limited = false;
  // Scratch of one fit, kept to spare an allocation per split.
  std::vector<std::pair<int, int>> m_byLevel;  // (level, record) of every record, ordered
  mutable std::vector<Window> m_windows;
  mutable std::vector<std::pair<int, int>> m_selectorsByLevel;
  mutable std::vector<Entry> m_entries;
  mutable std::vector<int> m_entryOf;  // entry of each selector record, -1 for none
  mutable std::vector<int> m_order;
  mutable std::vector<Entry> m_groups;
  mutable std::vector<int> m_groupOf;
  mutable std::vector<uint16_t> m_values;
  mutable std::vector<std::pair<double, double>> m_spans;  // (high, low)
};

}  // namespace quillon
