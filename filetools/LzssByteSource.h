#pragma once
// Where the codec reads its bytes from: memory, or an open file handle with
// a read-ahead buffer. Get() answers the next byte as 0..255, or -1 at the
// end. The concrete sources are final so the codec's templates call them
// directly.
#include <cstdint>
#include <memory>

namespace quillon::filetools {

class LzssByteSource {
 public:
  virtual ~LzssByteSource() = default;
  virtual int Get() = 0;
};

// A pointer and a length.
class LzssMemorySource final : public LzssByteSource {
 public:
  LzssMemorySource(const uint8_t* data, int64_t length)
      : at_(data), end_(data && length > 0 ? data + length : data) {}
  int Get() override { return at_ < end_ ? *at_++ : -1; }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
};

// An open file descriptor and a byte limit; -1 means from the current
// position to the end of the file (file size minus current position, taken
// without moving the position). Reads ahead at most 100000 bytes at a time.
class LzssFileSource final : public LzssByteSource {
 public:
  static constexpr int64_t kReadAhead = 100000;

  LzssFileSource(int fd, int64_t limit);
  int Get() override {
    if (at_ < filled_) return buffer_[at_++];
    return Refill();
  }
  // Bytes the source will deliver in total (after resolving -1).
  int64_t Limit() const { return limit_; }

 private:
  int Refill();

  int fd_;
  int64_t limit_;
  int64_t remaining_;
  std::unique_ptr<uint8_t[]> buffer_;
  int64_t at_ = 0;
  int64_t filled_ = 0;
};

}  // namespace quillon::filetools
