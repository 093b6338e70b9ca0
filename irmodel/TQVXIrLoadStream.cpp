#include "irmodel/TQVXIrLoadStream.h"

namespace quillon {

TQVXIrLoadStream::~TQVXIrLoadStream() = default;

std::int64_t TQVXIrLoadStream::Seek(std::int64_t) { return -1; }
std::int64_t TQVXIrLoadStream::Tell() const { return -1; }
bool TQVXIrLoadStream::AtEnd() const { return true; }
std::int64_t TQVXIrLoadStream::GetSize() const { return 0; }

int TQVXIrLoadStream::Read16() {
  const int high = ReadByte();
  const int low = ReadByte();
  // A read at the end gives -1, which spreads into the high bits just as the
  // plain (high << 8) | low would; callers mask what they keep.
  return static_cast<int>(static_cast<unsigned>(high) << 8) | low;
}

std::int32_t TQVXIrLoadStream::Read32() {
  const int high = Read16();
  const int low = Read16();
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) | static_cast<std::uint32_t>(low));
}

int TQVXIrLoadStream::ReadSigned16(bool plainSecond) {
  const int high = ReadPlainByte();
  const int low = plainSecond ? ReadPlainByte() : ReadByte();
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(((high & 0xFF) << 8) | (low & 0xFF)));
}

std::int32_t TQVXIrLoadStream::ReadSigned32(bool plain) {
  const int high = ReadSigned16(plain);
  const int low = plain ? ReadSigned16(true) : Read16();
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(high) << 16) | static_cast<std::uint32_t>(low));
}

}  // namespace quillon
