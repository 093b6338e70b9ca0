#include "capture/TIrCaptureAnalyser.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <vector>

#include "capture/TIrSample.h"
#include "capture/TIrSampleDeque.h"

namespace quillon {
namespace {

uint32_t ReadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint16_t ReadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool IsBurst(const TIrRecord& r) { return r.marker != 0; }

struct BurstStats {
  uint64_t sum = 0;
  uint32_t count = 0;
  uint32_t largest = 0;
  uint32_t smallest = 0xFFFFFFFFu;
};

BurstStats CountBursts(const std::vector<TIrRecord>& records, size_t count) {
  BurstStats s;
  for (size_t i = 0; i < count; ++i) {
    if (!IsBurst(records[i])) continue;
    const uint32_t t = records[i].value;
    s.sum += t;
    s.count += 1;
    s.largest = std::max(s.largest, t);
    s.smallest = std::min(s.smallest, t);
  }
  return s;
}

// Merges gaps shorter than a carrier period into the neighbouring burst (a
// pulse the learner missed), in one pass that compacts the records.
std::vector<TIrRecord> RepairGlitches(std::vector<TIrRecord> in) {
  std::vector<TIrRecord> out;
  out.reserve(in.size());
  for (size_t c = 0; c < in.size(); ++c) {
    const TIrRecord cur = in[c];
    if (!IsBurst(cur) && !out.empty() && c + 1 < in.size()) {
      TIrRecord& p = out.back();
      TIrRecord& n = in[c + 1];
      const bool pGap = !IsBurst(p);
      const bool nGap = !IsBurst(n);
      if (pGap != nGap) {
        if (!pGap) {
          if (cur.value < p.value) {
            p.value = static_cast<uint32_t>(
                ((uint64_t{p.marker} + 1) * p.value + cur.value) / (uint64_t{p.marker} + 2));
            p.marker = static_cast<uint16_t>(p.marker + 1);
            continue;  // n is examined next in the ordinary way
          }
          p.marker = static_cast<uint16_t>(p.marker + 1);
          n.value += cur.value - p.value;
        } else {
          if (cur.value < n.value) {
            n.value = static_cast<uint32_t>(
                ((uint64_t{n.marker} + 1) * n.value + cur.value) / (uint64_t{n.marker} + 2));
            n.marker = static_cast<uint16_t>(n.marker + 1);
          } else {
            n.marker = static_cast<uint16_t>(n.marker + 1);
            p.value += cur.value - n.value;
          }
        }
        out.push_back(n);  // n is kept without being examined
        ++c;
        continue;
      }
    }
    out.push_back(cur);
  }
  return out;
}

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
  result.modulated = true;
  // Too short to hold the record count: the size cannot match any count.
  if (!buffer || byteCount < 4) return kBadBufferSize;
  const uint32_t total = ReadBE32(buffer);
  if (total < 1) return kTimeout;
  if (static_cast<uint64_t>(byteCount) != 4 + 6 * uint64_t{total}) return kBadBufferSize;

  // Record 0 is not part of the signal.
  std::vector<TIrRecord> records;
  records.reserve(total - 1);
  for (uint32_t i = 1; i < total; ++i) {
    const uint8_t* r = buffer + 4 + 6 * size_t{i};
    records.push_back(TIrRecord{ReadBE16(r), ReadBE32(r + 2)});
  }

  // Leading discard: the signal starts at the first burst with enough
  // pulses; when there is none the threshold is lowered (and the capture is
  // then taken as unmodulated) until one is found.
  size_t start = 0;
  int threshold = m_settings.leading_discard_threshold;
  if (threshold >= 1) {
    for (;;) {
      auto it = std::find_if(records.begin(), records.end(), [threshold](const TIrRecord& r) {
        return static_cast<int>(r.marker) >= threshold;
      });
      if (it != records.end()) {
        start = static_cast<size_t>(it - records.begin());
        break;
      }
      if (threshold <= 1) {
        start = records.size();
        break;
      }
      threshold -= 1;
      result.modulated = false;
    }
  }
  std::vector<TIrRecord> rec =
      RepairGlitches(std::vector<TIrRecord>(records.begin() + static_cast<std::ptrdiff_t>(start),
                                            records.end()));
  size_t m = rec.size();

  // Parity scan. Every failing position is kept: a capture is refused when
  // any position before the last one fails, not only when the last failure
  // does (a record slipped in mid-signal makes the final record fail too).
  std::vector<size_t> parityFailures;
  for (size_t i = 0; i < m; ++i) {
    if (IsBurst(rec[i]) != (i % 2 == 0)) parityFailures.push_back(i);
  }

  BurstStats stats = CountBursts(rec, m);
  bool dropped = false;
  while (m > 1) {
    if (IsBurst(rec[m - 1]) || !IsBurst(rec[m - 2])) {
      --m;
      dropped = true;
      continue;
    }
    break;
  }
  if (dropped) stats = CountBursts(rec, m);

  if (m < 1) return kNoValidSamples;
  for (size_t failure : parityFailures) {
    if (failure + 1 < m) return kParityError;
  }
  if (stats.count == 0) return kBadCarrierCount;

  const uint64_t period = stats.sum / stats.count;
  const uint64_t deviation = std::max(uint64_t{stats.largest} - period, period - stats.smallest);
  result.divider = static_cast<uint16_t>(period & 0xFFFF);
  const uint64_t periodLow = period % 65536;
  // A period whose low 16 bits are 0 gives no carrier at all.
  if (periodLow == 0) return kCarrierOutOfRange;
  const int64_t carrier = static_cast<int64_t>(66000000 / periodLow);
  if (carrier < m_settings.min_carrier || carrier > m_settings.max_carrier) return kCarrierOutOfRange;

  const float moe = static_cast<float>(static_cast<double>(deviation) / (static_cast<double>(period) * 0.01));
  if (moe > m_settings.max_moe) return kExcessiveVariation;

  for (size_t i = 0; i < m; ++i) {
    if (IsBurst(rec[i])) {
      rec[i].value = rec[i].marker;
      rec[i].marker = 1;
    } else {
      rec[i].value = static_cast<uint32_t>(rec[i].value / period);
      rec[i].marker = 0;
    }
  }

  TIrSampleDeque samples;
  samples.SetPercentTolerance(moe * m_settings.moe_scalar);
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
  // Without the carrier field there is not a single interval.
  if (!buffer || byteCount < 4) return kInsufficientSamples;
  const uint32_t carrier = ReadBE32(buffer);
  if (carrier == 0 || static_cast<int64_t>(carrier) < m_settings.min_carrier ||
      static_cast<int64_t>(carrier) > m_settings.max_carrier) {
    return kCarrierOutOfRange;
  }
  result.modulated = true;
  result.divider = static_cast<uint16_t>((66000000u / carrier) & 0xFFFF);
  const float ticksPerCycle = static_cast<float>((1.0 / carrier) / 0.000008);
  if (ticksPerCycle < 1.0f) return kCarrierOutOfRange;

  const int stamps = std::min((byteCount - 4) / 2, kHalvarStamps);
  std::vector<int32_t> stamp(static_cast<size_t>(stamps));
  for (int k = 0; k < stamps; ++k) stamp[static_cast<size_t>(k)] = ReadBE16(buffer + 4 + 2 * k);
  TIrRecord* rec = result.halvar_records.data();
  result.halvar_records.fill(TIrRecord{});

  float lowest = 100.0f;
  int intervals = 0;
  for (int k = 0; k + 1 < stamps; ++k) {
    const int32_t a = stamp[static_cast<size_t>(k)];
    int32_t b = stamp[static_cast<size_t>(k) + 1];
    if (a == 0 && b == 0) break;
    if (b < a) b += 65536;
    const int32_t d = b - a;
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
    intervals = k + 1;
  }

  if (intervals == kHalvarStamps - 1) intervals = kHalvarStamps - 2;
  if (intervals < 2) return kInsufficientSamples;
  if (intervals % 2 != 0) return kParityError;

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
