#pragma once
// Where a signal repeats: which records count as the same duration, and the
// header/body splits the signal allows. A split plays the header once and
// then the body over and over; it fits when every record from the body's
// start on equals the record one body length before it (the final gap is
// never compared: it runs until the learner stopped listening).
#include <vector>

#include "capture/TIrCycleSignal.h"
#include "capture/TIrLevels.h"

namespace quillon {

class TIrPeriodicity {
 public:
  // A split, both lengths in on/off pairs.
  struct Candidate {
    int header = 0;
    int body = 0;
  };

  // LONGGAP > 0 asks for the looser equality of a second search: levels
  // whose means lie close are equal, and so are any two gaps of at least
  // LONGGAP cycles.
  TIrPeriodicity(const TIrCycleSignal& signal, const TIrLevels& levels, double longGap);

  bool Equal(int p, int q) const;
  // One split per body length, the shortest header that length allows;
  // ordered by header + body, then by header. STRICTER, the splits of a
  // stricter equality on the same signal, saves comparing again what they
  // already found equal.
  std::vector<Candidate> Candidates(const std::vector<Candidate>& stricter = {}) const;

 private:
  const TIrCycleSignal& m_signal;
  const TIrLevels& m_levels;
  double m_longGap;
  std::vector<char> m_closeLevels;  // level x level, loose search only
};

}  // namespace quillon
