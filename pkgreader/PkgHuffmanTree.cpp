#include "pkgreader/PkgHuffmanTree.h"

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
      bit_(2 * leaves - 1),
      active_(2 * leaves - 1) {
  Reset();
}

void CPkgHuffmanTree::Reset() {
  countdown_ = step_;
  total_ = 0;
  frozen_ = false;
  // Every stream starts from the same tree (all leaf frequencies 1), and
  // building it costs more than decoding a short stream (a user block, a
  // table, a support file) takes. It is built once per leaf count and copied.
  struct StartTree {
    std::vector<uint32_t> freq;
    std::vector<int32_t> parent, child0, child1;
    std::vector<uint8_t> bit, active;
  };
  static std::mutex lock;
  static std::map<int, StartTree> trees;
  {
    std::lock_guard<std::mutex> guard(lock);
    const auto it = trees.find(n_);
    if (it != trees.end()) {
      freq_ = it->second.freq;
      parent_ = it->second.parent;
      child0_ = it->second.child0;
      child1_ = it->second.child1;
      bit_ = it->second.bit;
      active_ = it->second.active;
      rebuilds_ = 1;
      return;
    }
  }
  for (int i = 0; i < n_; ++i) freq_[i] = 1;
  rebuilds_ = 0;
  Build(false);
  std::lock_guard<std::mutex> guard(lock);
  trees.emplace(n_, StartTree{freq_, parent_, child0_, child1_, bit_, active_});
}

// Joins the active nodes pairwise until one root is left. The scan keeps the
// last two nodes whose frequency did not exceed either remembered frequency;
// it is deliberately not a strict search for the two smallest, and the shape
// it produces is part of the stream format.
void CPkgHuffmanTree::Pair() {
  const int total = 2 * n_ - 1;
  for (int i = 0; i < total; ++i) {
    active_[i] = i < n_ ? 1 : 0;
    parent_[i] = i;
    bit_[i] = 0;
  }
  for (int i = 0; i < n_; ++i) child0_[i] = child1_[i] = i;  // a leaf's children are itself
  // The active nodes in index order, with their frequencies side by side: a
  // new node has the highest index so far and goes to the end. Scanning only
  // these visits the nodes the full scan would, in the same order.
  std::vector<int32_t> ids(static_cast<std::size_t>(n_));
  std::vector<uint32_t> freqs(static_cast<std::size_t>(n_));
  for (int i = 0; i < n_; ++i) {
    ids[static_cast<std::size_t>(i)] = i;
    freqs[static_cast<std::size_t>(i)] = freq_[i];
  }
  for (int next = n_; next < total; ++next) {
    uint32_t last = std::numeric_limits<uint32_t>::max();
    uint32_t beforeLast = std::numeric_limits<uint32_t>::max();
    std::size_t chosenAt = 0;
    std::size_t otherAt = 0;
    for (std::size_t k = 0; k < freqs.size(); ++k) {
      const uint32_t f = freqs[k];
      if (f <= beforeLast || f <= last) {
        otherAt = chosenAt;
        chosenAt = k;
        beforeLast = last;
        last = f;
      }
    }
    // With two or more active nodes the first two are always taken, so both
    // positions name scanned nodes and OTHERAT lies before CHOSENAT.
    const int chosen = ids[chosenAt];
    const int other = ids[otherAt];
    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(chosenAt));
    freqs.erase(freqs.begin() + static_cast<std::ptrdiff_t>(chosenAt));
    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(otherAt));
    freqs.erase(freqs.begin() + static_cast<std::ptrdiff_t>(otherAt));
    active_[chosen] = 0;
    active_[other] = 0;
    freq_[next] = freq_[chosen] + freq_[other];
    active_[next] = 1;
    ids.push_back(next);
    freqs.push_back(freq_[next]);
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
