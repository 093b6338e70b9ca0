#include "capture/TIrCaptureFrontEnd.h"

#include <algorithm>

#include "capture/TIrCaptureAnalyser.h"

namespace quillon {
namespace {

using Code = TIrCaptureAnalyser::ResultCode;

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

// Leading discard: the signal starts at the first burst with enough pulses;
// when there is none the threshold is lowered (and the capture is then taken
// as unmodulated) until one is found. Returns where the signal starts.
size_t LeadingDiscard(const std::vector<TIrRecord>& records, int threshold,
                      TIrCaptureResult& result) {
  if (threshold < 1) return 0;
  for (;;) {
    auto it = std::find_if(records.begin(), records.end(), [threshold](const TIrRecord& r) {
      return static_cast<int>(r.marker) >= threshold;
    });
    if (it != records.end()) return static_cast<size_t>(it - records.begin());
    if (threshold <= 1) return records.size();
    threshold -= 1;
    result.modulated = false;
  }
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

// Parity scan, trailing trim and the refusals that follow from them. Every
// failing position is kept: a capture is refused when any position before
// the last one fails, not only when the last failure does (a record slipped
// in mid-signal makes the final record fail too).
int32_t TrimAndCheck(std::vector<TIrRecord>& rec, BurstStats& stats) {
  size_t m = rec.size();
  std::vector<size_t> parityFailures;
  for (size_t i = 0; i < m; ++i) {
    if (IsBurst(rec[i]) != (i % 2 == 0)) parityFailures.push_back(i);
  }
  stats = CountBursts(rec, m);
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
  rec.resize(m);

  if (m < 1) return Code::kNoValidSamples;
  for (size_t failure : parityFailures) {
    if (failure + 1 < m) return Code::kParityError;
  }
  if (stats.count == 0) return Code::kBadCarrierCount;
  return Code::kSuccess;
}

}  // namespace

int32_t TIrCaptureFrontEnd::ReadQVX(const uint8_t* buffer, int32_t byteCount,
                                    const TIrCaptureSettings& settings, TIrCaptureResult& result,
                                    TIrQvxSignal& signal) {
  result.modulated = true;
  // Too short to hold the record count: the size cannot match any count.
  if (!buffer || byteCount < 4) return Code::kBadBufferSize;
  const uint32_t total = ReadBE32(buffer);
  if (total < 1) return Code::kTimeout;
  if (static_cast<uint64_t>(byteCount) != 4 + 6 * uint64_t{total}) return Code::kBadBufferSize;

  // Record 0 is not part of the signal.
  std::vector<TIrRecord> records;
  records.reserve(total - 1);
  for (uint32_t i = 1; i < total; ++i) {
    const uint8_t* r = buffer + 4 + 6 * size_t{i};
    records.push_back(TIrRecord{ReadBE16(r), ReadBE32(r + 2)});
  }
  const size_t start = LeadingDiscard(records, settings.leading_discard_threshold, result);
  signal.skipped_burst = std::any_of(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(start),
                                     [](const TIrRecord& r) { return IsBurst(r); });
  signal.records = RepairGlitches(
      std::vector<TIrRecord>(records.begin() + static_cast<std::ptrdiff_t>(start), records.end()));

  BurstStats stats;
  if (const int32_t code = TrimAndCheck(signal.records, stats)) return code;

  const uint64_t period = stats.sum / stats.count;
  const uint64_t deviation = std::max(uint64_t{stats.largest} - period, period - stats.smallest);
  result.divider = static_cast<uint16_t>(period & 0xFFFF);
  const uint64_t periodLow = period % 65536;
  // A period whose low 16 bits are 0 gives no carrier at all.
  if (periodLow == 0) return Code::kCarrierOutOfRange;
  const int64_t carrier = static_cast<int64_t>(66000000 / periodLow);
  if (carrier < settings.min_carrier || carrier > settings.max_carrier) {
    return Code::kCarrierOutOfRange;
  }
  signal.period = period;
  signal.moe = static_cast<float>(static_cast<double>(deviation) /
                                  (static_cast<double>(period) * 0.01));
  if (signal.moe > settings.max_moe) return Code::kExcessiveVariation;
  return Code::kSuccess;
}

int32_t TIrCaptureFrontEnd::ReadHalvar(const uint8_t* buffer, int32_t byteCount,
                                       const TIrCaptureSettings& settings,
                                       TIrCaptureResult& result, TIrHalvarSignal& signal) {
  // Without the carrier field there is not a single interval.
  if (!buffer || byteCount < 4) return Code::kInsufficientSamples;
  const uint32_t carrier = ReadBE32(buffer);
  if (carrier == 0 || static_cast<int64_t>(carrier) < settings.min_carrier ||
      static_cast<int64_t>(carrier) > settings.max_carrier) {
    return Code::kCarrierOutOfRange;
  }
  result.modulated = true;
  result.divider = static_cast<uint16_t>((66000000u / carrier) & 0xFFFF);
  signal.carrier = carrier;
  signal.ticks_per_cycle = static_cast<float>((1.0 / carrier) / 0.000008);
  if (signal.ticks_per_cycle < 1.0f) return Code::kCarrierOutOfRange;

  const int stamps = std::min((byteCount - 4) / 2, TIrCaptureAnalyser::kHalvarStamps);
  std::vector<int32_t> stamp(static_cast<size_t>(std::max(stamps, 0)));
  for (int k = 0; k < stamps; ++k) stamp[static_cast<size_t>(k)] = ReadBE16(buffer + 4 + 2 * k);
  result.halvar_records.fill(TIrRecord{});
  for (int k = 0; k + 1 < stamps; ++k) {
    const int32_t a = stamp[static_cast<size_t>(k)];
    int32_t b = stamp[static_cast<size_t>(k) + 1];
    if (a == 0 && b == 0) break;
    if (b < a) b += 65536;
    signal.ticks.push_back(b - a);
  }
  return Code::kSuccess;
}

int32_t TIrCaptureFrontEnd::CountHalvarIntervals(int read, int& analysed) {
  analysed = read;
  if (analysed == TIrCaptureAnalyser::kHalvarStamps - 1) analysed = TIrCaptureAnalyser::kHalvarStamps - 2;
  if (analysed < 2) return Code::kInsufficientSamples;
  if (analysed % 2 != 0) return Code::kParityError;
  return Code::kSuccess;
}

}  // namespace quillon
