#pragma once
// The distinct durations of a signal: its burst lengths and its gap lengths,
// each sorted and grouped into levels of durations that a single time value
// can stand for. The final gap belongs to no level.
#include <vector>

#include "capture/TIrCycleSignal.h"

namespace quillon {

class TIrLevels {
 public:
  struct Level {
    bool gap = false;
    double low = 0.0;
    double high = 0.0;
    double mean = 0.0;
    int count = 0;
  };

  explicit TIrLevels(const TIrCycleSignal& signal);

  // The level of the record at POSITION; -1 for the final gap.
  int LevelOf(int position) const { return m_levelOf[static_cast<size_t>(position)]; }
  int Count() const { return static_cast<int>(m_levels.size()); }
  const Level& At(int level) const { return m_levels[static_cast<size_t>(level)]; }

 private:
  struct Member {
    double value;
    int position;
  };
  void Group(const TIrCycleSignal& signal, bool gaps);
  void Cut(const std::vector<Member>& sorted, size_t first, size_t end, bool gaps);
  void Add(const std::vector<Member>& sorted, size_t first, size_t end, bool gaps);

  std::vector<Level> m_levels;
  std::vector<int> m_levelOf;
};

}  // namespace quillon
