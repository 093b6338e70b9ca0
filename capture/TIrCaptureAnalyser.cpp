#include "capture/TIrCaptureAnalyser.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <vector>

#include "capture/TIrCaptureFrontEnd.h"
#include "capture/TIrSample.h"
#include "capture/TIrSampleDeque.h"

namespace quillon {
namespace {

// Looks for a body that repeats back to back when no repeat gap was found.
bool FindRepeatFallback(const TIrRecord* rec, int n, int& bodyStart, int& bodyLength) {
  for (int s = 0; s < n - 1; s += 2) {
    for (int len = 2; s + len <= n - 1; len += 2) {
      if (s + 2 * len > n - 1 || len > 510) break;  // only grows with len
      const int copies = (n - 1 - s) / len;
      if (copies < 2) continue;
      int equal = 1;
      for (int k = 1; k < copies; ++k) {
        bool same = true;
        for (int j = 0; j < len; ++j) {
          if (rec[s + k * len + j].value != rec[s + j].value) {
            same = false;
            break;
          }
        }
        if (!same) break;
        ++equal;
      }
      if (equal == copies || (equal == copies - 1 && copies >= 3)) {
        bodyStart = s;
        bodyLength = len;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

int32_t TIrCaptureAnalyser::Analyse(TIrCaptureKind kind, const uint8_t* buffer, int32_t byteCount,
                                    TIrCaptureResult& result) const {
  return kind == TIrCaptureKind::Halvar ? AnalyseHalvar(buffer, byteCount, result)
                                        : AnalyseQVX(buffer, byteCount, result);
}

int32_t TIrCaptureAnalyser::AnalyseQVX(const uint8_t* buffer, int32_t byteCount,
                                       TIrCaptureResult& result) const {
  result.ClearOutput();
  const int32_t code = RunQVX(buffer, byteCount, result);
  result.SetResult(code);
  return code;
}

int32_t TIrCaptureAnalyser::AnalyseHalvar(const uint8_t* buffer, int32_t byteCount,
                                          TIrCaptureResult& result) const {
  result.ClearOutput();
  const int32_t code = RunHalvar(buffer, byteCount, result);
  result.SetResult(code);
  return code;
}

int32_t TIrCaptureAnalyser::RunQVX(const uint8_t* buffer, int32_t byteCount,
                                   TIrCaptureResult& result) const {
  TIrQvxSignal signal;
  if (const int32_t code = TIrCaptureFrontEnd::ReadQVX(buffer, byteCount, m_settings, result, signal)) {
    return code;
  }
  std::vector<TIrRecord>& rec = signal.records;
  const size_t m = rec.size();
  // Bursts count their pulses, gaps whole carrier periods (truncated).
  for (size_t i = 0; i < m; ++i) {
    if (rec[i].marker != 0) {
      rec[i].value = rec[i].marker;
      rec[i].marker = 1;
    } else {
      rec[i].value = static_cast<uint32_t>(rec[i].value / signal.period);
      rec[i].marker = 0;
    }
  }

  TIrSampleDeque samples;
  samples.SetPercentTolerance(signal.moe * m_settings.moe_scalar);
  samples.SetAbsoluteToleranceEnabled(false);
  for (size_t i = 0; i < m; ++i) samples.AddValue(rec[i].value);
  samples.NormaliseAndSort();
  samples.Merge(1, 5.0f);
  if (!m_brief) {
    samples.Merge(2, 7.5f);
    samples.Merge(2, 7.5f);
  }
  return Finish(rec.data(), static_cast<int>(m), samples, false, result);
}

int32_t TIrCaptureAnalyser::RunHalvar(const uint8_t* buffer, int32_t byteCount,
                                      TIrCaptureResult& result) const {
  TIrHalvarSignal signal;
  if (const int32_t code =
          TIrCaptureFrontEnd::ReadHalvar(buffer, byteCount, m_settings, result, signal)) {
    return code;
  }
  // Whole carrier cycles (truncated), and the smallest share of its true
  // length an interval can be sure of with the stamps 2 ticks off either way.
  const float ticksPerCycle = signal.ticks_per_cycle;
  TIrRecord* rec = result.halvar_records.data();
  float lowest = 100.0f;
  const int read = static_cast<int>(signal.ticks.size());
  for (int k = 0; k < read; ++k) {
    const int32_t d = signal.ticks[static_cast<size_t>(k)];
    const uint32_t cycles = static_cast<uint32_t>(static_cast<float>(d) / ticksPerCycle);
    const float low = static_cast<float>(d - 2) / ticksPerCycle;
    const float high = static_cast<float>(d + 2) / ticksPerCycle;
    const float upper = static_cast<float>(cycles * 100) / high;
    if (upper < lowest) lowest = upper;
    if (cycles != 0) {
      const float lower = low * 100.0f / static_cast<float>(cycles);
      if (lower < lowest) lowest = lower;
    } else if (low < 0.0f) {
      // An interval shorter than a carrier cycle: the margin is unbounded.
      lowest = -std::numeric_limits<float>::infinity();
    }
    rec[k].marker = 0;
    rec[k].value = cycles;
  }

  int intervals = 0;
  if (const int32_t code = TIrCaptureFrontEnd::CountHalvarIntervals(read, intervals)) return code;

  const float moe = 100.0f - lowest;
  if (moe > m_settings.max_moe) return kExcessiveVariation;

  TIrSampleDeque samples;
  samples.SetPercentTolerance(moe * m_settings.moe_scalar);
  samples.SetAbsoluteToleranceEnabled(true);
  samples.SetAbsoluteTolerance(2);
  for (int k = 0; k < intervals; ++k) samples.AddValue(rec[k].value);
  samples.NormaliseAndSort();
  samples.Merge(1, 5.0f);
  samples.Merge(2, 10.0f);
  samples.Merge(3, 5.0f);
  return Finish(rec, intervals, samples, true, result);
}

int32_t TIrCaptureAnalyser::Finish(TIrRecord* rec, int n, TIrSampleDeque& samples, bool halvar,
                                   TIrCaptureResult& result) const {
  // Repeat-gap search: from the longest duration down, the first value that
  // recurs at gap positions with constant spacing is the gap between repeats.
  int64_t gapValue = -1;
  int first = -1;
  int spacing = 0;
  int bodyLength = 0;
  TIrSample* trailing = nullptr;
  for (int ci = samples.GetCount() - 1; ci >= 0; --ci) {
    const uint32_t v = samples.ValueAt(ci);
    int all = 0, odd = 0, f = -1, last = -1;
    int minDistance = INT_MAX, maxDistance = 0;
    for (int p = 0; p < n; ++p) {
      if (rec[p].value != v) continue;
      ++all;
      if (p % 2 == 0) continue;
      ++odd;
      if (last >= 0) {
        minDistance = std::min(minDistance, p - last);
        maxDistance = std::max(maxDistance, p - last);
      } else {
        f = p;
      }
      last = p;
    }
    if (all == 0) {
      samples.EraseAt(ci);
      continue;
    }
    if (odd == 1) {
      if (f == n - 1 && !trailing) {
        trailing = samples.SampleAt(ci);
        continue;
      }
      break;
    }
    if (odd >= 2) {
      if (minDistance == maxDistance) {
        gapValue = v;
        first = f;
        spacing = bodyLength = minDistance;
      }
      break;
    }
  }

  if (gapValue >= 0 && spacing < 512) {
    // A body may span several repeat gaps: try multiples of the spacing.
    const int a = first + 1;
    const bool hasH = a >= spacing;
    const int h = a - spacing;
    auto blockRepeats = [&](int from, int len) {
      for (int k = 0; k < len; ++k) {
        const int p2 = from + len + k;
        if (p2 >= n) return false;
        if (rec[from + k].value != rec[p2].value) return false;
      }
      return true;
    };
    for (int len = spacing; len < 512 && first + len < n; len += spacing) {
      if (hasH && blockRepeats(h, len)) {
        bodyLength = len;
        break;
      }
      if (blockRepeats(a, len)) {
        bodyLength = len;
        break;
      }
    }
  }

  if (gapValue >= 0 && trailing) {
    // The last gap runs until the learner stops listening: it is one more
    // repeat gap, not a duration of its own.
    rec[n - 1].value = static_cast<uint32_t>(gapValue);
    for (int ci = 0; ci < samples.GetCount(); ++ci) {
      if (samples.SampleAt(ci) == trailing) {
        samples.EraseAt(ci);
        break;
      }
    }
  }

  // Time table.
  if (samples.GetCount() > TIrCaptureResult::kMaxTimes) return kTooManyTimes;
  const int timeCount = samples.GetCount();
  for (int i = 0; i < timeCount; ++i) {
    result.times[static_cast<size_t>(i)] = static_cast<uint16_t>(samples.ValueAt(i) & 0xFFFF);
  }
  result.time_count = timeCount;
  for (int i = 0; i < timeCount; ++i) {
    if (result.times[static_cast<size_t>(i)] == 0) return kInvalidTimeValue;
  }

  // Header/body split.
  int headerLength = 0;
  if (gapValue < 0) {
    int start = 0;
    if (!FindRepeatFallback(rec, n, start, bodyLength)) return kInsufficientSamples;
    headerLength = start;
  } else {
    const int a = first + 1;
    headerLength = a;
    if (a >= spacing) {
      // The frame before the first repeat gap joins the body when it is close
      // enough to the repeated part.
      const int h = a - spacing;
      const int b = halvar ? a : h + bodyLength;
      bool fails = false;
      for (int k = 0; k < bodyLength && !fails; ++k) {
        const int p1 = h + k;
        const int p2 = b + k;
        if (p1 >= n || p2 >= n) {
          fails = true;
          break;
        }
        const uint32_t x = rec[p1].value;
        const uint32_t y = rec[p2].value;
        if (x == y) continue;
        const int64_t lo = std::min(x, y);
        const int64_t hi = std::max(x, y);
        if (lo * 100 / hi < 100 - m_settings.head_body_deviation) fails = true;
      }
      if (!fails) headerLength = h;
    }
  }
  const int bodyStart = headerLength;

  if (headerLength > 510) return kHeaderTooLong;
  if (bodyLength > 510) return kBodyTooLong;
  if (headerLength + bodyLength >= 1021) return kFunctionTooLong;
  const int headerPairs = headerLength / 2;
  const int bodyPairs = bodyLength / 2;
  if (10 + bodyPairs + 2 * timeCount + headerPairs >= 256) return kFunctionTooLong;

  auto indexAt = [&](int position) -> int {
    if (position < 0 || position >= n) return -1;
    return samples.IndexOf(rec[position].value);
  };
  auto selector = [&](int position, uint8_t& out) {
    const int on = indexAt(position);
    const int off = indexAt(position + 1);
    if (on < 0 || off < 0) return false;
    out = static_cast<uint8_t>(on * 16 + (off & 0x0F));
    return true;
  };
  for (int j = 0; j < headerPairs; ++j) {
    if (!selector(2 * j, result.header_selectors[static_cast<size_t>(j)])) return kMissingTimeValue;
  }
  for (int j = 0; j < bodyPairs; ++j) {
    if (!selector(bodyStart + 2 * j, result.body_selectors[static_cast<size_t>(j)])) {
      return kMissingTimeValue;
    }
  }
  result.header_count = headerPairs;
  result.body_count = bodyPairs;
  return kSuccess;
}

}  // namespace quillon
