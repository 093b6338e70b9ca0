#pragma once

// Drivers the benchmarks build: NEC frames stored as the learner stores them.

#include <cstdint>
#include <memory>
#include <vector>

#include "irmodel/TQVXIrSubFunction.h"

namespace quillon::bench {

// One NEC frame (address, its complement, command, its complement) with the
// usual repeat frame as its body.
inline std::unique_ptr<TQVXIrSubFunction> NecFrame(std::uint8_t address, std::uint8_t command) {
  std::vector<std::uint8_t> header{0x01};
  for (std::uint8_t byte : {address, static_cast<std::uint8_t>(~address), command, static_cast<std::uint8_t>(~command)})
    for (int bit = 0; bit < 8; ++bit) header.push_back(((byte >> bit) & 1) ? 0x23 : 0x22);
  header.push_back(0x24);
  const std::uint8_t body[2] = {0x05, 0x26};
  const std::uint16_t times[7] = {342, 171, 21, 64, 1520, 86, 3650};
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(TQVXIrSubFunction::kModulated);
  sub->SetDivider(1736);
  sub->SetTimes(times, 7);
  sub->SetCounts(0x17);
  sub->SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body, 2);
  return sub;
}

}  // namespace quillon::bench
