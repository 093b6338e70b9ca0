#include "irmodel/TQVXIrLoadFile.h"

namespace quillon {

TQVXIrLoadFile::TQVXIrLoadFile(const char* path, bool flag) : TQVXIrLoadStream(flag), path_(path ? path : "") {}

TQVXIrLoadFile::~TQVXIrLoadFile() { Close(); }

bool TQVXIrLoadFile::Open() {
  Close();
  if (path_.empty()) return false;
  file_ = std::fopen(path_.c_str(), "rb");
  if (!file_) return false;
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    Close();
    return false;
  }
  const long size = std::ftell(file_);
  if (size < 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    Close();
    return false;
  }
  size_ = size;
  pos_ = 0;
  chain_ = 0;
  return true;
}

void TQVXIrLoadFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  size_ = 0;
  pos_ = 0;
}

std::int64_t TQVXIrLoadFile::Seek(std::int64_t position) {
  if (!IsOpen() || position < 0 || position >= size_) return -1;
  if (std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) return -1;
  pos_ = position;
  return pos_;
}

std::int64_t TQVXIrLoadFile::Tell() const { return IsOpen() ? pos_ : -1; }

bool TQVXIrLoadFile::AtEnd() const { return !IsOpen() || pos_ >= size_; }

std::int64_t TQVXIrLoadFile::GetSize() const { return size_; }

int TQVXIrLoadFile::ReadRaw() {
  if (AtEnd()) return -1;
  const int c = std::fgetc(file_);
  if (c == EOF) {
    // The file shrank after it was opened: treat the rest as missing.
    pos_ = size_;
    return -1;
  }
  ++pos_;
  return c;
}

int TQVXIrLoadFile::ReadPlainByte() {
  const int c = ReadRaw();
  if (c < 0) return -1;
  chain_ = static_cast<std::uint8_t>(c);
  return chain_;
}

int TQVXIrLoadFile::ReadByte() {
  const int c = ReadRaw();
  if (c < 0) return -1;
  chain_ = static_cast<std::uint8_t>((chain_ + c) ^ 0xE5);
  return chain_;
}

int TQVXIrLoadFile::ReadBlock(std::uint8_t* buffer, int count) {
  if (buffer == nullptr || count < 1) return 0;
  if (AtEnd()) return -1;
  int n = 0;
  while (n < count) {
    const int c = ReadByte();
    if (c < 0) break;
    buffer[n++] = static_cast<std::uint8_t>(c);
  }
  return n;
}

}  // namespace quillon
