#include "signals/TIrDecoder.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "irmodel/TQVXIrFunction.h"
#include "signals/TIrSignalRender.h"

namespace quillon {
namespace {

using Durations = std::vector<uint32_t>;

constexpr double kTolerance = 0.30;
constexpr double kLeastToleranceUs = 100.0;
// A pause at least this long may start a new frame.
constexpr uint32_t kFramePauseUs = 5000;
// Frame starts tried per signal.
constexpr int kMaxStarts = 16;

bool Near(uint32_t value, uint32_t nominal) {
  const double allowed = std::max(nominal * kTolerance, kLeastToleranceUs);
  return std::fabs(static_cast<double>(value) - nominal) <= allowed;
}

// Pulse-distance frames: a leader (none when leaderMark is 0), BITS bits as
// a mark and a space of ZERO or ONE, and a stop mark followed by a pause (or
// the end of the signal).
struct DistanceFrame {
  uint32_t leaderMark;
  uint32_t leaderSpace;
  uint32_t mark;
  uint32_t zero;
  uint32_t one;
  int bits;
  bool msbFirst;
};

bool IsPause(uint32_t space, uint32_t one) { return space > std::max(2 * one, uint32_t{3000}); }

std::optional<uint64_t> ReadDistance(const Durations& d, std::size_t start, const DistanceFrame& f) {
  std::size_t i = start;
  if (f.leaderMark != 0) {
    if (i + 1 >= d.size() || !Near(d[i], f.leaderMark) || !Near(d[i + 1], f.leaderSpace)) return std::nullopt;
    i += 2;
  }
  uint64_t bits = 0;
  for (int n = 0;; ++n, i += 2) {
    if (i >= d.size() || !Near(d[i], f.mark)) return std::nullopt;
    const bool end = i + 1 >= d.size();
    if (n == f.bits) {
      if (end || IsPause(d[i + 1], f.one)) return bits;
      return std::nullopt;  // more bits than the protocol has
    }
    if (end) return std::nullopt;
    int bit;
    if (Near(d[i + 1], f.zero)) {
      bit = 0;
    } else if (Near(d[i + 1], f.one)) {
      bit = 1;
    } else {
      return std::nullopt;
    }
    if (f.msbFirst) {
      bits = (bits << 1) | static_cast<uint64_t>(bit);
    } else {
      bits |= static_cast<uint64_t>(bit) << n;
    }
  }
}

uint32_t Field(uint64_t bits, int from, int count) {
  return static_cast<uint32_t>((bits >> from) & ((uint64_t{1} << count) - 1));
}

bool Inverse(uint32_t a, uint32_t b, int count) { return ((a ^ b) & ((1u << count) - 1u)) == ((1u << count) - 1u); }

// Pioneer sends NEC's frame counted in cycles of a 40 kHz carrier; only the
// carrier (or, without one, the shorter leader) tells the two apart.
bool LooksLikePioneer(const Durations& d, std::size_t start, int carrierHz) {
  if (carrierHz > 0) return carrierHz >= 39000;
  return d[start] < 8750;
}

std::optional<TIrCode> Nec(const Durations& d, std::size_t start, int carrierHz) {
  if (LooksLikePioneer(d, start, carrierHz)) {
    if (auto bits = ReadDistance(d, start, {8500, 4250, 500, 500, 1500, 32, false})) {
      const uint32_t a = Field(*bits, 0, 8), na = Field(*bits, 8, 8);
      const uint32_t c = Field(*bits, 16, 8), nc = Field(*bits, 24, 8);
      if (Inverse(a, na, 8) && Inverse(c, nc, 8)) return TIrCode{"Pioneer", a, c};
    }
  }
  if (auto bits = ReadDistance(d, start, {9000, 4500, 562, 562, 1687, 32, false})) {
    const uint32_t a = Field(*bits, 0, 8), na = Field(*bits, 8, 8);
    const uint32_t c = Field(*bits, 16, 8), nc = Field(*bits, 24, 8);
    if (Inverse(a, na, 8) && Inverse(c, nc, 8)) return TIrCode{"NEC", a, c};
    return TIrCode{"NECext", Field(*bits, 0, 16), Field(*bits, 16, 16)};
  }
  if (auto bits = ReadDistance(d, start, {9000, 4500, 562, 562, 1687, 42, false})) {
    const uint32_t a = Field(*bits, 0, 13), na = Field(*bits, 13, 13);
    const uint32_t c = Field(*bits, 26, 8), nc = Field(*bits, 34, 8);
    if (Inverse(a, na, 13) && Inverse(c, nc, 8)) return TIrCode{"NEC42", a, c};
    return TIrCode{"NEC42ext", Field(*bits, 0, 26), Field(*bits, 26, 16)};
  }
  return std::nullopt;
}

std::optional<TIrCode> Samsung32(const Durations& d, std::size_t start) {
  auto bits = ReadDistance(d, start, {4500, 4500, 550, 550, 1650, 32, false});
  if (!bits) return std::nullopt;
  const uint32_t a = Field(*bits, 0, 8), a2 = Field(*bits, 8, 8);
  const uint32_t c = Field(*bits, 16, 8), nc = Field(*bits, 24, 8);
  if (a != a2 || !Inverse(c, nc, 8)) return std::nullopt;
  return TIrCode{"Samsung32", a, c};
}

std::optional<TIrCode> Jvc(const Durations& d, std::size_t start) {
  auto bits = ReadDistance(d, start, {8416, 4208, 526, 526, 1578, 16, false});
  if (!bits) return std::nullopt;
  return TIrCode{"JVC", Field(*bits, 0, 8), Field(*bits, 8, 8)};
}

std::optional<TIrCode> Kaseikyo(const Durations& d, std::size_t start) {
  auto bits = ReadDistance(d, start, {3456, 1728, 432, 432, 1296, 48, false});
  if (!bits) return std::nullopt;
  const uint32_t vendor = Field(*bits, 0, 16);
  const uint32_t b2 = Field(*bits, 16, 8), b3 = Field(*bits, 24, 8), b4 = Field(*bits, 32, 8), b5 = Field(*bits, 40, 8);
  const uint32_t vendorParity = (vendor ^ (vendor >> 4) ^ (vendor >> 8) ^ (vendor >> 12)) & 0xF;
  if ((b2 & 0xF) != vendorParity || (b2 ^ b3 ^ b4) != b5) return std::nullopt;
  const uint32_t address = ((b4 >> 6) << 24) | (vendor << 8) | ((b2 >> 4) << 4) | (b3 & 0xF);
  const uint32_t command = (b3 >> 4) | ((b4 & 0x3F) << 4);
  return TIrCode{"Kaseikyo", address, command};
}

std::optional<TIrCode> Rca(const Durations& d, std::size_t start) {
  auto bits = ReadDistance(d, start, {4000, 4000, 500, 1000, 2000, 24, true});
  if (!bits) return std::nullopt;
  const uint32_t word = Field(*bits, 12, 12), inverted = Field(*bits, 0, 12);
  if (!Inverse(word, inverted, 12)) return std::nullopt;
  return TIrCode{"RCA", word >> 8, word & 0xFF};
}

std::optional<TIrCode> Sharp(const Durations& d, std::size_t start) {
  auto bits = ReadDistance(d, start, {0, 0, 264, 792, 1848, 15, false});
  if (!bits) return std::nullopt;
  const uint32_t a = Field(*bits, 0, 5), c = Field(*bits, 5, 8), tail = Field(*bits, 13, 2);
  // The first half has expansion 1 and check 0; the second half inverts the
  // command and both.
  if (tail == 0x1) return TIrCode{"Sharp", a, c};
  if (tail == 0x2) return TIrCode{"Sharp", a, ~c & 0xFF};
  return std::nullopt;
}

std::optional<TIrCode> Sirc(const Durations& d, std::size_t start) {
  if (start + 1 >= d.size() || !Near(d[start], 2400) || !Near(d[start + 1], 600)) return std::nullopt;
  uint32_t bits = 0;
  int n = 0;
  for (std::size_t i = start + 2;; i += 2, ++n) {
    if (i >= d.size() || n >= 20) return std::nullopt;
    if (Near(d[i], 1200)) {
      bits |= 1u << n;
    } else if (!Near(d[i], 600)) {
      return std::nullopt;
    }
    if (i + 1 >= d.size() || d[i + 1] > 1800) break;  // the pause after the last bit
    if (!Near(d[i + 1], 600)) return std::nullopt;
  }
  const int count = n + 1;
  const uint32_t command = bits & 0x7F;
  if (count == 12) return TIrCode{"SIRC", bits >> 7, command};
  if (count == 15) return TIrCode{"SIRC15", bits >> 7, command};
  if (count == 20) return TIrCode{"SIRC20", bits >> 7, command};
  return std::nullopt;
}

// Bi-phase frames: the durations from START as half-bit levels (1 = mark)
// until a pause longer than MAXRUN halves or the end.
bool HalfLevels(const Durations& d, std::size_t start, uint32_t half, int maxRun, std::vector<uint8_t>& levels) {
  for (std::size_t i = start; i < d.size(); ++i) {
    const bool mark = (i - start) % 2 == 0;
    const long n = std::lround(static_cast<double>(d[i]) / half);
    if (!mark && n > maxRun) return true;
    if (n < 1 || n > maxRun || std::fabs(static_cast<double>(d[i]) - static_cast<double>(n) * half) > 0.4 * half) {
      return false;
    }
    levels.insert(levels.end(), static_cast<std::size_t>(n), mark ? 1 : 0);
    if (levels.size() > 64) return false;
  }
  return true;
}

// The bit of a bi-phase cell: ONEFIRST is the level a one starts with.
int Cell(const std::vector<uint8_t>& levels, std::size_t at, int oneFirst) {
  if (levels[at] == levels[at + 1]) return -1;
  return levels[at] == oneFirst ? 1 : 0;
}

std::optional<TIrCode> Rc5(const Durations& d, std::size_t start) {
  // The first half of the start bit is a space, unseen before the signal.
  std::vector<uint8_t> levels{0};
  if (!HalfLevels(d, start, 889, 2, levels) || levels.size() > 28) return std::nullopt;
  levels.resize(28, 0);
  uint32_t word = 0;
  for (int k = 0; k < 14; ++k) {
    const int bit = Cell(levels, static_cast<std::size_t>(2 * k), 0);
    if (bit < 0) return std::nullopt;
    word = (word << 1) | static_cast<uint32_t>(bit);
  }
  if (!(word & 0x2000)) return std::nullopt;
  const uint32_t address = (word >> 6) & 0x1F;
  const uint32_t command = (word & 0x3F) | ((word & 0x1000) ? 0 : 0x40);
  return TIrCode{command < 64 ? "RC5" : "RC5X", address, command};
}

std::optional<TIrCode> Rc6(const Durations& d, std::size_t start) {
  if (start + 2 >= d.size() || !Near(d[start], 2664) || !Near(d[start + 1], 888)) return std::nullopt;
  std::vector<uint8_t> levels;
  if (!HalfLevels(d, start + 2, 444, 3, levels) || levels.size() > 44) return std::nullopt;
  levels.resize(44, 0);
  // Start bit 1, mode 000, the double-length toggle bit, 16 data bits.
  if (Cell(levels, 0, 1) != 1) return std::nullopt;
  for (std::size_t at = 2; at < 8; at += 2) {
    if (Cell(levels, at, 1) != 0) return std::nullopt;
  }
  const bool toggleOne = levels[8] == 1 && levels[9] == 1 && levels[10] == 0 && levels[11] == 0;
  const bool toggleZero = levels[8] == 0 && levels[9] == 0 && levels[10] == 1 && levels[11] == 1;
  if (!toggleOne && !toggleZero) return std::nullopt;
  uint32_t word = 0;
  for (std::size_t at = 12; at < 44; at += 2) {
    const int bit = Cell(levels, at, 1);
    if (bit < 0) return std::nullopt;
    word = (word << 1) | static_cast<uint32_t>(bit);
  }
  return TIrCode{"RC6", word >> 8, word & 0xFF};
}

std::optional<TIrCode> DecodeAt(const Durations& d, std::size_t start, int carrierHz) {
  for (auto decode : {Samsung32, Jvc, Kaseikyo, Rca, Sharp, Sirc, Rc6, Rc5}) {
    if (auto code = decode(d, start)) return code;
  }
  return Nec(d, start, carrierHz);
}

}  // namespace

TIrCode TIrDecoder::Decode(const std::vector<uint32_t>& durations, int carrierHz) {
  int tried = 0;
  for (std::size_t start = 0; start < durations.size() && tried < kMaxStarts; start += 2) {
    // Frames start with a mark after a pause (or at the start).
    if (start > 0 && durations[start - 1] < kFramePauseUs) continue;
    ++tried;
    if (auto code = DecodeAt(durations, start, carrierHz)) return *code;
  }
  return TIrCode{};
}

TIrCode TIrDecoder::Decode(const TIrSignal& signal) { return Decode(signal.Flatten(2), signal.carrier_hz); }

TIrCode TIrDecoder::DecodeFunction(const TQVXIrFunction& function) {
  const TIrSignal signal = TIrSignalRender::FromFunction(function);
  if (signal.Empty()) return TIrCode{};
  return Decode(signal);
}

}  // namespace quillon
