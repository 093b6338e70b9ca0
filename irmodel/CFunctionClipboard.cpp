#include "irmodel/CFunctionClipboard.h"

namespace quillon {

std::vector<uint8_t> CFunctionClipboard::MakeBlock(const std::vector<uint8_t>& image) {
  const uint32_t total = static_cast<uint32_t>(image.size() + 4);
  std::vector<uint8_t> block;
  block.reserve(total);
  for (int i = 0; i < 4; ++i) block.push_back(static_cast<uint8_t>(total >> (8 * i)));
  block.insert(block.end(), image.begin(), image.end());
  return block;
}

std::optional<std::vector<uint8_t>> CFunctionClipboard::ImageOf(const std::vector<uint8_t>& block) {
  if (block.size() < 4) return std::nullopt;
  uint32_t total = 0;
  for (int i = 0; i < 4; ++i) total |= static_cast<uint32_t>(block[i]) << (8 * i);
  if (total < 4 || total > block.size()) return std::nullopt;
  return std::vector<uint8_t>(block.begin() + 4, block.begin() + total);
}

CFunctionClipboard& CFunctionClipboard::Instance() {
  static CFunctionClipboard instance;
  return instance;
}

void CFunctionClipboard::SetBlock(std::vector<uint8_t> block) {
  std::lock_guard<std::mutex> lock(mutex_);
  block_ = std::move(block);
}

std::optional<std::vector<uint8_t>> CFunctionClipboard::GetBlock() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return block_;
}

bool CFunctionClipboard::HasBlock() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return block_.has_value();
}

void CFunctionClipboard::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  block_.reset();
}

}  // namespace quillon
