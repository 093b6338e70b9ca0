#pragma once
// Writes the driver file layout into a caller-owned buffer of fixed size.
#include <cstddef>
#include <cstdint>

#include "irmodel/TQVXIrSaveStream.h"

namespace quillon {

class TQVXIrSaveBuffer : public TQVXIrSaveStream {
 public:
  // The buffer is not freed; it must outlive the stream.
  TQVXIrSaveBuffer(std::uint8_t* buffer, std::size_t size);
  ~TQVXIrSaveBuffer() override;

  int WriteBlock(const std::uint8_t* bytes, int count) override;
  int WriteByte(int value) override;
  int WritePlainByte(int value) override;
  void SetChain(int value) override { chain_ = static_cast<std::uint8_t>(value); }

  // Bytes written so far.
  std::size_t GetPosition() const { return pos_; }

 private:
  std::uint8_t* buffer_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::uint8_t chain_ = 0;
};

}  // namespace quillon
