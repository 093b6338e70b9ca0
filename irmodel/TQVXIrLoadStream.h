#pragma once
// Input stream of the driver file layout. Bytes are plain or scrambled with a
// running one-byte chain value s (the last plain value read): a scrambled
// byte c reads as ((s + c) mod 256) XOR 0xE5.
#include <cstdint>

namespace quillon {

class TQVXIrLoadStream {
 public:
  explicit TQVXIrLoadStream(bool flag = false) : flag_(flag) {}
  TQVXIrLoadStream(const TQVXIrLoadStream&) = delete;
  TQVXIrLoadStream& operator=(const TQVXIrLoadStream&) = delete;
  virtual ~TQVXIrLoadStream();

  // Moves to POSITION and returns it; -1 (no move) when the stream is not
  // open or the position is outside 0 .. size-1.
  virtual std::int64_t Seek(std::int64_t position);
  // The current position, or -1.
  virtual std::int64_t Tell() const;
  // True when not open or at/after the end.
  virtual bool AtEnd() const;
  // Byte size of the data (0 for the abstract stream).
  virtual std::int64_t GetSize() const;
  // The construction flag (stored, no effect).
  virtual bool GetFlag() const { return flag_; }
  // One plain byte 0..255 (sets the chain to it), or -1 at the end.
  virtual int ReadPlainByte() = 0;
  // Reads up to COUNT scrambled bytes into BUFFER: the number read (fewer at
  // the end), -1 when already at the end, 0 for no buffer or count < 1.
  virtual int ReadBlock(std::uint8_t* buffer, int count) = 0;
  // One scrambled byte 0..255, or -1 at the end.
  virtual int ReadByte() = 0;
  // Sets the chain value to VALUE mod 256.
  virtual void SetChain(int value) = 0;
  // (ReadByte() << 8) | ReadByte().
  virtual int Read16();
  // (Read16() << 16) | Read16().
  virtual std::int32_t Read32();
  // Sign-extended 16-bit value: a plain high byte, then a byte read plain
  // (PLAINSECOND) or scrambled.
  virtual int ReadSigned16(bool plainSecond);
  // (ReadSigned16(plain) << 16) | (plain ? ReadSigned16(true) : Read16()).
  virtual std::int32_t ReadSigned32(bool plain);

 private:
  bool flag_;
};

}  // namespace quillon
