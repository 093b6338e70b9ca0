// Package block streams: any bytes decode or are refused, and a decoded
// stream never passes the total size its head claims. The input read as
// plain bytes encodes at the level its first byte picks and decodes back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pkgreader/PkgBlockCodec.h"

QUILLON_FUZZ_TARGET(pkgcodec) {
  using quillon::CPkgBlockCodec;
  std::vector<std::uint8_t> out;
  if (CPkgBlockCodec::Decode(data, size, out)) {
    std::uint32_t total = 0;
    QUILLON_FUZZ_CHECK(CPkgBlockCodec::PeekTotalSize(data, size, total));
    QUILLON_FUZZ_CHECK(out.size() <= total);
  }

  // The encoder's slowest level examines 256 candidates per position: keep
  // the round trip to small inputs.
  if (size == 0 || size > 4096) return 0;
  const int level = data[0] % 6;
  const std::vector<std::uint8_t> code = CPkgBlockCodec::Encode(data, size, level);
  std::vector<std::uint8_t> plain;
  QUILLON_FUZZ_CHECK(CPkgBlockCodec::Decode(code.data(), code.size(), plain));
  QUILLON_FUZZ_CHECK(plain.size() == size);
  QUILLON_FUZZ_CHECK(std::equal(plain.begin(), plain.end(), data));
  return 0;
}
