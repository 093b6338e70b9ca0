// Package block streams: any bytes decode or are refused, and a decoded
// stream never passes the total size its head claims. The input's first
// bytes read as plain data encode at the level its first byte picks and
// decode back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pkgreader/PkgBlockCodec.h"

// Plain bytes taken into the round trip.
constexpr std::size_t kRoundTrip = 1200;

QUILLON_FUZZ_TARGET(pkgcodec) {
  using quillon::CPkgBlockCodec;
  std::vector<std::uint8_t> out;
  if (CPkgBlockCodec::Decode(data, size, out)) {
    std::uint32_t total = 0;
    QUILLON_FUZZ_CHECK(CPkgBlockCodec::PeekTotalSize(data, size, total));
    QUILLON_FUZZ_CHECK(out.size() <= total);
  }

  // Round trip of the input's first bytes read as plain data, at the level
  // its first byte picks. The work per byte is mostly the trees rebuilt every
  // 438 symbols on both sides; the first kRoundTrip bytes reach the first
  // rebuilds and the longest matches, and keep the run fast.
  if (size == 0) return 0;
  const std::size_t plainSize = std::min(size, kRoundTrip);
  const int level = data[0] % 6;
  const std::vector<std::uint8_t> code = CPkgBlockCodec::Encode(data, plainSize, level);
  std::vector<std::uint8_t> plain;
  QUILLON_FUZZ_CHECK(CPkgBlockCodec::Decode(code.data(), code.size(), plain));
  QUILLON_FUZZ_CHECK(plain.size() == plainSize);
  QUILLON_FUZZ_CHECK(std::equal(plain.begin(), plain.end(), data));
  return 0;
}
