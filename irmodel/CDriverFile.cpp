#include "irmodel/CDriverFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon {
namespace {

std::string Describe(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + std::strerror(err);
}

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
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) throw Error(Describe("cannot open", path, errno));
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) throw Error(Describe("cannot read", path, errno));
  if (!S_ISREG(info.st_mode)) throw Error("cannot read " + path + ": not a regular file");
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxReadSize) throw Error("cannot read " + path + ": file too large");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Error(Describe("cannot read", path, errno));
    if (got == 0) break;  // the file shrank while being read
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void CDriverFile::WriteReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
  if (path.empty()) throw Error("cannot write: no file name");
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) throw Error("cannot write " + path + ": not a file name");

  mode_t mode = 0644;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) throw Error("cannot write " + path + ": is a folder");
    mode = old.st_mode & 07777;
  }

  std::string temp = folder + "/." + name.substr(0, 200) + ".XXXXXX";
  std::vector<char> pattern(temp.begin(), temp.end());
  pattern.push_back('\0');
  Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd.Get() < 0) throw Error(Describe("cannot write", path, errno));
  temp.assign(pattern.data());

  auto fail = [&](int err) {
    ::close(fd.Release());
    ::unlink(temp.c_str());
    throw Error(Describe("cannot write", path, err));
  };
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::write(fd.Get(), bytes + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) fail(put < 0 ? errno : EIO);
    done += static_cast<std::size_t>(put);
  }
  if (::fchmod(fd.Get(), mode) != 0) fail(errno);
  if (::fsync(fd.Get()) != 0) fail(errno);
  if (::close(fd.Release()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw Error(Describe("cannot write", path, err));
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw Error(Describe("cannot write", path, err));
  }
}

}  // namespace quillon
