#pragma once
// Helpers shared by the driver-file tests: build sub-functions and drivers,
// and turn drivers into byte images and back.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace quillon::testing {

inline std::unique_ptr<TQVXIrSubFunction> MakeSub(std::uint16_t divider, std::vector<std::uint16_t> times,
                                                  std::vector<std::uint8_t> header, std::vector<std::uint8_t> body,
                                                  int repeat = 0, std::uint8_t flags = TQVXIrSubFunction::kModulated) {
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(flags);
  sub->SetDivider(divider);
  sub->SetTimes(times);
  sub->SetCounts(static_cast<std::uint8_t>((repeat << 4) | (times.size() & 0x0F)));
  sub->SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body.data(), static_cast<int>(body.size()));
  return sub;
}

// An NEC-like frame: leader, 32 data bits, stop bit.
inline std::unique_ptr<TQVXIrSubFunction> MakeNecSub(std::uint32_t code, int repeat = 1) {
  std::vector<std::uint8_t> body;
  for (int bit = 0; bit < 32; ++bit) body.push_back(((code >> bit) & 1) ? 0x23 : 0x22);
  body.push_back(0x24);
  return MakeSub(1736, {342, 171, 21, 64, 1520}, {0x01}, body, repeat);
}

inline std::unique_ptr<TQVXIrFunction> MakeFunction(const char* name, int subCount = 1, std::uint32_t code = 0x20DF10EF) {
  auto f = std::make_unique<TQVXIrFunction>();
  f->SetName(name);
  for (int i = 0; i < subCount; ++i) f->AddSubFunction(MakeNecSub(code + static_cast<std::uint32_t>(i)));
  return f;
}

inline std::vector<std::uint8_t> SaveToBytes(TQVXIr& ir, int standardSlots = 0) {
  const std::int64_t size = ir.ComputeSize(true, standardSlots);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size), 0);
  TQVXIrSaveBuffer out(bytes.data(), bytes.size());
  ir.Save(out, standardSlots);
  return bytes;
}

inline void LoadFromBytes(TQVXIr& ir, const std::vector<std::uint8_t>& bytes) {
  TQVXIrLoadBuffer in(bytes.data(), bytes.size());
  ir.Load(in);
}

// The stored form of a scrambled byte written after CHAIN.
inline std::uint8_t Scramble(std::uint8_t plain, std::uint8_t chain) {
  return static_cast<std::uint8_t>((plain ^ 0xE5) - chain);
}

}  // namespace quillon::testing
