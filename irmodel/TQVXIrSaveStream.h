#pragma once
// Output stream of the driver file layout. A plain byte p is stored as is; a
// scrambled byte p is stored as ((p XOR 0xE5) - s) mod 256, where the chain
// value s is the last plain value written.
#include <cstdint>

namespace quillon {

class TQVXIrSaveStream {
 public:
  TQVXIrSaveStream() = default;
  TQVXIrSaveStream(const TQVXIrSaveStream&) = delete;
  TQVXIrSaveStream& operator=(const TQVXIrSaveStream&) = delete;
  virtual ~TQVXIrSaveStream();

  // COUNT scrambled bytes: 0 when there is no buffer or no data, else 1.
  virtual int WriteBlock(const std::uint8_t* bytes, int count) = 0;
  // One scrambled byte: 0 when there is no buffer, else 1; throws
  // TQVXIrException code 4 when the buffer is full.
  virtual int WriteByte(int value) = 0;
  // One plain byte, as WriteByte.
  virtual int WritePlainByte(int value) = 0;
  // Sets the chain value to VALUE mod 256.
  virtual void SetChain(int value) = 0;
  // The high then the low byte of VALUE with WriteByte; returns the bytes written.
  int Write16(int value);
};

}  // namespace quillon
