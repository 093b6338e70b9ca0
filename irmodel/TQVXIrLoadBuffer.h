#pragma once
// Reads the driver file layout from a caller-owned memory block.
#include <cstddef>
#include <cstdint>

#include "irmodel/TQVXIrLoadStream.h"

namespace quillon {

class TQVXIrLoadBuffer : public TQVXIrLoadStream {
 public:
  // The block is not copied and not freed; it must outlive the stream.
  TQVXIrLoadBuffer(const std::uint8_t* data, std::size_t size, bool flag = false);
  ~TQVXIrLoadBuffer() override;

  std::int64_t Seek(std::int64_t position) override;
  std::int64_t Tell() const override;
  bool AtEnd() const override;
  std::int64_t GetSize() const override;
  int ReadPlainByte() override;
  int ReadBlock(std::uint8_t* buffer, int count) override;
  int ReadByte() override;
  void SetChain(int value) override { chain_ = static_cast<std::uint8_t>(value); }

 private:
  bool IsOpen() const { return data_ != nullptr; }

  const std::uint8_t* data_;
  std::int64_t size_;
  std::int64_t pos_ = 0;
  std::uint8_t chain_ = 0;
};

}  // namespace quillon
