#include "irmodel/CDriverFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SafeFile.h"

namespace quillon {
namespace {

std::string Describe(const std::string& path, int err) { return path + ": " + std::strerror(err); }

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace

std::vector<std::uint8_t> CDriverFile::ReadAll(const std::string& path) {
  // "-" is standard input (the command-line tool's convention).
  if (path == "-") {
    try {
      return ReadFileSafely(path, kMaxReadSize);
    } catch (const SafeFileError& e) {
      throw Error(e.what());
    }
  }
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) throw Error(Describe(path, errno));
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) throw Error(Describe(path, errno));
  if (!S_ISREG(info.st_mode)) throw Error(path + ": not a regular file");
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxReadSize) throw Error(path + ": file too large");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Error(Describe(path, errno));
    if (got == 0) break;  // the file shrank while being read
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void CDriverFile::WriteReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
  if (path.empty()) throw Error("(no file name): not a file name");
  try {
    WriteFileSafely(path, bytes, size);
  } catch (const SafeFileError& e) {
    throw Error(e.what());
  }
}

}  // namespace quillon
