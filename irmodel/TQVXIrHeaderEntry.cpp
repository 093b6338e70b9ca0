#include "irmodel/TQVXIrHeaderEntry.h"

#include <cstring>

namespace quillon {

TQVXIrHeaderEntry::TQVXIrHeaderEntry(int tag, const char* text) : tag_(tag) { SetText(text); }

TQVXIrHeaderEntry::TQVXIrHeaderEntry(int tag, int size, const std::uint8_t* bytes) : tag_(tag) {
  SetBinary(size, bytes);
}

TQVXIrHeaderEntry::TQVXIrHeaderEntry(const TQVXIrHeaderEntry& other) = default;
TQVXIrHeaderEntry& TQVXIrHeaderEntry::operator=(const TQVXIrHeaderEntry& other) = default;
TQVXIrHeaderEntry::~TQVXIrHeaderEntry() = default;

void TQVXIrHeaderEntry::SetText(const char* text) {
  data_.clear();
  has_data_ = false;
  binary_ = false;
  size_ = 0;
  if (text == nullptr) return;
  if (tag_ == kFlags) {
    // The flags word: four bytes of binary value. A shorter text contributes
    // its bytes up to and including its NUL; the rest is zero.
    std::uint8_t word[4] = {0, 0, 0, 0};
    const std::size_t length = std::strlen(text);
    std::memcpy(word, text, length < 4 ? length + 1 : 4);
    SetBinary(4, word);
    return;
  }
  if (tag_ >= kFirstBinaryTag) return;
  const std::size_t length = std::strlen(text);
  data_.assign(text, text + length);
  data_.push_back('\0');
  has_data_ = true;
}

void TQVXIrHeaderEntry::SetBinary(int size, const std::uint8_t* bytes) {
  data_.clear();
  has_data_ = false;
  binary_ = true;
  size_ = 0;
  if (size <= 0) return;
  data_.resize(static_cast<std::size_t>(size) + 1, '\0');
  if (bytes) std::memcpy(data_.data(), bytes, static_cast<std::size_t>(size));
  size_ = size;
  has_data_ = true;
}

const char* TQVXIrHeaderEntry::GetText() const { return has_data_ ? data_.data() : nullptr; }

const std::uint8_t* TQVXIrHeaderEntry::GetData() const {
  return has_data_ ? reinterpret_cast<const std::uint8_t*>(data_.data()) : nullptr;
}

int TQVXIrHeaderEntry::GetDataLength() const {
  if (!has_data_) return 0;
  return binary_ ? size_ : static_cast<int>(data_.size() - 1);
}

std::string_view TQVXIrHeaderEntry::GetBytes() const {
  if (!has_data_) return {};
  return std::string_view(data_.data(), static_cast<std::size_t>(GetDataLength()));
}

std::uint32_t TQVXIrHeaderEntry::GetFlagsWord() const {
  if (GetDataLength() < 4) return 0;
  const auto* d = GetData();
  return (static_cast<std::uint32_t>(d[0]) << 24) | (static_cast<std::uint32_t>(d[1]) << 16) |
         (static_cast<std::uint32_t>(d[2]) << 8) | d[3];
}

}  // namespace quillon
