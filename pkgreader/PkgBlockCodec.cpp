#include "pkgreader/PkgBlockCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "pkgreader/PkgHuffmanTree.h"

namespace quillon {

namespace {

constexpr uint8_t kMagic[4] = {'V', 'l', 'm', 'r'};

uint32_t ReadBE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

void WriteBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

// MSB-first reader over one block's coded bytes through a 16-bit register
// refilled with two bytes (first byte high) whenever it is empty. A last odd
// byte is completed with a zero byte; running out of bytes is an error.
class BitReader {
 public:
  BitReader(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}

  bool Bit(int& bit) {
    if (count_ == 0) {
      if (p_ >= end_) return false;
      uint32_t hi = *p_++;
      uint32_t lo = p_ < end_ ? *p_++ : 0;
      reg_ = (hi << 8) | lo;
      count_ = 16;
    }
    bit = (reg_ >> 15) & 1;
    reg_ = (reg_ << 1) & 0xFFFF;
    --count_;
    return true;
  }

  bool Bits(int k, uint32_t& v) {
    v = 0;
    for (int i = 0; i < k; ++i) {
      int b;
      if (!Bit(b)) return false;
      v = (v << 1) | static_cast<uint32_t>(b);
    }
    return true;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  uint32_t reg_ = 0;
  int count_ = 0;
};

bool DecodeSymbol(const CPkgHuffmanTree& tree, BitReader& in, int& symbol) {
  int node = tree.Root();
  while (!tree.IsLeaf(node)) {
    int bit;
    if (!in.Bit(bit)) return false;
    node = tree.Child(node, bit);
  }
  symbol = node;
  return true;
}

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

  // The K low bits of V, most significant first.
  void Bits(uint32_t v, int k) {
    if (k > 16) {
      Bits(v >> 16, k - 16);
      k = 16;
    }
    reg_ = (reg_ << k) | (v & ((1u << k) - 1u));
    count_ += k;
    if (count_ >= 16) {
      count_ -= 16;
      const uint32_t word = reg_ >> count_;
      out_.push_back(static_cast<uint8_t>(word >> 8));
      out_.push_back(static_cast<uint8_t>(word));
      reg_ &= (1u << count_) - 1u;
    }
  }

  void Finish() {
    if (count_ == 0) return;
    reg_ <<= (16 - count_);
    out_.push_back(static_cast<uint8_t>(reg_ >> 8));
    out_.push_back(static_cast<uint8_t>(reg_));
    reg_ = 0;
    count_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint32_t reg_ = 0;
  int count_ = 0;
};

int FloorLog2(uint32_t v) {
  int r = -1;
  while (v) {
    v >>= 1;
    ++r;
  }
  return r;
}

void EmitSymbol(CPkgHuffmanTree& tree, BitWriter& out, int symbol) {
  uint32_t bits;
  int length;
  tree.Code(symbol, bits, length);
  out.Bits(bits, length);
  tree.Update(symbol);
}

void EmitLength(CPkgHuffmanTree& symbols, BitWriter& out, int length) {
  const uint32_t m = static_cast<uint32_t>(length - 3);
  if (m < 8) {
    EmitSymbol(symbols, out, 256 + static_cast<int>(m));
    return;
  }
  const int k = FloorLog2(m) - 2;
  const uint32_t r = m - (1u << (k + 2));
  const int s = 264 + (k - 1) * 4 + static_cast<int>(r >> k);
  EmitSymbol(symbols, out, s);
  out.Bits(r & ((1u << k) - 1), k);
}

void EmitDistance(CPkgHuffmanTree& distances, BitWriter& out, int distance) {
  const uint32_t value = static_cast<uint32_t>(distance - 3);
  if (value <= 3) {
    EmitSymbol(distances, out, static_cast<int>(value));
    return;
  }
  const int k = FloorLog2(value) - 1;
  const uint32_t r = value - (1u << (k + 1));
  const int d = 4 + (k - 1) * 2 + static_cast<int>(r >> k);
  EmitSymbol(distances, out, d);
  out.Bits(r & ((1u << k) - 1), k);
}

}  // namespace

int CPkgBlockCodec::CandidatesForLevel(int level) {
  switch (level) {
    case 2: return 8;
    case 3: return 32;
    case 4: return 256;
    case 5: return 1;
    default: return 4;
  }
}

bool CPkgBlockCodec::PeekTotalSize(const uint8_t* data, size_t size, uint32_t& total) {
  total = 0;
  if (data == nullptr || size < 8 || std::memcmp(data, kMagic, 4) != 0) return false;
  total = ReadBE32(data + 4);
  return true;
}

bool CPkgBlockCodec::Decode(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  out.clear();
  uint32_t total;
  if (!PeekTotalSize(data, size, total)) return false;
  size_t pos = 8;
  CPkgHuffmanTree symbols(kSymbolLeaves, kSymbolStep);
  CPkgHuffmanTree distances(kDistanceLeaves, kDistanceStep);
  // The claimed size is not trusted for the allocation: the output grows
  // with the bytes actually decoded, so a damaged stream fails before it
  // has taken much memory.
  out.reserve(std::min<size_t>(total, size_t{64} << 10));
  for (;;) {
    if (size - pos < 4) return false;
    const uint32_t coded = ReadBE32(data + pos);
    pos += 4;
    if (coded == 0) break;
    if (size - pos < 4) return false;
    const uint32_t plain = ReadBE32(data + pos);
    pos += 4;
    if (coded > size - pos) return false;
    if (plain > kMaxBlock || plain > total - out.size()) return false;
    BitReader in(data + pos, coded);
    pos += coded;
    const size_t start = out.size();
    const size_t end = start + plain;
    while (out.size() < end) {
      int symbol;
      if (!DecodeSymbol(symbols, in, symbol)) return false;
      symbols.Update(symbol);
      if (symbol < 256) {
        out.push_back(static_cast<uint8_t>(symbol));
        continue;
      }
      uint32_t length;
      if (symbol < 264) {
        length = static_cast<uint32_t>(symbol - 256);
      } else {
        const int k = ((symbol - 264) >> 2) + 1;
        uint32_t v;
        if (!in.Bits(k, v)) return false;
        length = v + (1u << (k + 2)) + ((static_cast<uint32_t>(symbol) & 3u) << k);
      }
      length += 3;
      int d;
      if (!DecodeSymbol(distances, in, d)) return false;
      distances.Update(d);
      uint32_t value;
      if (d <= 3) {
        value = static_cast<uint32_t>(d);
      } else {
        const int k = ((d - 4) >> 1) + 1;
        uint32_t v;
        if (!in.Bits(k, v)) return false;
        value = v + (1u << (k + 1)) + ((static_cast<uint32_t>(d) & 1u) << k);
      }
      const size_t back = static_cast<size_t>(value) + 3;
      if (back > out.size() - start || length > end - out.size()) return false;  // corrupt: outside the block
      // Byte by byte: the copy may overlap its own output.
      for (size_t from = out.size() - back, i = 0; i < length; ++i) {
        const uint8_t byte = out[from + i];
        out.push_back(byte);
      }
    }
  }
  return true;
}

std::vector<uint8_t> CPkgBlockCodec::Encode(const uint8_t* data, size_t size, int level) {
  std::vector<uint8_t> out;
  out.reserve(size + size / 16 + 64);
  for (uint8_t c : kMagic) out.push_back(c);
  WriteBE32(out, static_cast<uint32_t>(size));
  CPkgHuffmanTree symbols(kSymbolLeaves, kSymbolStep);
  CPkgHuffmanTree distances(kDistanceLeaves, kDistanceStep);
  const int candidates = CandidatesForLevel(level);

  constexpr int kHashBits = 15;
  constexpr uint32_t kHashSize = 1u << kHashBits;
  // Newest position of each hash, and the chain of earlier positions: prev
  // is written for a position before it is ever followed, and head is
  // emptied (all bits set: -1) for every block with one memset. The 128 KiB
  // of heads are kept per thread, as packages encode many small parts.
  thread_local std::unique_ptr<int32_t[]> heads;
  if (!heads) heads = std::make_unique_for_overwrite<int32_t[]>(kHashSize);
  int32_t* const head = heads.get();
  const size_t largestBlock = std::min<size_t>(size, kMaxBlock);
  const auto prev = std::make_unique_for_overwrite<int32_t[]>(std::max<size_t>(largestBlock, 1));
  std::vector<uint8_t> coded;
  coded.reserve(largestBlock + largestBlock / 8 + 16);

  for (size_t blockStart = 0; blockStart < size; blockStart += kMaxBlock) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(kMaxBlock, size - blockStart));
    const uint8_t* b = data + blockStart;
    std::memset(head, 0xFF, kHashSize * sizeof(int32_t));
    coded.clear();
    BitWriter bits(coded);
    auto hash = [&](uint32_t i) {
      const uint32_t v = (static_cast<uint32_t>(b[i]) << 16) | (static_cast<uint32_t>(b[i + 1]) << 8) | b[i + 2];
      return (v * 2654435761u) >> (32 - kHashBits);
    };
    auto insert = [&](uint32_t i) {
      if (i + 3 > n) return;
      const uint32_t h = hash(i);
      prev[i] = head[h];
      head[h] = static_cast<int32_t>(i);
    };
    uint32_t i = 0;
    while (i < n) {
      int bestLength = 0;
      uint32_t bestDistance = 0;
      if (i + kMinMatch <= n) {
        const uint32_t maxLength = std::min<uint32_t>(kMaxMatch, n - i);
        int32_t candidate = head[hash(i)];
        // Positions closer than the shortest distance the stream can express
        // are not candidates.
        for (int tries = 0; candidate >= 0 && tries < candidates;) {
          const uint32_t distance = i - static_cast<uint32_t>(candidate);
          if (distance > static_cast<uint32_t>(kMaxDistance)) break;
          if (distance >= static_cast<uint32_t>(kMinDistance)) {
            ++tries;
            const uint8_t* p = b + candidate;
            const uint8_t* q = b + i;
            uint32_t len = 0;
            while (len < maxLength && p[len] == q[len]) ++len;
            if (static_cast<int>(len) > bestLength) {
              bestLength = static_cast<int>(len);
              bestDistance = distance;
              if (len == maxLength) break;
            }
          }
          candidate = prev[candidate];
        }
      }
      if (bestLength >= kMinMatch) {
        EmitLength(symbols, bits, bestLength);
        EmitDistance(distances, bits, static_cast<int>(bestDistance));
        for (int k = 0; k < bestLength; ++k) insert(i + static_cast<uint32_t>(k));
        i += static_cast<uint32_t>(bestLength);
      } else {
        EmitSymbol(symbols, bits, b[i]);
        insert(i);
        ++i;
      }
    }
    bits.Finish();
    WriteBE32(out, static_cast<uint32_t>(coded.size()));
    WriteBE32(out, n);
    out.insert(out.end(), coded.begin(), coded.end());
  }
  WriteBE32(out, 0);
  return out;
}

}  // namespace quillon
