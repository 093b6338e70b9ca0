#pragma once
// One adaptive Huffman tree of the package block codec. The block stream uses
// two of them (literal/length symbols and distances) that live for the whole
// stream; encoder and decoder update them identically after every symbol, so
// both always agree on the codes.
#include <cstdint>
#include <vector>

namespace quillon {

class CPkgHuffmanTree {
 public:
  // LEAVES symbols; STEP is the rebuild interval before the tree freezes
  // (438 for the symbol tree, 45 for the distance tree).
  CPkgHuffmanTree(int leaves, uint32_t step);

  // Every leaf frequency back to 1, counters reset, tree built without rescaling.
  void Reset();

  int LeafCount() const { return n_; }
  int Root() const { return 2 * n_ - 2; }
  bool IsLeaf(int node) const { return node < n_; }
  int Child(int node, int bit) const { return bit ? child1_[node] : child0_[node]; }

  // Counts one use of LEAF and rebuilds the tree when its countdown runs out.
  void Update(int leaf);

  // The code of LEAF, root first, in the low LENGTH bits of the result.
  // Returns false when the code is longer than 32 bits (never for trees
  // built here, whose leaves lie at most 16 levels deep).
  bool Code(int leaf, uint32_t& bits, int& length) const;

  // Frequency of a node and the tree's counters (for tests and diagnostics).
  uint32_t Frequency(int node) const { return freq_[node]; }
  void SetLeafFrequency(int leaf, uint32_t f) { freq_[leaf] = f; }
  uint32_t Countdown() const { return countdown_; }
  bool Frozen() const { return frozen_; }
  int MaxLeafDepth() const;
  uint32_t Rebuilds() const { return rebuilds_; }

  // Builds the tree from the current leaf frequencies; with RESCALE the leaf
  // frequencies are halved (lowest bit forced) afterwards.
  void Build(bool rescale);

 private:
  void Pair();

  int n_;
  uint32_t step_;
  uint32_t countdown_ = 0;
  uint32_t total_ = 0;
  bool frozen_ = false;
  uint32_t rebuilds_ = 0;
  std::vector<uint32_t> freq_;
  std::vector<int32_t> parent_;
  std::vector<int32_t> child0_;
  std::vector<int32_t> child1_;
  std::vector<uint8_t> bit_;
  // Scratch of Pair and MaxLeafDepth.
  struct Taken {
    int node;
    uint64_t beforeLast;
    uint64_t last;
  };
  std::vector<uint64_t> lowest_;
  std::vector<Taken> taken_;
  mutable std::vector<int> depth_;
};

}  // namespace quillon
