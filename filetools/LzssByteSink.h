#pragma once
// Where the codec writes its bytes: a bounded memory buffer that silently
// cuts at its capacity, an open file handle, or a counter. Put() reports
// whether the byte was taken; the codec ignores the report.
#include <cstdint>
#include <memory>

#include "filetools/CLzssException.h"

namespace quillon::filetools {

class LzssByteSink {
 public:
  virtual ~LzssByteSink() = default;
  virtual bool Put(uint8_t byte) = 0;
};

// A buffer and its capacity. Bytes beyond the capacity are dropped (Put
// answers false). A null buffer or a capacity <= 0 raises
// CLzssException("LZSS Target Buffer Overflow") at the first byte.
class LzssBoundedMemorySink final : public LzssByteSink {
 public:
  LzssBoundedMemorySink(uint8_t* buffer, int64_t capacity)
      : buffer_(buffer), capacity_(buffer ? capacity : 0) {}
  // One comparison per byte: without a buffer the capacity is 0.
  bool Put(uint8_t byte) override {
    if (count_ < capacity_) {
      buffer_[count_++] = byte;
      return true;
    }
    if (capacity_ <= 0) throw CLzssException("LZSS Target Buffer Overflow");
    return false;
  }
  int64_t Count() const { return count_; }

 private:
  uint8_t* buffer_;
  int64_t capacity_;
  int64_t count_ = 0;
};

// Writes at the descriptor's current position, through a write buffer that
// Flush() (and the destructor) empties; the bytes written are the same as
// with one write per byte. Count() is the number of bytes handed in.
class LzssFileSink final : public LzssByteSink {
 public:
  explicit LzssFileSink(int fd);
  ~LzssFileSink() override;
  LzssFileSink(const LzssFileSink&) = delete;
  LzssFileSink& operator=(const LzssFileSink&) = delete;

  bool Put(uint8_t byte) override {
    if (failed_) return false;
    buffer_[used_++] = byte;
    ++count_;
    if (used_ == kBufferSize) return Flush();
    return true;
  }
  // Writes what is buffered; false once any write has failed.
  bool Flush();
  int64_t Count() const { return count_; }
  bool Failed() const { return failed_; }

 private:
  static constexpr int64_t kBufferSize = 65536;
  int fd_;
  std::unique_ptr<uint8_t[]> buffer_;
  int64_t used_ = 0;
  int64_t count_ = 0;
  bool failed_ = false;
};

// Stores nothing, counts the bytes.
class LzssCountingSink final : public LzssByteSink {
 public:
  bool Put(uint8_t) override {
    ++count_;
    return true;
  }
  int64_t Count() const { return count_; }

 private:
  int64_t count_ = 0;
};

}  // namespace quillon::filetools
