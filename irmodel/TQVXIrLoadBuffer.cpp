#include "irmodel/TQVXIrLoadBuffer.h"

namespace quillon {

TQVXIrLoadBuffer::TQVXIrLoadBuffer(const std::uint8_t* data, std::size_t size, bool flag)
    : TQVXIrLoadStream(flag), data_(data), size_(data ? static_cast<std::int64_t>(size) : 0) {}

TQVXIrLoadBuffer::~TQVXIrLoadBuffer() = default;

std::int64_t TQVXIrLoadBuffer::Seek(std::int64_t position) {
  if (!IsOpen() || position < 0 || position >= size_) return -1;
  pos_ = position;
  return pos_;
}

std::int64_t TQVXIrLoadBuffer::Tell() const { return IsOpen() ? pos_ : -1; }

bool TQVXIrLoadBuffer::AtEnd() const { return !IsOpen() || pos_ >= size_; }

std::int64_t TQVXIrLoadBuffer::GetSize() const { return size_; }

int TQVXIrLoadBuffer::ReadPlainByte() {
  if (AtEnd()) return -1;
  chain_ = data_[pos_++];
  return chain_;
}

int TQVXIrLoadBuffer::ReadByte() {
  if (AtEnd()) return -1;
  chain_ = static_cast<std::uint8_t>((chain_ + data_[pos_++]) ^ 0xE5);
  return chain_;
}

int TQVXIrLoadBuffer::ReadBlock(std::uint8_t* buffer, int count) {
  if (buffer == nullptr || count < 1) return 0;
  if (AtEnd()) return -1;
  int n = 0;
  while (n < count && !AtEnd()) buffer[n++] = static_cast<std::uint8_t>(ReadByte());
  return n;
}

}  // namespace quillon
