#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "filetools/LzssByteSink.h"
#include "filetools/LzssByteSource.h"

namespace quillon::filetools {

LzssFileSource::LzssFileSource(int fd, int64_t limit) : fd_(fd), limit_(limit) {
  if (limit_ < 0) {
    struct stat st{};
    const off_t position = lseek(fd_, 0, SEEK_CUR);
    if (fd_ >= 0 && fstat(fd_, &st) == 0 && position >= 0)
      limit_ = std::max<int64_t>(0, static_cast<int64_t>(st.st_size) - position);
    else
      limit_ = 0;
  }
  remaining_ = limit_;
}

int LzssFileSource::Refill() {
  if (remaining_ <= 0 || fd_ < 0) return -1;
  if (!buffer_) buffer_ = std::make_unique<uint8_t[]>(static_cast<size_t>(std::min(remaining_, kReadAhead)));
  const int64_t want = std::min(remaining_, kReadAhead);
  ssize_t got;
  do {
    got = read(fd_, buffer_.get(), static_cast<size_t>(want));
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    remaining_ = 0;
    return -1;
  }
  remaining_ -= got;
  filled_ = got;
  at_ = 1;
  return buffer_[0];
}

LzssFileSink::LzssFileSink(int fd) : fd_(fd), buffer_(std::make_unique<uint8_t[]>(kBufferSize)) {}

LzssFileSink::~LzssFileSink() { Flush(); }

bool LzssFileSink::Flush() {
  int64_t done = 0;
  while (!failed_ && done < used_) {
    const ssize_t n = write(fd_, buffer_.get() + done, static_cast<size_t>(used_ - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += n;
  }
  used_ = 0;
  return !failed_;
}

}  // namespace quillon::filetools
