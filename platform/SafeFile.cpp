#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

namespace quillon {
namespace {

[[noreturn]] void Fail(const std::string& path, int err) { throw SafeFileError(path + ": " + std::strerror(err), err); }

[[noreturn]] void FailText(const std::string& path, const std::string& reason) {
  throw SafeFileError(path + ": " + reason, 0);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return m_fd; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

// Writes everything or returns the error number.
int WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::write(fd, bytes + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    if (put == 0) return EIO;
    done += static_cast<std::size_t>(put);
  }
  return 0;
}

}  // namespace

std::string ResolveOutputPath(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno == ENOENT) return current;  // a new file, or the missing target of a link
      Fail(path, errno);
    }
    if (!S_ISLNK(info.st_mode)) return current;
    std::string target(PATH_MAX, '\0');
    const ssize_t got = ::readlink(current.c_str(), target.data(), target.size());
    if (got < 0) Fail(path, errno);
    target.resize(static_cast<std::size_t>(got));
    if (target.empty()) Fail(path, ENOENT);
    current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
  }
  Fail(path, ELOOP);
}

OutputKind ClassifyOutput(const std::string& path) {
  if (path == "-") return OutputKind::Stdout;
  if (path.empty()) FailText("(no file name)", "not a file name");
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return OutputKind::Replace;
    Fail(path, errno);
  }
  if (S_ISDIR(info.st_mode)) Fail(path, EISDIR);
  return S_ISREG(info.st_mode) ? OutputKind::Replace : OutputKind::Direct;
}

bool OutputExists(const std::string& path) {
  if (path == "-") return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void CheckWritable(const std::string& path) {
  const OutputKind kind = ClassifyOutput(path);
  if (kind == OutputKind::Stdout) return;
  if (kind == OutputKind::Direct) {
    if (::access(path.c_str(), W_OK) != 0) Fail(path, errno);
    return;
  }
  const std::string target = ResolveOutputPath(path);
  const std::string folder = FolderOf(target);
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) Fail(path, errno);
  if (!S_ISDIR(info.st_mode)) Fail(path, ENOTDIR);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) Fail(path, errno);
  if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0 && errno != ENOENT) {
    // A read-only file can still be replaced by rename, but the user asked
    // for it to be protected; say so instead of overriding it.
    Fail(path, errno);
  }
}

SafeFileWriter::SafeFileWriter(const std::string& path) : m_path(path) {
  m_kind = ClassifyOutput(path);
  if (m_kind == OutputKind::Stdout) {
    m_fd = STDOUT_FILENO;
    return;
  }
  if (m_kind == OutputKind::Direct) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) quillon::Fail(path, errno);
    return;
  }

  m_target = ResolveOutputPath(path);
  const std::string name = NameOf(m_target);
  if (name.empty() || name == "." || name == "..") FailText(path, "not a file name");

  struct stat old {};
  m_replacing = ::stat(m_target.c_str(), &old) == 0;
  if (m_replacing && S_ISDIR(old.st_mode)) quillon::Fail(path, EISDIR);
  m_mode = old.st_mode & 07777;
  m_uid = old.st_uid;
  m_gid = old.st_gid;

  // A unique temporary name beside the target; O_EXCL makes it ours, and
  // creating it with 0666 lets the umask decide a new file's permissions.
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
    m_temp = FolderOf(m_target) + "/." + name.substr(0, 200) + "." + std::to_string(::getpid()) + "." +
             std::to_string(counter++) + ".tmp";
    m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0 && errno != EEXIST) quillon::Fail(path, errno);
  }
  if (m_fd < 0) quillon::Fail(path, EEXIST);
}

SafeFileWriter::~SafeFileWriter() { Abort(); }

void SafeFileWriter::Abort() noexcept {
  if (m_fd >= 0 && m_kind != OutputKind::Stdout) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
}

void SafeFileWriter::Fail(int err) {
  Abort();
  quillon::Fail(m_kind == OutputKind::Stdout ? std::string("standard output") : m_path, err);
}

void SafeFileWriter::Write(const void* data, std::size_t size) {
  if (m_fd < 0) Fail(EBADF);
  if (const int err = WriteAll(m_fd, data, size); err != 0) Fail(err);
}

void SafeFileWriter::Commit() {
  if (m_fd < 0) Fail(EBADF);
  if (m_kind == OutputKind::Stdout) {
    m_fd = -1;
    return;
  }
  if (m_kind == OutputKind::Direct) {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) quillon::Fail(m_path, errno);
    return;
  }
  if (m_replacing) {
    if (::fchmod(m_fd, m_mode) != 0) Fail(errno);
    // Keep the owner when the writer may (root editing a user's file); a
    // writer that may not simply keeps its own.
    if (m_uid != ::geteuid() || m_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(m_fd, m_uid, m_gid);
    }
  }
  if (::fsync(m_fd) != 0) Fail(errno);
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) Fail(errno);
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) Fail(errno);
  m_temp.clear();
}

void WriteFileSafely(const std::string& path, const void* data, std::size_t size) {
  SafeFileWriter writer(path);
  writer.Write(data, size);
  writer.Commit();
}

std::vector<std::uint8_t> ReadFileSafely(const std::string& path, std::size_t maxSize) {
  const bool stdinput = path == "-";
  const std::string shown = stdinput ? std::string("standard input") : path;
  Fd fd(stdinput ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  const int in = stdinput ? STDIN_FILENO : fd.Get();
  if (in < 0) Fail(shown, errno);
  struct stat info {};
  if (::fstat(in, &info) != 0) Fail(shown, errno);
  if (S_ISDIR(info.st_mode)) Fail(shown, EISDIR);
  std::vector<std::uint8_t> bytes;
  if (S_ISREG(info.st_mode) && info.st_size > 0) {
    if (static_cast<std::uintmax_t>(info.st_size) > maxSize) FailText(shown, "file too large");
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t got = ::read(in, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(shown, errno);
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > maxSize) FailText(shown, "file too large");
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

}  // namespace quillon
