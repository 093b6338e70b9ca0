// LZSS streams: any bytes decode (the stream has no header, so every byte
// sequence is a stream); the decoded size the counting pass reports is what
// a decode into a large enough buffer delivers, a cut stream decodes to the
// start of that, and a short buffer is filled to its capacity and no
// further. The input's first bytes read as plain
// data encode and decode back to themselves.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filetools/LzssOperations.h"
#include "fuzz/FuzzTarget.h"

// Stream bytes decoded into a short buffer, and plain bytes taken into the
// round trip: the decoder sees the whole input once counting and once
// writing; these further passes check properties that short inputs show.
constexpr std::size_t kCutPrefix = 128;
constexpr std::size_t kRoundTrip = 128;

QUILLON_FUZZ_TARGET(lzss) {
  using namespace quillon::filetools;
  // Keep the run short: a copy unit expands two bytes into eighteen.
  if (size == 0 || size > (1u << 16)) return 0;
  const auto length = static_cast<std::int32_t>(size);

  const std::int64_t decoded = BufferDecodedSize(data, length);
  QUILLON_FUZZ_CHECK(decoded >= 0 && decoded <= static_cast<std::int64_t>(size) * 9);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(decoded) + 16, 0xA5);
  std::int32_t outLength = static_cast<std::int32_t>(out.size());
  QUILLON_FUZZ_CHECK(DecodeMemToMem(data, length, out.data(), &outLength) == 1);
  QUILLON_FUZZ_CHECK(outLength == decoded);

  // A buffer smaller than the result, on the stream's first bytes (a cut
  // stream decodes to the start of what the whole one gives): the output is
  // cut silently at the buffer's capacity, and nothing is written past it.
  const auto prefix = static_cast<std::int32_t>(std::min<std::size_t>(size, kCutPrefix));
  const std::int64_t prefixDecoded = prefix == length ? decoded : BufferDecodedSize(data, prefix);
  QUILLON_FUZZ_CHECK(prefixDecoded <= decoded);
  if (prefixDecoded > 1) {
    const std::size_t cut = static_cast<std::size_t>(prefixDecoded / 2);
    std::vector<std::uint8_t> small(cut + 8, 0x5A);
    std::int32_t smallLength = static_cast<std::int32_t>(cut);
    QUILLON_FUZZ_CHECK(DecodeMemToMem(data, prefix, small.data(), &smallLength) == 1);
    QUILLON_FUZZ_CHECK(smallLength == static_cast<std::int32_t>(cut));
    QUILLON_FUZZ_CHECK(std::equal(small.begin(), small.begin() + smallLength, out.begin()));
    QUILLON_FUZZ_CHECK(std::all_of(small.begin() + static_cast<std::ptrdiff_t>(cut), small.end(),
                                   [](std::uint8_t b) { return b == 0x5A; }));
  }

  // Round trip of the input's first bytes as plain data (the encoder's work
  // per byte is a tree search; the decoder above sees the whole input).
  const auto plainSize = static_cast<std::int32_t>(std::min<std::size_t>(size, kRoundTrip));
  const std::int32_t compressed = BufferCompressedSize(data, plainSize);
  QUILLON_FUZZ_CHECK(compressed > 0);
  std::vector<std::uint8_t> code(static_cast<std::size_t>(compressed));
  std::int32_t codeLength = compressed;
  QUILLON_FUZZ_CHECK(EncodeMemToMem(data, plainSize, code.data(), &codeLength) == 1);
  QUILLON_FUZZ_CHECK(codeLength == compressed);
  std::vector<std::uint8_t> plain(static_cast<std::size_t>(plainSize));
  std::int32_t plainLength = plainSize;
  QUILLON_FUZZ_CHECK(DecodeMemToMem(code.data(), codeLength, plain.data(), &plainLength) == 1);
  QUILLON_FUZZ_CHECK(plainLength == plainSize);
  QUILLON_FUZZ_CHECK(std::equal(plain.begin(), plain.end(), data));
  return 0;
}
