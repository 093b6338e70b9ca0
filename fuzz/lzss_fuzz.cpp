// LZSS streams: any bytes decode (the stream has no header, so every byte
// sequence is a stream); the decoded size the counting pass reports is what
// a decode into a large enough buffer delivers, and a cut buffer is filled
// to its capacity and no further. The input read as plain text encodes and
// decodes back to itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filetools/LzssOperations.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(lzss) {
  using namespace quillon::filetools;
  // Keep the run short: a copy unit expands two bytes into eighteen.
  if (size == 0 || size > (1u << 16)) return 0;
  const auto length = static_cast<std::int32_t>(size);

  const std::int64_t decoded = BufferDecodedSize(data, length);
  QUILLON_FUZZ_CHECK(decoded >= 0 && decoded <= static_cast<std::int64_t>(size) * 9);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(decoded) + 16, 0xA5);
  std::int32_t outLength = static_cast<std::int32_t>(out.size());
  if (DecodeMemToMem(data, length, out.data(), &outLength) == 1) QUILLON_FUZZ_CHECK(outLength == decoded);

  // A buffer smaller than the result: the stream is cut silently at its
  // capacity, nothing is written past it.
  if (decoded > 1) {
    const std::size_t cut = static_cast<std::size_t>(decoded / 2);
    std::vector<std::uint8_t> small(cut + 8, 0x5A);
    std::int32_t smallLength = static_cast<std::int32_t>(cut);
    if (DecodeMemToMem(data, length, small.data(), &smallLength) == 1) {
      QUILLON_FUZZ_CHECK(smallLength <= static_cast<std::int32_t>(cut));
      QUILLON_FUZZ_CHECK(std::equal(small.begin(), small.begin() + smallLength, out.begin()));
    }
    QUILLON_FUZZ_CHECK(std::all_of(small.begin() + static_cast<std::ptrdiff_t>(cut), small.end(),
                                   [](std::uint8_t b) { return b == 0x5A; }));
  }

  // Round trip of the input as plain bytes.
  const std::int32_t compressed = BufferCompressedSize(data, length);
  QUILLON_FUZZ_CHECK(compressed > 0);
  std::vector<std::uint8_t> code(static_cast<std::size_t>(compressed));
  std::int32_t codeLength = compressed;
  QUILLON_FUZZ_CHECK(EncodeMemToMem(data, length, code.data(), &codeLength) == 1);
  QUILLON_FUZZ_CHECK(codeLength == compressed);
  std::vector<std::uint8_t> plain(size);
  std::int32_t plainLength = length;
  QUILLON_FUZZ_CHECK(DecodeMemToMem(code.data(), codeLength, plain.data(), &plainLength) == 1);
  QUILLON_FUZZ_CHECK(plainLength == length);
  QUILLON_FUZZ_CHECK(std::equal(plain.begin(), plain.end(), data));
  return 0;
}
