#include "pkgreader/PkgHuffmanTree.h"

#include <cstddef>
#include <limits>

namespace quillon {

namespace {
constexpr uint32_t kFrozenInterval = 8192;
constexpr uint32_t kFreezeTotal = 8192;
constexpr int kMaxDepth = 16;
}  // namespace

CPkgHuffmanTree::CPkgHuffmanTree(int leaves, uint32_t step)
    : n_(leaves),
      step_(step),
      freq_(2 * leaves - 1),
      parent_(2 * leaves - 1),
      child0_(2 * leaves - 1),
      child1_(2 * leaves - 1),
      bit_(2 * leaves - 1) {
  Reset();
}

void CPkgHuffmanTree::Reset() {
  for (int i = 0; i < n_; ++i) freq_[i] = 1;
  countdown_ = step_;
  total_ = 0;
  frozen_ = false;
  rebuilds_ = 0;
  Build(false);
}

// Joins the active nodes pairwise until one root is left. The scan keeps the
// last two nodes whose frequency did not exceed either remembered frequency;
// it is deliberately not a strict search for the two smallest, and the shape
// it produces is part of the stream format.
void CPkgHuffmanTree::Pair() {
  const int total = 2 * n_ - 1;
  for (int i = 0; i < total; ++i) {
    parent_[i] = i;
    bit_[i] = 0;
  }
  for (int i = 0; i < n_; ++i) child0_[i] = child1_[i] = i;  // a leaf's children are itself
  // The active nodes in index order: the leaves, then each joined node (the
  // highest index so far) in place of its two children. Scanning only these
  // visits the nodes in the same order as a scan of all nodes that skips the
  // inactive ones.
  live_.resize(static_cast<size_t>(n_));
  for (int i = 0; i < n_; ++i) live_[static_cast<size_t>(i)] = i;
  for (int next = n_; next < total; ++next) {
    uint32_t last = std::numeric_limits<uint32_t>::max();
    uint32_t beforeLast = std::numeric_limits<uint32_t>::max();
    size_t chosen = 0;  // positions in live_
    size_t other = 0;
    for (size_t k = 0; k < live_.size(); ++k) {
      const uint32_t f = freq_[static_cast<size_t>(live_[k])];
      if (f <= beforeLast || f <= last) {
        other = chosen;
        chosen = k;
        beforeLast = last;
        last = f;
      }
    }
    // The first two active nodes are always taken, so OTHER lies before CHOSEN.
    const int a = live_[chosen];
    const int b = live_[other];
    live_.erase(live_.begin() + static_cast<std::ptrdiff_t>(chosen));
    live_.erase(live_.begin() + static_cast<std::ptrdiff_t>(other));
    live_.push_back(next);
    freq_[next] = freq_[a] + freq_[b];
    child0_[next] = a;
    child1_[next] = b;
    parent_[a] = next;
    bit_[a] = 0;
    parent_[b] = next;
    bit_[b] = 1;
  }
}

int CPkgHuffmanTree::MaxLeafDepth() const {
  const int total = 2 * n_ - 1;
  std::vector<int> depth(total, 0);
  int deepest = 0;
  // Parents always have higher indices than their children.
  for (int i = total - 1; i >= n_; --i) {
    depth[child0_[i]] = depth[i] + 1;
    depth[child1_[i]] = depth[i] + 1;
  }
  for (int i = 0; i < n_; ++i)
    if (depth[i] > deepest) deepest = depth[i];
  return deepest;
}

void CPkgHuffmanTree::Build(bool rescale) {
  for (;;) {
    Pair();
    if (MaxLeafDepth() <= kMaxDepth) break;
    bool changed = false;
    for (int i = 0; i < n_; ++i) {
      const uint32_t f = (freq_[i] | 4u) >> 2;
      if (f != freq_[i]) changed = true;
      freq_[i] = f;
    }
    // Frequencies that no longer change cannot give a flatter tree; stop
    // rather than loop for ever.
    if (!changed) break;
  }
  if (rescale) {
    for (int i = 0; i < n_; ++i) freq_[i] = (freq_[i] >> 1) | 1u;
  }
  ++rebuilds_;
}

void CPkgHuffmanTree::Update(int leaf) {
  ++freq_[leaf];
  if (--countdown_ != 0) return;
  if (frozen_) {
    countdown_ = kFrozenInterval;
  } else {
    total_ += step_;
    if (total_ >= kFreezeTotal) frozen_ = true;
    countdown_ = step_;
  }
  Build(true);
}

bool CPkgHuffmanTree::Code(int leaf, uint32_t& bits, int& length) const {
  bits = 0;
  length = 0;
  const int root = Root();
  for (int node = leaf; node != root; node = parent_[node]) {
    if (length >= 32) return false;
    bits |= static_cast<uint32_t>(bit_[node]) << length;
    ++length;
  }
  return true;
}

}  // namespace quillon
