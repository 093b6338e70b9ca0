#include "irmodel/TQVXIrSaveBuffer.h"

#include "irmodel/TQVXIrException.h"

namespace quillon {

TQVXIrSaveBuffer::TQVXIrSaveBuffer(std::uint8_t* buffer, std::size_t size) : buffer_(buffer), size_(buffer ? size : 0) {}

TQVXIrSaveBuffer::~TQVXIrSaveBuffer() = default;

int TQVXIrSaveBuffer::WriteBlock(const std::uint8_t* bytes, int count) {
  if (buffer_ == nullptr || bytes == nullptr || count < 1) return 0;
  for (int i = 0; i < count; ++i) WriteByte(bytes[i]);
  return 1;
}

int TQVXIrSaveBuffer::WriteByte(int value) {
  if (buffer_ == nullptr) return 0;
  if (pos_ >= size_) throw TQVXIrException(TQVXIrException::kWriteError);
  const auto plain = static_cast<std::uint8_t>(value);
  buffer_[pos_++] = static_cast<std::uint8_t>((plain ^ 0xE5) - chain_);
  chain_ = plain;
  return 1;
}

int TQVXIrSaveBuffer::WritePlainByte(int value) {
  if (buffer_ == nullptr) return 0;
  if (pos_ >= size_) throw TQVXIrException(TQVXIrException::kWriteError);
  chain_ = static_cast<std::uint8_t>(value);
  buffer_[pos_++] = chain_;
  return 1;
}

}  // namespace quillon
