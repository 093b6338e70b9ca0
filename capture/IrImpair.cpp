#include "capture/IrImpair.h"

#include <algorithm>
#include <cmath>

#include "capture/IrNoise.h"

namespace quillon {
namespace {

constexpr uint32_t kMinSplitCycles = 8;
constexpr size_t kHalvarStamps = 1024;

uint32_t Read32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint32_t Read16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | uint32_t{p[1]}; }

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

// ---- QVX: record count, then (pulse count, time) records ----

struct QvxRecord {
  uint32_t pulses;
  uint32_t time;
};

bool ReadQvx(const std::vector<uint8_t>& in, std::vector<QvxRecord>& records) {
  if (in.size() < 4) return false;
  const uint64_t count = Read32(in.data());
  if (count < 2 || in.size() != 4 + 6 * count) return false;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* r = in.data() + 4 + 6 * i;
    records.push_back({Read16(r), Read32(r + 2)});
  }
  return true;
}

std::vector<uint8_t> WriteQvx(const std::vector<QvxRecord>& records) {
  std::vector<uint8_t> out;
  Put32(out, static_cast<uint32_t>(records.size()));
  for (const QvxRecord& r : records) {
    Put16(out, std::min<uint32_t>(r.pulses, 65535));
    Put32(out, r.time);
  }
  return out;
}

std::vector<uint8_t> QvxDropouts(const std::vector<uint8_t>& capture, double rate, IrNoise& noise) {
  std::vector<QvxRecord> in;
  if (!ReadQvx(capture, in)) return capture;
  std::vector<QvxRecord> out{in[0]};  // record 0 is not part of the signal
  for (size_t i = 1; i < in.size(); ++i) {
    const QvxRecord r = in[i];
    if (r.pulses < kMinSplitCycles || noise.Unit() >= rate) {
      out.push_back(r);
      continue;
    }
    // One pulse is lost; the gap runs from the end of the pulse before it to
    // the start of the pulse after it.
    const uint32_t before = std::clamp<uint32_t>(
        static_cast<uint32_t>(std::lround(r.pulses * (0.3 + 0.4 * noise.Unit()))), 1, r.pulses - 2);
    const uint32_t gap = static_cast<uint32_t>(std::lround(r.time * (1.3 + 0.4 * noise.Unit())));
    out.push_back({before, r.time});
    out.push_back({0, gap});
    out.push_back({r.pulses - 1 - before, r.time});
  }
  return WriteQvx(out);
}

std::vector<uint8_t> QvxLeadingNoise(const std::vector<uint8_t>& capture, IrNoise& noise) {
  std::vector<QvxRecord> records;
  if (!ReadQvx(capture, records)) return capture;
  const uint32_t period = records[1].pulses ? records[1].time : 1737;
  const uint32_t pulses = 1 + static_cast<uint32_t>(noise.Unit() * 3.999);
  const double gapUs = 5000.0 + 25000.0 * noise.Unit();
  const QvxRecord flash{pulses, period};
  const QvxRecord gap{0, static_cast<uint32_t>(std::lround(gapUs * 66.0))};
  records.insert(records.begin() + 1, {flash, gap});
  return WriteQvx(records);
}

// ---- Halvar: carrier, then edge stamps in 8 us ticks ----

struct HalvarTimeline {
  uint32_t carrier = 0;
  int64_t start = 0;               // the first stamp
  std::vector<int64_t> intervals;  // ticks, carrier-on first
};

bool ReadHalvar(const std::vector<uint8_t>& in, HalvarTimeline& t) {
  if (in.size() < 8) return false;
  t.carrier = Read32(in.data());
  const size_t stamps = std::min((in.size() - 4) / 2, kHalvarStamps);
  std::vector<int64_t> s;
  for (size_t k = 0; k < stamps; ++k) s.push_back(Read16(in.data() + 4 + 2 * k));
  t.start = s[0];
  for (size_t k = 0; k + 1 < s.size(); ++k) {
    if (s[k] == 0 && s[k + 1] == 0) break;
    t.intervals.push_back(s[k + 1] >= s[k] ? s[k + 1] - s[k] : s[k + 1] + 65536 - s[k]);
  }
  return t.carrier > 0 && !t.intervals.empty();
}

// The stamps of T, as many as the learner holds, zero after the last edge.
// A stamp that falls on 0 before the end would read as the end of the data.
std::vector<uint8_t> WriteHalvar(const HalvarTimeline& t) {
  std::vector<uint8_t> out;
  Put32(out, t.carrier);
  std::vector<uint32_t> stamps;
  int64_t clock = ((t.start % 65536) + 65536) % 65536;
  stamps.push_back(static_cast<uint32_t>(clock));
  for (int64_t d : t.intervals) {
    if (stamps.size() == kHalvarStamps) break;
    clock += d;
    stamps.push_back(static_cast<uint32_t>(clock % 65536));
  }
  const size_t last = stamps.size() - 1;
  for (size_t k = 0; k < last; ++k) {
    if (stamps[k] == 0) stamps[k] = 1;
  }
  stamps.resize(kHalvarStamps, 0);
  for (uint32_t s : stamps) Put16(out, s);
  return out;
}

double TicksPerCycle(uint32_t carrier) { return (1.0 / carrier) / 0.000008; }

std::vector<uint8_t> HalvarDropouts(const std::vector<uint8_t>& capture, double rate,
                                    IrNoise& noise) {
  HalvarTimeline t;
  if (!ReadHalvar(capture, t)) return capture;
  const double perCycle = TicksPerCycle(t.carrier);
  std::vector<int64_t> out;
  for (size_t k = 0; k < t.intervals.size(); ++k) {
    const int64_t d = t.intervals[k];
    if (k % 2 != 0 || d < kMinSplitCycles * perCycle || noise.Unit() >= rate) {
      out.push_back(d);
      continue;
    }
    const int64_t before = std::lround(d * (0.3 + 0.4 * noise.Unit()));
    const int64_t gap = std::max<int64_t>(1, std::lround(perCycle * (1.3 + 0.4 * noise.Unit())));
    const int64_t after = d - before - gap;
    if (before < 1 || after < 1) {
      out.push_back(d);
      continue;
    }
    out.insert(out.end(), {before, gap, after});
  }
  t.intervals = std::move(out);
  return WriteHalvar(t);
}

std::vector<uint8_t> HalvarLeadingNoise(const std::vector<uint8_t>& capture, IrNoise& noise) {
  HalvarTimeline t;
  if (!ReadHalvar(capture, t)) return capture;
  const double cycles = 1.0 + 3.0 * noise.Unit();
  const int64_t flash = std::max<int64_t>(1, std::lround(cycles * TicksPerCycle(t.carrier)));
  const int64_t gap = std::lround((5000.0 + 25000.0 * noise.Unit()) / 8.0);
  t.start -= flash + gap;
  t.intervals.insert(t.intervals.begin(), {flash, gap});
  return WriteHalvar(t);
}

}  // namespace

std::vector<uint8_t> IrImpair::AddDropouts(TIrCaptureKind kind, const std::vector<uint8_t>& capture,
                                           double rate, uint32_t seed) {
  IrNoise noise(seed);
  return kind == TIrCaptureKind::QVX ? QvxDropouts(capture, rate, noise)
                                     : HalvarDropouts(capture, rate, noise);
}

std::vector<uint8_t> IrImpair::AddLeadingNoise(TIrCaptureKind kind,
                                               const std::vector<uint8_t>& capture, uint32_t seed) {
  IrNoise noise(seed);
  return kind == TIrCaptureKind::QVX ? QvxLeadingNoise(capture, noise)
                                     : HalvarLeadingNoise(capture, noise);
}

}  // namespace quillon
