#pragma once
// One tagged value of a driver header. Tags below 240 hold text; tags 240
// and above hold binary data of explicit size (255 is the 4-byte flags word).
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon {

class TQVXIrHeaderEntry {
 public:
  // Known tags.
  static constexpr int kDeviceManufacturer = 0x81;
  static constexpr int kDeviceModel = 0x82;
  static constexpr int kDeviceType = 0x83;
  static constexpr int kDriverVersion = 0x84;
  static constexpr int kSavedTime = 0x85;
  static constexpr int kComments = 0x86;
  static constexpr int kFormatVersion = 0x87;
  static constexpr int kProgramVersion = 0x88;
  static constexpr int kFileName = 0x89;
  static constexpr int kFlags = 0xFF;
  static constexpr int kFirstBinaryTag = 0xF0;
  // Bit 0 of the flags word.
  static constexpr std::uint32_t kVelmorSupported = 0x01;

  // An entry made from a text: see SetText.
  TQVXIrHeaderEntry(int tag, const char* text);
  // An entry holding SIZE bytes copied from BYTES (no data when size <= 0).
  TQVXIrHeaderEntry(int tag, int size, const std::uint8_t* bytes);
  TQVXIrHeaderEntry(const TQVXIrHeaderEntry& other);
  TQVXIrHeaderEntry& operator=(const TQVXIrHeaderEntry& other);
  virtual ~TQVXIrHeaderEntry();

  int GetTag() const { return tag_; }

  // Replaces the content from a text. Tags below 240: a copy of the text up
  // to its NUL. Tag 255: the first 4 bytes of the text (NUL included, then
  // zero bytes when the text is shorter) as a binary value. Other tags of 240
  // and above: no data. A null text leaves no data.
  void SetText(const char* text);
  // Replaces the content with SIZE bytes copied from BYTES (binary entry).
  void SetBinary(int size, const std::uint8_t* bytes);

  bool HasData() const { return has_data_; }
  // The data as a NUL-terminated text (binary data gets a NUL after it), or
  // null when there is no data.
  const char* GetText() const;
  // The data bytes, or null when there is no data.
  const std::uint8_t* GetData() const;
  // The byte length of binary data; 0 for text entries.
  int GetSize() const { return size_; }
  bool IsBinary() const { return binary_; }
  // Bytes of data: the size of binary data, the text length of a text.
  int GetDataLength() const;
  // The data bytes as a view (empty when there is none).
  std::string_view GetBytes() const;
  // Data length + 1 (1 when there is no data).
  int GetStoredLength() const { return GetDataLength() + 1; }

  // The flags word (tag 255) as a big-endian 32-bit value; 0 when shorter.
  std::uint32_t GetFlagsWord() const;

 private:
  int tag_;
  bool has_data_ = false;
  bool binary_ = false;
  int size_ = 0;
  // Data bytes followed by one NUL (so text reads stop there).
  std::vector<char> data_;
};

}  // namespace quillon
