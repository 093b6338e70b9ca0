#include "pkgreader/PkgHuffmanTree.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <map>
#include <mutex>

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
  countdown_ = step_;
  total_ = 0;
  frozen_ = false;
  // Every stream starts from the tree of all-ones frequencies: it is built
  // once per leaf count and copied from then on.
  struct Start {
    std::vector<uint32_t> freq;
    std::vector<int32_t> parent, child0, child1;
    std::vector<uint8_t> bit;
  };
  static std::mutex lock;
  static std::map<int, Start> starts;
  const std::lock_guard<std::mutex> hold(lock);
  const auto known = starts.find(n_);
  if (known == starts.end()) {
    std::fill(freq_.begin(), freq_.begin() + n_, 1u);
    rebuilds_ = 0;
    Build(false);
    starts.emplace(n_, Start{freq_, parent_, child0_, child1_, bit_});
    return;
  }
  const Start& start = known->second;
  freq_ = start.freq;
  parent_ = start.parent;
  child0_ = start.child0;
  child1_ = start.child1;
  bit_ = start.bit;
  rebuilds_ = 1;
}

// Joins the active nodes pairwise until one root is left. Each join scans the
// active nodes in index order and takes the last two whose frequency did not
// exceed the larger of the two frequencies taken before (any frequency while
// fewer than two are taken); it is deliberately not a strict search for the
// two smallest, and the shape it produces is part of the stream format.
//
// The scans are not repeated from the start. The two nodes a scan takes are
// its last two, so the next scan runs exactly like this one up to the earlier
// of them: it resumes there from the state the scan had before taking it. A
// node is taken exactly when its frequency is at most that larger frequency,
// so the nodes in between are skipped with a minimum tree over node indices
// (joined nodes get the highest index so far, so index order is scan order).
void CPkgHuffmanTree::Pair() {
  const int total = 2 * n_ - 1;
  for (int i = 0; i < total; ++i) {
    parent_[i] = i;
    bit_[i] = 0;
  }
  for (int i = 0; i < n_; ++i) child0_[i] = child1_[i] = i;  // a leaf's children are itself

  // Minimum tree: an active node holds its frequency, any other node a value
  // above every frequency.
  constexpr uint64_t kInactive = std::numeric_limits<uint64_t>::max();
  size_t width = 1;
  while (width < static_cast<size_t>(total)) width *= 2;
  lowest_.assign(2 * width, kInactive);
  auto set = [&](size_t node, uint64_t value) {
    size_t at = width + node;
    lowest_[at] = value;
    for (at /= 2; at >= 1; at /= 2) lowest_[at] = std::min(lowest_[2 * at], lowest_[2 * at + 1]);
  };
  for (size_t i = 0; i < static_cast<size_t>(n_); ++i) lowest_[width + i] = freq_[i];
  for (size_t at = width - 1; at >= 1; --at) lowest_[at] = std::min(lowest_[2 * at], lowest_[2 * at + 1]);
  // The first active node from FROM on whose frequency is at most LIMIT, or -1.
  auto first = [&](size_t from, uint64_t limit) -> int {
    if (from >= width) return -1;
    size_t at = width + from;
    if (lowest_[at] <= limit) return static_cast<int>(from);
    // Climb while the subtrees to the right of the path hold nothing small
    // enough, then descend into the leftmost one that does.
    for (;;) {
      while (at % 2 == 1) {
        at /= 2;
        if (at <= 1) return -1;
      }
      ++at;  // the right sibling
      if (lowest_[at] <= limit) break;
    }
    while (at < width) at = lowest_[2 * at] <= limit ? 2 * at : 2 * at + 1;
    return static_cast<int>(at - width);
  };

  // The nodes the scan took, in scan order, with the two frequencies it
  // remembered after each.
  taken_.clear();
  for (int next = n_; next < total; ++next) {
    uint64_t beforeLast = std::numeric_limits<uint32_t>::max();
    uint64_t last = std::numeric_limits<uint32_t>::max();
    size_t from = 0;
    if (!taken_.empty()) {
      beforeLast = taken_.back().beforeLast;
      last = taken_.back().last;
      from = static_cast<size_t>(taken_.back().node) + 1;
    }
    for (int node; (node = first(from, std::max(beforeLast, last))) >= 0;) {
      beforeLast = last;
      last = freq_[static_cast<size_t>(node)];
      taken_.push_back(Taken{node, beforeLast, last});
      from = static_cast<size_t>(node) + 1;
    }
    // The first two active nodes are always taken.
    const int chosen = taken_.back().node;
    const int other = taken_[taken_.size() - 2].node;
    taken_.pop_back();
    taken_.pop_back();
    set(static_cast<size_t>(chosen), kInactive);
    set(static_cast<size_t>(other), kInactive);
    freq_[next] = freq_[chosen] + freq_[other];
    set(static_cast<size_t>(next), freq_[next]);
    child0_[next] = chosen;
    child1_[next] = other;
    parent_[chosen] = next;
    bit_[chosen] = 0;
    parent_[other] = next;
    bit_[other] = 1;
  }
}

int CPkgHuffmanTree::MaxLeafDepth() const {
  const int total = 2 * n_ - 1;
  std::vector<int>& depth = depth_;
  depth.assign(static_cast<size_t>(total), 0);
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
