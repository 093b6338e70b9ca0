#include "signals/TIrEncoder.h"

#include <cstdint>
#include <vector>

#include "signals/TIrProtocol.h"

namespace quillon {
namespace {

// Collects marks and spaces; a mark after a mark (or a space after a space)
// lengthens the previous duration, so bi-phase bits can be written half by
// half. A space before the first mark is idle time and is dropped.
class Timeline {
 public:
  void Mark(uint32_t us) { Add(us, true); }
  void Space(uint32_t us) { Add(us, false); }
  // Ends the frame with a space so that it lasts PERIOD from its start, or
  // with a pause of LEAST when the frame is too long for that.
  void PadTo(uint32_t period, uint32_t least = 10000) {
    uint64_t used = 0;
    for (uint32_t d : m_durations) used += d;
    Space(used + least <= period ? static_cast<uint32_t>(period - used) : least);
  }
  std::vector<uint32_t> Take() {
    std::vector<uint32_t> out;
    out.swap(m_durations);
    return out;
  }

 private:
  void Add(uint32_t us, bool mark) {
    if (us == 0) return;
    const bool lastIsMark = m_durations.size() % 2 == 1;
    if (m_durations.empty() && !mark) return;
    if (!m_durations.empty() && lastIsMark == mark) {
      m_durations.back() += us;
    } else {
      m_durations.push_back(us);
    }
  }
  std::vector<uint32_t> m_durations;
};

// Pulse-distance bits: a mark of MARK, then a space of ZERO or ONE.
void DistanceBits(Timeline& t, uint64_t bits, int count, bool msbFirst, uint32_t mark, uint32_t zero,
                  uint32_t one) {
  for (int i = 0; i < count; ++i) {
    const int bit = msbFirst ? count - 1 - i : i;
    t.Mark(mark);
    t.Space((bits >> bit) & 1 ? one : zero);
  }
}

// NEC timings: 562.5 us units (562 as the common renderings write them),
// a 9 ms leader mark and a 4.5 ms leader space (2.25 ms in the repeat code),
// a one has 3 units of space; frames start every 108 ms.
constexpr uint32_t kNecUnit = 562;
constexpr uint32_t kNecPeriod = 108000;

std::vector<uint32_t> NecFrame(uint64_t bits, int count, uint32_t unit, uint32_t leaderMark, uint32_t leaderSpace) {
  Timeline t;
  t.Mark(leaderMark);
  t.Space(leaderSpace);
  DistanceBits(t, bits, count, false, unit, unit, 3 * unit);
  t.Mark(unit);
  t.PadTo(kNecPeriod);
  return t.Take();
}

std::vector<uint32_t> NecRepeatCode() {
  Timeline t;
  t.Mark(9000);
  t.Space(2250);
  t.Mark(kNecUnit);
  t.PadTo(kNecPeriod);
  return t.Take();
}

uint32_t Inverted(uint32_t value, int bits) { return ~value & ((1u << bits) - 1u); }

TIrSignal Nec(const TIrCode& code) {
  uint64_t bits = 0;
  int count = 32;
  const std::string& p = code.protocol;
  if (p == "NEC") {
    const uint32_t a = code.address & 0xFF, c = code.command & 0xFF;
    bits = a | (uint64_t{Inverted(a, 8)} << 8) | (uint64_t{c} << 16) | (uint64_t{Inverted(c, 8)} << 24);
  } else if (p == "NECext") {
    bits = (code.address & 0xFFFF) | (uint64_t{code.command & 0xFFFF} << 16);
  } else if (p == "NEC42") {
    const uint32_t a = code.address & 0x1FFF, c = code.command & 0xFF;
    bits = a | (uint64_t{Inverted(a, 13)} << 13) | (uint64_t{c} << 26) | (uint64_t{Inverted(c, 8)} << 34);
    count = 42;
  } else {  // NEC42ext
    bits = (code.address & 0x3FFFFFF) | (uint64_t{code.command & 0xFFFF} << 26);
    count = 42;
  }
  TIrSignal s;
  s.carrier_hz = 38000;
  s.once = NecFrame(bits, count, kNecUnit, 9000, 4500);
  s.repeat = NecRepeatCode();
  return s;
}

TIrSignal Samsung32(const TIrCode& code) {
  const uint32_t a = code.address & 0xFF, c = code.command & 0xFF;
  const uint64_t bits = a | (uint64_t{a} << 8) | (uint64_t{c} << 16) | (uint64_t{Inverted(c, 8)} << 24);
  Timeline t;
  t.Mark(4500);
  t.Space(4500);
  DistanceBits(t, bits, 32, false, 550, 550, 1650);
  t.Mark(550);
  t.PadTo(kNecPeriod);
  TIrSignal s;
  s.carrier_hz = 38000;
  s.repeat = t.Take();
  return s;
}

TIrSignal Pioneer(const TIrCode& code) {
  // NEC's frame counted in cycles of a 40 kHz carrier: 500 us units, and
  // the whole frame repeats.
  const uint32_t a = code.address & 0xFF, c = code.command & 0xFF;
  const uint64_t bits = a | (uint64_t{Inverted(a, 8)} << 8) | (uint64_t{c} << 16) | (uint64_t{Inverted(c, 8)} << 24);
  TIrSignal s;
  s.carrier_hz = 40000;
  s.repeat = NecFrame(bits, 32, 500, 8500, 4250);
  return s;
}

TIrSignal Jvc(const TIrCode& code) {
  // 526 us units; the leader only on the first frame; 45 units of space
  // after each frame.
  constexpr uint32_t unit = 526;
  const uint64_t bits = (code.address & 0xFF) | (uint64_t{code.command & 0xFF} << 8);
  auto frame = [&](bool leader) {
    Timeline t;
    if (leader) {
      t.Mark(16 * unit);
      t.Space(8 * unit);
    }
    DistanceBits(t, bits, 16, false, unit, unit, 3 * unit);
    t.Mark(unit);
    t.Space(45 * unit);
    return t.Take();
  };
  TIrSignal s;
  s.carrier_hz = 38000;
  s.once = frame(true);
  s.repeat = frame(false);
  return s;
}

TIrSignal Kaseikyo(const TIrCode& code) {
  // 432 us units, 8/4-unit leader, 48 bits least significant first: vendor
  // code, vendor parity and genre 1, genre 2 and the low command bits, the
  // high command bits and the id, then the parity of the last three bytes.
  constexpr uint32_t unit = 432;
  const uint32_t vendor = (code.address >> 8) & 0xFFFF;
  const uint32_t genre1 = (code.address >> 4) & 0xF, genre2 = code.address & 0xF;
  const uint32_t id = (code.address >> 24) & 0x3;
  const uint32_t data = code.command & 0x3FF;
  const uint32_t vendorParity = (vendor ^ (vendor >> 4) ^ (vendor >> 8) ^ (vendor >> 12)) & 0xF;
  const uint32_t b2 = vendorParity | (genre1 << 4);
  const uint32_t b3 = genre2 | ((data & 0xF) << 4);
  const uint32_t b4 = (data >> 4) | (id << 6);
  const uint32_t b5 = b2 ^ b3 ^ b4;
  const uint64_t bits = vendor | (uint64_t{b2} << 16) | (uint64_t{b3} << 24) | (uint64_t{b4} << 32) | (uint64_t{b5} << 40);
  Timeline t;
  t.Mark(8 * unit);
  t.Space(4 * unit);
  DistanceBits(t, bits, 48, false, unit, unit, 3 * unit);
  t.Mark(unit);
  t.Space(173 * unit);
  TIrSignal s;
  s.carrier_hz = 37000;
  s.repeat = t.Take();
  return s;
}

TIrSignal Rca(const TIrCode& code) {
  // 56 kHz, 4 ms leader mark and space, 500 us marks, spaces of 1 ms (zero)
  // or 2 ms (one), most significant bit first: address, command, then both
  // inverted.
  const uint32_t a = code.address & 0xF, c = code.command & 0xFF;
  const uint32_t word = (a << 8) | c;
  const uint64_t bits = (uint64_t{word} << 12) | Inverted(word, 12);
  Timeline t;
  t.Mark(4000);
  t.Space(4000);
  DistanceBits(t, bits, 24, true, 500, 1000, 2000);
  t.Mark(500);
  t.Space(8000);
  TIrSignal s;
  s.carrier_hz = 56000;
  s.repeat = t.Take();
  return s;
}

TIrSignal Sharp(const TIrCode& code) {
  // 264 us marks, spaces of 3 (zero) or 7 (one) units, 5 address and 8
  // command bits least significant first, expansion and check bits, then the
  // same frame with command, expansion and check inverted; 165 units of space
  // after each.
  constexpr uint32_t unit = 264;
  const uint32_t a = code.address & 0x1F, c = code.command & 0xFF;
  Timeline t;
  for (int half = 0; half < 2; ++half) {
    const uint32_t cmd = half == 0 ? c : Inverted(c, 8);
    const uint32_t tail = half == 0 ? 0x1 : 0x2;  // expansion, check
    const uint64_t bits = a | (uint64_t{cmd} << 5) | (uint64_t{tail} << 13);
    DistanceBits(t, bits, 15, false, unit, 3 * unit, 7 * unit);
    t.Mark(unit);
    t.Space(165 * unit);
  }
  TIrSignal s;
  s.carrier_hz = 38000;
  s.repeat = t.Take();
  return s;
}

TIrSignal Sirc(const TIrCode& code, int addressBits) {
  // 40 kHz, 600 us units: a 4-unit leader, each bit a mark of 1 (zero) or
  // 2 (one) units and a 1-unit space, command (7 bits) then address, least
  // significant first; frames start every 45 ms and are sent three times.
  const uint64_t bits = (code.command & 0x7F) | (uint64_t{code.address & ((1u << addressBits) - 1u)} << 7);
  Timeline t;
  t.Mark(2400);
  t.Space(600);
  for (int i = 0; i < 7 + addressBits; ++i) {
    t.Mark((bits >> i) & 1 ? 1200 : 600);
    t.Space(600);
  }
  t.PadTo(45000);
  TIrSignal s;
  s.carrier_hz = 40000;
  s.repeat = t.Take();
  s.repeats = 3;
  return s;
}

TIrSignal Rc5(const TIrCode& code, int toggle) {
  // 36 kHz bi-phase with 889 us halves, most significant bit first: start
  // bit, field bit (the inverted seventh command bit), toggle, 5 address and
  // 6 command bits; a one is space then mark. Frames start every 113.778 ms.
  constexpr uint32_t half = 889;
  const uint32_t c = code.command & 0x7F;
  const uint32_t field = (c & 0x40) ? 0 : 1;
  const uint32_t word =
      (1u << 13) | (field << 12) | (uint32_t(toggle & 1) << 11) | ((code.address & 0x1F) << 6) | (c & 0x3F);
  Timeline t;
  for (int i = 13; i >= 0; --i) {
    if ((word >> i) & 1) {
      t.Space(half);
      t.Mark(half);
    } else {
      t.Mark(half);
      t.Space(half);
    }
  }
  t.PadTo(113778);
  TIrSignal s;
  s.carrier_hz = 36000;
  s.repeat = t.Take();
  return s;
}

TIrSignal Rc6(const TIrCode& code, int toggle) {
  // Mode 0: 36 kHz bi-phase with 444 us halves; a 6-unit leader mark and
  // 2-unit space, start bit 1, mode 000, the toggle bit at double length,
  // 8 address and 8 command bits most significant first; a one is mark then
  // space. Frames start every 107 ms.
  constexpr uint32_t half = 444;
  Timeline t;
  t.Mark(6 * half);
  t.Space(2 * half);
  auto bit = [&t](bool one, uint32_t h) {
    if (one) {
      t.Mark(h);
      t.Space(h);
    } else {
      t.Space(h);
      t.Mark(h);
    }
  };
  bit(true, half);
  for (int i = 0; i < 3; ++i) bit(false, half);
  bit(toggle & 1, 2 * half);
  const uint32_t word = ((code.address & 0xFF) << 8) | (code.command & 0xFF);
  for (int i = 15; i >= 0; --i) bit((word >> i) & 1, half);
  t.PadTo(107000);
  TIrSignal s;
  s.carrier_hz = 36000;
  s.repeat = t.Take();
  return s;
}

}  // namespace

TIrSignal TIrEncoder::Encode(const TIrCode& code, int toggle) {
  const TIrProtocol::Info* info = TIrProtocol::Find(code.protocol);
  if (!info) throw std::invalid_argument("unknown protocol '" + code.protocol + "'");
  // Bits beyond the protocol's fields are not sent (an RC5 command keeps
  // its 6 bits; only RC5X sends a seventh).
  const TIrCode c = TIrProtocol::Cut(code);
  const std::string& p = c.protocol;
  if (p == "NEC" || p == "NECext" || p == "NEC42" || p == "NEC42ext") return Nec(c);
  if (p == "Samsung32") return Samsung32(c);
  if (p == "Pioneer") return Pioneer(c);
  if (p == "JVC") return Jvc(c);
  if (p == "Kaseikyo") return Kaseikyo(c);
  if (p == "RCA") return Rca(c);
  if (p == "Sharp") return Sharp(c);
  if (p == "SIRC") return Sirc(c, 5);
  if (p == "SIRC15") return Sirc(c, 8);
  if (p == "SIRC20") return Sirc(c, 13);
  if (p == "RC5" || p == "RC5X") return Rc5(c, toggle);
  return Rc6(c, toggle);
}

}  // namespace quillon
