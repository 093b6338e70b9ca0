#include "capture/IrSynth.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "capture/IrNoise.h"

namespace quillon {
namespace {

class Builder {
 public:
  explicit Builder(TIrTimeline& t) : m_t(t) {}
  void Mark(uint32_t us) { Add(us, true); }
  void Space(uint32_t us) { Add(us, false); }
  // Pads the frame with space so that it lasts PERIOD microseconds from START.
  void PadTo(uint64_t start, uint32_t period, uint32_t leastGap) {
    const uint64_t used = Elapsed() - start;
    const uint32_t gap = used + leastGap > period ? leastGap : static_cast<uint32_t>(period - used);
    Space(gap);
  }
  uint64_t Elapsed() const {
    uint64_t sum = 0;
    for (uint32_t d : m_t.durations_us) sum += d;
    return sum;
  }

 private:
  void Add(uint32_t us, bool mark) {
    auto& d = m_t.durations_us;
    const bool lastIsMark = d.size() % 2 == 1;
    if (d.empty() && !mark) return;  // a capture starts with the first mark
    if (!d.empty() && lastIsMark == mark) {
      d.back() += us;
    } else {
      d.push_back(us);
    }
  }
  TIrTimeline& m_t;
};

void PulseDistance(Builder& b, uint64_t bits, int count, uint32_t mark, uint32_t zero, uint32_t one) {
  for (int i = 0; i < count; ++i) {
    b.Mark(mark);
    b.Space((bits >> i) & 1 ? one : zero);
  }
}

void PulseWidth(Builder& b, uint64_t bits, int count, uint32_t zero, uint32_t one, uint32_t space) {
  for (int i = 0; i < count; ++i) {
    b.Mark((bits >> i) & 1 ? one : zero);
    b.Space(space);
  }
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

}  // namespace

std::vector<std::string> IrSynth::Protocols() {
  return {"nec", "necx", "samsung", "jvc", "rc5", "rc6", "sony12", "sony15", "sony20"};
}

bool IrSynth::IsProtocol(const std::string& name) {
  const auto all = Protocols();
  return std::find(all.begin(), all.end(), name) != all.end();
}

TIrTimeline IrSynth::Make(const std::string& protocol, const Options& o) {
  TIrTimeline t;
  Builder b(t);
  const int frames = std::max(1, o.frames);
  const uint32_t addr = o.address;
  const uint32_t cmd = o.command;

  if (protocol == "nec" || protocol == "necx") {
    t.carrier_hz = 38000;
    const uint64_t addrBits = protocol == "nec" ? ((addr & 0xFF) | ((~addr & 0xFF) << 8)) : (addr & 0xFFFF);
    const uint64_t bits = addrBits | (uint64_t{cmd & 0xFF} << 16) | (uint64_t{~cmd & 0xFF} << 24);
    b.Mark(9000);
    b.Space(4500);
    PulseDistance(b, bits, 32, 560, 560, 1690);
    b.Mark(560);
    b.PadTo(0, 108000, 20000);
    t.first_frame = static_cast<int>(t.durations_us.size());
    for (int f = 1; f < frames; ++f) {
      const uint64_t start = b.Elapsed();
      b.Mark(9000);
      b.Space(2250);
      b.Mark(560);
      b.PadTo(start, 108000, 20000);
    }
    return t;
  }
  if (protocol == "samsung") {
    t.carrier_hz = 38000;
    const uint64_t bits = (addr & 0xFF) | ((addr & 0xFF) << 8) | (uint64_t{cmd & 0xFF} << 16) |
                          (uint64_t{~cmd & 0xFF} << 24);
    for (int f = 0; f < frames; ++f) {
      const uint64_t start = b.Elapsed();
      b.Mark(4500);
      b.Space(4500);
      PulseDistance(b, bits, 32, 560, 560, 1690);
      b.Mark(560);
      b.PadTo(start, 108000, 20000);
      if (f == 0) t.first_frame = static_cast<int>(t.durations_us.size());
    }
    return t;
  }
  if (protocol == "jvc") {
    t.carrier_hz = 38000;
    const uint64_t bits = (addr & 0xFF) | (uint64_t{cmd & 0xFF} << 8);
    for (int f = 0; f < frames; ++f) {
      const uint64_t start = b.Elapsed();
      if (f == 0) {
        b.Mark(8400);
        b.Space(4200);
      }
      PulseDistance(b, bits, 16, 526, 526, 1578);
      b.Mark(526);
      b.PadTo(start, f == 0 ? 59580 : 46980, 20000);
      if (f == 0) t.first_frame = static_cast<int>(t.durations_us.size());
    }
    return t;
  }
  if (protocol == "rc5") {
    t.carrier_hz = 36000;
    // Start bits, toggle 0, 5 address bits, 6 command bits; most significant
    // first. Bi-phase: a one is space then mark, a zero mark then space.
    const uint32_t word = (0x3u << 12) | ((addr & 0x1F) << 6) | (cmd & 0x3F);
    for (int f = 0; f < frames; ++f) {
      const uint64_t start = b.Elapsed();
      for (int i = 13; i >= 0; --i) {
        if ((word >> i) & 1) {
          b.Space(889);
          b.Mark(889);
        } else {
          b.Mark(889);
          b.Space(889);
        }
      }
      b.PadTo(start, 113778, 20000);
      if (f == 0) t.first_frame = static_cast<int>(t.durations_us.size());
    }
    return t;
  }
  if (protocol == "rc6") {
    t.carrier_hz = 36000;
    // Mode 0: leader, start bit 1, three mode bits, double-length toggle,
    // 8 address and 8 command bits. A one is mark then space.
    for (int f = 0; f < frames; ++f) {
      const uint64_t start = b.Elapsed();
      b.Mark(2666);
      b.Space(889);
      auto bit = [&b](bool one, uint32_t half) {
        if (one) {
          b.Mark(half);
          b.Space(half);
        } else {
          b.Space(half);
          b.Mark(half);
        }
      };
      bit(true, 444);
      for (int i = 0; i < 3; ++i) bit(false, 444);
      bit(false, 889);
      for (int i = 7; i >= 0; --i) bit((addr >> i) & 1, 444);
      for (int i = 7; i >= 0; --i) bit((cmd >> i) & 1, 444);
      b.PadTo(start, 106667, 20000);
      if (f == 0) t.first_frame = static_cast<int>(t.durations_us.size());
    }
    return t;
  }
  if (protocol == "sony12" || protocol == "sony15" || protocol == "sony20") {
    t.carrier_hz = 40000;
    const int addrBits = protocol == "sony12" ? 5 : protocol == "sony15" ? 8 : 13;
    const uint64_t bits = (cmd & 0x7F) | (uint64_t{addr & ((1u << addrBits) - 1)} << 7);
    for (int f = 0; f < std::max(3, frames); ++f) {
      const uint64_t start = b.Elapsed();
      b.Mark(2400);
      b.Space(600);
      PulseWidth(b, bits, 7 + addrBits, 600, 1200, 600);
      b.PadTo(start, 45000, 8000);
      if (f == 0) t.first_frame = static_cast<int>(t.durations_us.size());
    }
    return t;
  }
  throw std::invalid_argument("unknown protocol '" + protocol + "'");
}

std::vector<uint8_t> IrSynth::ToQVX(const TIrTimeline& t, const Options& o) {
  IrNoise noise(o.seed);
  const double period = 66000000.0 / t.carrier_hz;
  std::vector<uint8_t> out;
  const uint32_t count = static_cast<uint32_t>(t.durations_us.size()) + 1;
  Put32(out, count);
  // Lead-in: the idle time before the first mark.
  Put16(out, 0);
  Put32(out, 66u * 250000u);
  for (size_t i = 0; i < t.durations_us.size(); ++i) {
    double us = t.durations_us[i] * (1.0 + o.jitter * noise.Next());
    if (i % 2 == 0) {
      const double pulses = std::max(1.0, std::round(us * t.carrier_hz / 1e6));
      const double measured = period * (1.0 + o.carrier_noise * noise.Next());
      Put16(out, static_cast<uint32_t>(std::min(pulses, 65535.0)));
      Put32(out, static_cast<uint32_t>(std::lround(measured)));
    } else {
      if (i + 1 == t.durations_us.size()) us = us * 1.5 + 20000.0;
      Put16(out, 0);
      Put32(out, static_cast<uint32_t>(std::min(us * 66.0, 4.0e9)));
    }
  }
  return out;
}

std::vector<uint8_t> IrSynth::ToHalvar(const TIrTimeline& t, const Options& o) {
  IrNoise noise(o.seed);
  std::vector<uint8_t> out;
  Put32(out, static_cast<uint32_t>(std::lround(t.carrier_hz * (1.0 + o.carrier_noise * noise.Next()))));
  // Every edge up to the end of the last mark; the final space runs until the
  // counter's next wrap, like the learner reports it.
  size_t durations = std::min<size_t>(t.durations_us.size(), 1022);
  if (durations % 2) --durations;
  std::vector<uint32_t> stamps;
  double clock = 1000.0 + (noise.Next() + 1.0) * 30000.0;
  stamps.push_back(static_cast<uint32_t>(clock) % 65536);
  for (size_t i = 0; i + 1 < durations; ++i) {
    clock += t.durations_us[i] * (1.0 + o.jitter * noise.Next()) / 8.0;
    stamps.push_back(static_cast<uint32_t>(std::lround(clock)) % 65536);
  }
  for (uint32_t& s : stamps) {
    if (s == 0) s = 1;  // a zero stamp would read as the end of the data
  }
  stamps.resize(1024, 0);
  for (uint32_t s : stamps) Put16(out, s);
  return out;
}

}  // namespace quillon
