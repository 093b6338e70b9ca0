#pragma once
// LZSS with a 4096-byte ring window and binary search trees for finding
// matches. The stream has no header, length or checksum: groups of one flag
// byte (bit 0 describes the first unit) and up to eight units, each a
// literal byte (flag 1) or a two-byte copy (flag 0) of 3..18 bytes from an
// absolute ring position. Encoder and decoder start with ring positions
// 0..4077 filled with spaces and the write position at 4078; every other
// ring byte starts as zero. The output is byte for byte that of the
// classic tree encoder, including which of two equally long matches wins.
//
// Encode/Decode are templates over the source and sink so that the final
// source and sink classes are called directly in the inner loops.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace quillon::filetools {

class CLzssCodec {
 public:
  static constexpr int N = 4096;        // ring size
  static constexpr int F = 18;          // longest copy
  static constexpr int THRESHOLD = 2;   // copies must be longer than this
  static constexpr int NIL = N;         // empty tree link

  // The trees are prepared by Encode; decoding uses the ring alone.
  CLzssCodec() = default;

  template <class Source, class Sink>
  void Encode(Source& in, Sink& out);
  template <class Source, class Sink>
  void Decode(Source& in, Sink& out);

  int64_t TextSize() const { return text_size_; }
  int64_t CodeSize() const { return code_size_; }
  int MatchPosition() const { return match_position_; }
  int MatchLength() const { return match_length_; }

 private:
  void InitTree();
  // Number of equal leading bytes of two ring strings counting the first
  // (which is equal by construction), 1..18, and the difference of the
  // first unequal pair (0 when all 18 are equal). Compares eight bytes at a
  // time; the result is that of the byte-by-byte loop.
  static int CommonPrefix(const uint8_t* key, const uint8_t* node, int& cmp) {
    for (int at = 1; at + 8 <= F; at += 8) {
      uint64_t a;
      uint64_t b;
      std::memcpy(&a, key + at, 8);
      std::memcpy(&b, node + at, 8);
      if (a != b) {
        const int i = at + LowestDifferingByte(a, b);
        cmp = key[i] - node[i];
        return i;
      }
    }
    // Byte 17, the last one.
    cmp = key[F - 1] - node[F - 1];
    return cmp != 0 ? F - 1 : F;
  }
  // Index (0..7) of the first differing byte in memory order.
  static int LowestDifferingByte(uint64_t a, uint64_t b) {
    const uint64_t x = a ^ b;
    if constexpr (std::endian::native == std::endian::little)
      return std::countr_zero(x) / 8;
    else
      return std::countl_zero(x) / 8;
  }
  void InsertNode(int r);
  void DeleteNode(int p);

  uint8_t text_buf_[N + F - 1];
  uint16_t lson_[N + 1];
  uint16_t rson_[N + 257];
  uint16_t dad_[N + 1];
  int match_position_ = 0;
  int match_length_ = 0;
  int64_t text_size_ = 0;
  int64_t code_size_ = 0;
};

// Every link empty: the 256 roots (right children N+1 .. N+256) and every
// node's children and parent.
inline void CLzssCodec::InitTree() {
  std::fill(std::begin(lson_), std::end(lson_), static_cast<uint16_t>(NIL));
  std::fill(std::begin(rson_), std::end(rson_), static_cast<uint16_t>(NIL));
  std::fill(std::begin(dad_), std::end(dad_), static_cast<uint16_t>(NIL));
}

// Inserts the string ring[r .. r+17] into the tree of its first byte and
// records the longest match met on the way (the first one of that length).
// A full-length match replaces the old node, which leaves the tree.
inline void CLzssCodec::InsertNode(int r) {
  int cmp = 1;
  const uint8_t* key = &text_buf_[r];
  int p = N + 1 + key[0];
  rson_[r] = lson_[r] = NIL;
  match_length_ = 0;
  for (;;) {
    if (cmp >= 0) {
      if (rson_[p] != NIL) {
        p = rson_[p];
      } else {
        rson_[p] = static_cast<uint16_t>(r);
        dad_[r] = static_cast<uint16_t>(p);
        return;
      }
    } else {
      if (lson_[p] != NIL) {
        p = lson_[p];
      } else {
        lson_[p] = static_cast<uint16_t>(r);
        dad_[r] = static_cast<uint16_t>(p);
        return;
      }
    }
    const int i = CommonPrefix(key, &text_buf_[p], cmp);
    if (i > match_length_) {
      match_position_ = p;
      if ((match_length_ = i) >= F) break;
    }
  }
  dad_[r] = dad_[p];
  lson_[r] = lson_[p];
  rson_[r] = rson_[p];
  dad_[lson_[p]] = static_cast<uint16_t>(r);
  dad_[rson_[p]] = static_cast<uint16_t>(r);
  if (rson_[dad_[p]] == p)
    rson_[dad_[p]] = static_cast<uint16_t>(r);
  else
    lson_[dad_[p]] = static_cast<uint16_t>(r);
  dad_[p] = NIL;
}

inline void CLzssCodec::DeleteNode(int p) {
  if (dad_[p] == NIL) return;
  int q;
  if (rson_[p] == NIL) {
    q = lson_[p];
  } else if (lson_[p] == NIL) {
    q = rson_[p];
  } else {
    q = lson_[p];
    if (rson_[q] != NIL) {
      do {
        q = rson_[q];
      } while (rson_[q] != NIL);
      rson_[dad_[q]] = lson_[q];
      dad_[lson_[q]] = dad_[q];
      lson_[q] = lson_[p];
      dad_[lson_[p]] = static_cast<uint16_t>(q);
    }
    rson_[q] = rson_[p];
    dad_[rson_[p]] = static_cast<uint16_t>(q);
  }
  dad_[q] = dad_[p];
  if (rson_[dad_[p]] == p)
    rson_[dad_[p]] = static_cast<uint16_t>(q);
  else
    lson_[dad_[p]] = static_cast<uint16_t>(q);
  dad_[p] = NIL;
}

template <class Source, class Sink>
void CLzssCodec::Encode(Source& in, Sink& out) {
  InitTree();
  text_size_ = 0;
  code_size_ = 0;
  std::memset(text_buf_, 0, sizeof text_buf_);
  uint8_t code_buf[17];
  code_buf[0] = 0;
  int code_buf_ptr = 1;
  unsigned mask = 1;
  int s = 0;
  int r = N - F;
  std::memset(text_buf_, ' ', static_cast<size_t>(r));
  int len;
  int c = 0;
  for (len = 0; len < F && (c = in.Get()) >= 0; len++) text_buf_[r + len] = static_cast<uint8_t>(c);
  if ((text_size_ = len) == 0) return;
  for (int i = 1; i <= F; i++) InsertNode(r - i);
  InsertNode(r);
  do {
    if (match_length_ > len) match_length_ = len;
    if (match_length_ <= THRESHOLD) {
      match_length_ = 1;
      code_buf[0] = static_cast<uint8_t>(code_buf[0] | mask);
      code_buf[code_buf_ptr++] = text_buf_[r];
    } else {
      code_buf[code_buf_ptr++] = static_cast<uint8_t>(match_position_);
      code_buf[code_buf_ptr++] =
          static_cast<uint8_t>(((match_position_ >> 4) & 0xF0) | (match_length_ - (THRESHOLD + 1)));
    }
    mask = (mask << 1) & 0xFF;
    if (mask == 0) {
      for (int i = 0; i < code_buf_ptr; i++) out.Put(code_buf[i]);
      code_size_ += code_buf_ptr;
      code_buf[0] = 0;
      code_buf_ptr = 1;
      mask = 1;
    }
    const int last_match_length = match_length_;
    int i;
    for (i = 0; i < last_match_length && (c = in.Get()) >= 0; i++) {
      DeleteNode(s);
      text_buf_[s] = static_cast<uint8_t>(c);
      if (s < F - 1) text_buf_[s + N] = static_cast<uint8_t>(c);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    text_size_ += i;
    while (i++ < last_match_length) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len) InsertNode(r);
    }
  } while (len > 0);
  if (code_buf_ptr > 1) {
    for (int i = 0; i < code_buf_ptr; i++) out.Put(code_buf[i]);
    code_size_ += code_buf_ptr;
  }
}

template <class Source, class Sink>
void CLzssCodec::Decode(Source& in, Sink& out) {
  text_size_ = 0;
  code_size_ = 0;
  uint8_t* ring = text_buf_;
  std::memset(ring, 0, sizeof text_buf_);
  std::memset(ring, ' ', N - F);
  int r = N - F;
  unsigned flags = 0;
  int64_t produced = 0;
  int64_t consumed = 0;
  for (;;) {
    if (((flags >>= 1) & 256) == 0) {
      const int c = in.Get();
      if (c < 0) break;
      ++consumed;
      flags = static_cast<unsigned>(c) | 0xFF00;
    }
    if (flags & 1) {
      const int c = in.Get();
      if (c < 0) break;
      ++consumed;
      out.Put(static_cast<uint8_t>(c));
      ++produced;
      ring[r++] = static_cast<uint8_t>(c);
      r &= (N - 1);
    } else {
      int i = in.Get();
      if (i < 0) break;
      int j = in.Get();
      if (j < 0) break;
      consumed += 2;
      i |= ((j & 0xF0) << 4);
      j = (j & 0x0F) + THRESHOLD;
      for (int k = 0; k <= j; k++) {
        const uint8_t c = ring[(i + k) & (N - 1)];
        out.Put(c);
        ring[r++] = c;
        r &= (N - 1);
      }
      produced += j + 1;
    }
  }
  text_size_ = produced;
  code_size_ = consumed;
}

}  // namespace quillon::filetools
