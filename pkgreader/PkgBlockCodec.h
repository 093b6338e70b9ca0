#pragma once
// The package block codec: "Vlmr", the big-endian total size, then blocks of
// at most 1 MiB, each with its big-endian coded and plain lengths, ended by a
// zero coded length. Blocks are coded with two adaptive Huffman trees that
// live for the whole stream; matches stay inside their block.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

class CPkgBlockCodec {
 public:
  static constexpr uint32_t kMaxBlock = 1u << 20;  // 1 MiB
  static constexpr int kSymbolLeaves = 292;        // 256 literals + 36 lengths
  static constexpr int kDistanceLeaves = 30;
  static constexpr uint32_t kSymbolStep = 438;
  static constexpr uint32_t kDistanceStep = 45;
  static constexpr int kMinMatch = 3;
  static constexpr int kMaxMatch = 1026;
  static constexpr int kMinDistance = 3;
  static constexpr int kMaxDistance = 32770;

  // The total size from a stream head; false when the data is too short or
  // the magic is wrong.
  static bool PeekTotalSize(const uint8_t* data, size_t size, uint32_t& total);

  // Decodes a whole block stream into OUT (the concatenated blocks). Fails on
  // a wrong magic, a truncated stream, a block larger than 1 MiB, output that
  // would pass a block's length or the stream's total size, a copy reaching
  // before its block, or coded data that runs out.
  static bool Decode(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

  // Encodes DATA as a block stream; LEVEL 1..5 sets how many earlier match
  // candidates are examined (4, 8, 32, 256, 1). Level 0 or anything else
  // out of range is treated as level 1.
  static std::vector<uint8_t> Encode(const uint8_t* data, size_t size, int level);

  // Match candidates examined per position at LEVEL.
  static int CandidatesForLevel(int level);
};

}  // namespace quillon
