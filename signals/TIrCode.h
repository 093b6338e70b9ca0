#pragma once
// What a protocol signal carries: the protocol's name, its address and its
// command, numbered as the public IR databases number them in their .ir
// files (the "address" and "command" fields, least significant byte first).
#include <cstdint>
#include <string>

namespace quillon {

struct TIrCode {
  static constexpr const char* kUnknown = "unknown";

  std::string protocol = kUnknown;
  uint32_t address = 0;
  uint32_t command = 0;

  bool Known() const { return protocol != kUnknown; }
  bool operator==(const TIrCode&) const = default;
};

}  // namespace quillon
