#pragma once
// The time table and selectors of one header/body split. Only the records
// the selectors name take part: each selector record stands for itself and
// for every record played back from it (its copies in later repeats of the
// body). Its value must lie within a window around each of them; the records
// of one level share a value where their windows meet.
#include <cstdint>
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
  enum class Outcome { Fits, NoWindow, TooManyTimes };
  static constexpr int kMaxTimes = 15;

  // LONGGAP > 0: gaps of at least LONGGAP cycles played back from a
  // selector record do not narrow its window.
  TIrTableFit(const TIrCycleSignal& signal, const TIrLevels& levels, double longGap);

  // HEADER and BODY in pairs; header + body must not run past the signal.
  Outcome Fit(int header, int body, TIrEncoding& out) const;

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
    std::vector<int> selectors;  // selector records
    uint16_t value = 0;
  };
  bool Windows(int header, int body, std::vector<Window>& windows) const;
  std::vector<Entry> ShareByLevel(const std::vector<Window>& windows) const;
  static std::vector<Entry> Stab(std::vector<Entry> entries);
  static int DistinctValues(const std::vector<Entry>& entries);
  void Encode(int header, int body, const std::vector<Entry>& entries, TIrEncoding& out) const;
  int StabCount(int records) const;
  void LimitSelectors() const;

  const TIrCycleSignal& m_signal;
  const TIrLevels& m_levels;
  double m_longGap;
  // Splits naming more records overflow the table whatever they choose;
  // worked out after the first overflow.
  mutable int m_mostSelectors = 0;
  mutable bool m_limited = false;
};

}  // namespace quillon
