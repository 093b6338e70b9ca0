#pragma once
// Small builders of raw captures for the analysis tests.
#include <cstdint>
#include <utility>
#include <vector>

namespace quillon::testing_support {

// 66 MHz ticks per carrier cycle of a 38 kHz carrier.
constexpr uint32_t kPeriod = 1737;

// A QVX capture from (pulse count, time) records; record 0 (not analysed) is
// added in front.
inline std::vector<uint8_t> QvxBytes(const std::vector<std::pair<uint16_t, uint32_t>>& records) {
  std::vector<uint8_t> out;
  auto put32 = [&out](uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
  };
  put32(static_cast<uint32_t>(records.size() + 1));
  out.push_back(0);
  out.push_back(0);
  put32(66000);
  for (const auto& [pulses, time] : records) {
    out.push_back(static_cast<uint8_t>(pulses >> 8));
    out.push_back(static_cast<uint8_t>(pulses));
    put32(time);
  }
  return out;
}

// A QVX capture from durations in carrier cycles (mark, space, ...): marks
// become pulse counts with period kPeriod, spaces cycles * kPeriod ticks.
inline std::vector<uint8_t> QvxCycles(const std::vector<uint32_t>& cycles) {
  std::vector<std::pair<uint16_t, uint32_t>> records;
  for (size_t i = 0; i < cycles.size(); ++i) {
    if (i % 2 == 0) {
      records.emplace_back(static_cast<uint16_t>(cycles[i]), kPeriod);
    } else {
      records.emplace_back(0, cycles[i] * kPeriod);
    }
  }
  return QvxBytes(records);
}

// A Halvar capture from a carrier and edge stamps (padded with zeros to 1024).
inline std::vector<uint8_t> HalvarBytes(uint32_t carrier, std::vector<uint32_t> stamps,
                                        size_t stampCount = 1024) {
  stamps.resize(stampCount, 0);
  std::vector<uint8_t> out;
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(carrier >> s));
  for (uint32_t v : stamps) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
  }
  return out;
}

// Stamps for intervals given in 8 us ticks, starting at START.
inline std::vector<uint32_t> StampsFromTicks(uint32_t start, const std::vector<uint32_t>& ticks) {
  std::vector<uint32_t> stamps{start};
  uint32_t clock = start;
  for (uint32_t t : ticks) {
    clock += t;
    stamps.push_back(clock % 65536 == 0 ? 1 : clock % 65536);
  }
  return stamps;
}

// Repeats FRAME COUNT times.
inline std::vector<uint32_t> Repeat(const std::vector<uint32_t>& frame, int count) {
  std::vector<uint32_t> out;
  for (int i = 0; i < count; ++i) out.insert(out.end(), frame.begin(), frame.end());
  return out;
}

inline std::vector<uint32_t> Concat(std::vector<uint32_t> a, const std::vector<uint32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace quillon::testing_support

namespace quillon::testing_support {

// A Halvar capture of durations in carrier cycles (mark, space, ..., ending
// with a space). The last space is the run from the last edge to the
// counter's wrap, the way the learner ends its data.
inline std::vector<uint8_t> HalvarCycles(uint32_t carrier, const std::vector<uint32_t>& cycles) {
  const double ticksPerCycle = (1.0 / carrier) / 0.000008;
  std::vector<uint32_t> ticks;
  for (uint32_t c : cycles) ticks.push_back(static_cast<uint32_t>(c * ticksPerCycle + 0.5));
  uint32_t total = 0;
  for (size_t i = 0; i + 1 < ticks.size(); ++i) total += ticks[i];
  const uint32_t start = (65536u * 4 - ticks.back() - total) % 65536u;
  std::vector<uint32_t> inner(ticks.begin(), ticks.end() - 1);
  return HalvarBytes(carrier, StampsFromTicks(start, inner));
}

}  // namespace quillon::testing_support
