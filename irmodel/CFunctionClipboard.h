#pragma once
// The program's private clipboard for copied driver functions. A block is a
// 32-bit little-endian length word (the block's own size, 4 + image size)
// followed by a driver image. The holder lives in the process; the windowed
// program connects it to the desktop clipboard.
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace quillon {

class CFunctionClipboard {
 public:
  // The name under which the windowed program registers the private format.
  static constexpr const char* kFormatName = "Quillon.DriverFunctions";

  // A block holding IMAGE: its length word, then the image.
  static std::vector<uint8_t> MakeBlock(const std::vector<uint8_t>& image);

  // The image inside BLOCK, or nothing when the block is shorter than its
  // length word, or the word is below 4 or beyond the block.
  static std::optional<std::vector<uint8_t>> ImageOf(const std::vector<uint8_t>& block);

  // The process-wide holder.
  static CFunctionClipboard& Instance();

  void SetBlock(std::vector<uint8_t> block);
  std::optional<std::vector<uint8_t>> GetBlock() const;
  bool HasBlock() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::optional<std::vector<uint8_t>> block_;
};

}  // namespace quillon
