#include "filetools/CVmFileArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>

#include "filetools/CVmArchiveFormat.h"
#include "filetools/FileTools.h"
#include "filetools/LzssOperations.h"
#include "platform/SafeFile.h"

namespace quillon::filetools {
namespace {

bool ReadAt(int fd, uint64_t offset, uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, data + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int64_t SizeOf(int fd) {
  struct stat st{};
  return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

int OpenArchiveFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  // A read-only archive can still be read, and written through a
  // temporary file elsewhere.
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return fd;
}

// Copies `count` bytes from `from` at `offset` to the current position of
// `to` in blocks of 1024 bytes; false on a short read or write.
bool CopyBlocks(int from, uint64_t offset, uint32_t count, int to) {
  uint8_t block[1024];
  uint64_t at = offset;
  uint32_t left = count;
  while (left > 0) {
    const size_t want = left < sizeof block ? left : sizeof block;
    if (!ReadAt(from, at, block, want) || !WriteAll(to, block, want)) return false;
    at += want;
    left -= static_cast<uint32_t>(want);
  }
  return true;
}

}  // namespace

CVmFileArchive::~CVmFileArchive() { Abort(); }

std::string CVmFileArchive::FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string CVmFileArchive::MakeTempFile(const std::string& folder, const std::string& prefix) {
  static std::mt19937 rng(std::random_device{}());
  const unsigned start = rng() & 0xFFFF;
  for (unsigned i = 0; i < 0x10000; ++i) {
    const unsigned number = (start + i) & 0xFFFF;
    if (number == 0) continue;
    char name[32];
    std::snprintf(name, sizeof name, "%s%04X.tmp", prefix.c_str(), number);
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

void CVmFileArchive::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool CVmFileArchive::ReopenAt(const std::string& path) {
  CloseFile();
  fd_ = OpenArchiveFile(path);
  return fd_ >= 0;
}

void CVmFileArchive::Abort() {
  CloseFile();
  if (createdByOpen_ && !path_.empty()) ::unlink(path_.c_str());
  ResetState();
  path_.clear();
  createdByOpen_ = false;
}

bool CVmFileArchive::Open(const std::string& path) {
  Abort();
  path_ = path;
  fd_ = OpenArchiveFile(path);
  if (fd_ < 0) {
    if (errno != ENOENT) return false;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    // A new, empty archive whose file holds no header yet.
    createdByOpen_ = true;
    return true;
  }
  if (!Load()) {
    entries_.clear();
    notes_.clear();
    return false;
  }
  return true;
}

bool CVmFileArchive::Load() {
  // A file shorter than the header is no archive, whatever its first bytes
  // say (as for an image in memory).
  const int64_t fileSize = SizeOf(fd_);
  if (fileSize < static_cast<int64_t>(CVmArchiveHeader::kSize)) return false;
  uint8_t raw[CVmArchiveHeader::kSize] = {};
  if (!ReadAt(fd_, 0, raw, sizeof raw)) return false;
  CVmArchiveHeader header = CVmArchiveHeader::Parse(raw);
  header.ApplyVersionRule();
  major_ = header.major;
  minor_ = header.minor;
  origin_ = header.origin;
  if (!header.HasValidMagicAndKind() || header.directoryOffset == 0 ||
      header.directoryOffset >= static_cast<uint64_t>(fileSize))
    return false;
  uint8_t sizeWord[4];
  if (!ReadAt(fd_, header.directoryOffset, sizeWord, 4)) return false;
  const uint32_t dirSize = uint32_t{sizeWord[0]} | (uint32_t{sizeWord[1]} << 8) | (uint32_t{sizeWord[2]} << 16) |
                           (uint32_t{sizeWord[3]} << 24);
  const uint64_t packed = static_cast<uint64_t>(fileSize) - header.directoryOffset - 4;
  if (dirSize == 0 || dirSize > INT32_MAX || packed == 0 || packed > INT32_MAX ||
      dirSize > CVmArchiveFormat::MaxDecodedSize(packed))
    return false;
  std::vector<uint8_t> directory(dirSize);
  if (::lseek(fd_, static_cast<off_t>(header.directoryOffset) + 4, SEEK_SET) < 0) return false;
  int32_t decoded = static_cast<int32_t>(dirSize);
  if (!DecodeHandleToMem(fd_, -1, directory.data(), &decoded)) return false;
  return CVmArchiveFormat::ParseDirectory(directory.data(), static_cast<size_t>(decoded), entries_, notes_);
}

bool CVmFileArchive::ReadStored(const CVmArchiveEntry& entry, uint32_t count, std::vector<uint8_t>& out) {
  out.clear();
  if (!entry.pendingPath.empty()) {
    const int fd = ::open(entry.pendingPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const int64_t size = SizeOf(fd);
    bool ok = size >= static_cast<int64_t>(count);
    if (ok) {
      out.resize(count);
      ok = ReadAt(fd, 0, out.data(), count);
    }
    ::close(fd);
    if (!ok) out.clear();
    return ok;
  }
  if (fd_ < 0) return false;
  const int64_t size = SizeOf(fd_);
  if (size < 0 || uint64_t{entry.dataOffset} + count > static_cast<uint64_t>(size)) return false;
  out.resize(count);
  if (!ReadAt(fd_, entry.dataOffset, out.data(), count)) {
    out.clear();
    return false;
  }
  return true;
}

bool CVmFileArchive::KeepStored(CVmArchiveEntry& entry, std::vector<uint8_t>& stored) {
  if (path_.empty()) return false;
  const std::string temp = MakeTempFile(FolderOf(path_), "tmp");
  if (temp.empty()) return false;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = fd >= 0 && WriteAll(fd, stored.data(), stored.size());
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  int32_t size = 0;
  if (ok) ok = FileTools::FileSizeUtf8(temp, &size) == 0 && static_cast<size_t>(size) == stored.size();
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  entry.pendingPath = temp;
  return true;
}

bool CVmFileArchive::Write(const std::string& given) {
  if (fd_ < 0 || given.empty()) return false;
  // A symbolic link stays a link: the file it points to is the one written
  // (and backed up, and replaced).
  std::string target;
  try {
    target = ResolveOutputPath(given);
  } catch (const SafeFileError&) {
    return false;
  }
  const bool viaTemp = FileTools::FileExistsUtf8(target) == 0;
  const std::string folder = FolderOf(target);
  std::string temp;
  int out = -1;
  if (viaTemp) {
    temp = MakeTempFile(folder, "pkg");
    if (temp.empty()) return false;
    out = ::open(temp.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC);
  } else {
    out = ::open(target.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  const std::string written = viaTemp ? temp : target;
  auto fail = [&] {
    if (out >= 0) ::close(out);
    ::unlink(written.c_str());
    return false;
  };
  if (out < 0) return fail();

  CVmArchiveHeader header;
  header.major = major_;
  header.minor = minor_;
  header.origin = origin_;
  const std::vector<uint8_t> head = header.Serialize();
  if (!WriteAll(out, head.data(), head.size())) return fail();

  std::vector<uint32_t> offsets;
  offsets.reserve(entries_.size());
  std::vector<CVmArchiveEntry> records;
  records.reserve(entries_.size());
  for (const CVmArchiveEntry& e : entries_) {
    const off_t before = ::lseek(out, 0, SEEK_CUR);
    if (before < 0 || before > static_cast<off_t>(UINT32_MAX)) return fail();
    if (!e.pendingPath.empty()) {
      const int pending = ::open(e.pendingPath.c_str(), O_RDONLY | O_CLOEXEC);
      if (pending < 0) return fail();
      const bool ok = SizeOf(pending) == static_cast<int64_t>(e.storedSize) && CopyBlocks(pending, 0, e.storedSize, out);
      ::close(pending);
      if (!ok) return fail();
    } else {
      const int64_t size = SizeOf(fd_);
      if (size < 0 || uint64_t{e.dataOffset} + e.storedSize > static_cast<uint64_t>(size)) return fail();
      if (!CopyBlocks(fd_, e.dataOffset, e.storedSize, out)) return fail();
    }
    const off_t after = ::lseek(out, 0, SEEK_CUR);
    if (after - before != static_cast<off_t>(e.storedSize)) return fail();
    offsets.push_back(static_cast<uint32_t>(before));
    CVmArchiveEntry record = e;
    record.pendingPath.clear();
    record.dataOffset = offsets.back();
    records.push_back(std::move(record));
  }

  const off_t dirAt = ::lseek(out, 0, SEEK_CUR);
  if (dirAt < 0 || dirAt > static_cast<off_t>(UINT32_MAX) - 4) return fail();
  const uint32_t directoryOffset = static_cast<uint32_t>(dirAt);
  uint8_t word[4];
  for (int i = 0; i < 4; ++i) word[i] = static_cast<uint8_t>(directoryOffset >> (8 * i));
  if (::pwrite(out, word, 4, 28) != 4) return fail();
  const std::vector<uint8_t> directory = CVmArchiveFormat::SerializeDirectory(records, notes_);
  const uint32_t dirSize = static_cast<uint32_t>(directory.size());
  for (int i = 0; i < 4; ++i) word[i] = static_cast<uint8_t>(dirSize >> (8 * i));
  if (::lseek(out, dirAt, SEEK_SET) != dirAt || !WriteAll(out, word, 4)) return fail();
  int32_t packed = 0;
  if (!EncodeMemToHandle(directory.data(), static_cast<int32_t>(directory.size()), out, &packed) || packed <= 0)
    return fail();
  if (::fsync(out) != 0 && errno != EINVAL && errno != EROFS) return fail();

  auto adopt = [&] {
    path_ = given;
    createdByOpen_ = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (!entries_[i].pendingPath.empty()) ::unlink(entries_[i].pendingPath.c_str());
      entries_[i].pendingPath.clear();
      entries_[i].dataOffset = offsets[i];
    }
  };

  if (!viaTemp) {
    CloseFile();
    if (createdByOpen_ && path_ != target) ::unlink(path_.c_str());
    fd_ = out;
    adopt();
    return true;
  }

  if (::close(out) != 0) {
    out = -1;
    return fail();
  }
  out = -1;
  std::string backup;
  for (unsigned n = 1; n <= 999 && backup.empty(); ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "vlm%04X.tmp", n);
    const std::string candidate = folder + "/" + name;
    struct stat st{};
    if (FileTools::FileExistsUtf8(candidate) != 0 && ::lstat(candidate.c_str(), &st) != 0) backup = candidate;
  }
  if (backup.empty()) return fail();
  const std::string oldPath = path_;
  CloseFile();
  if (createdByOpen_ && oldPath != target) ::unlink(oldPath.c_str());
  if (FileTools::RenameFileUtf8(target, backup) != 0) {
    ReopenAt(oldPath);
    return fail();
  }
  if (FileTools::RenameFileUtf8(temp, target) != 0) {
    FileTools::RenameFileUtf8(backup, target);
    ReopenAt(oldPath);
    return fail();
  }
  if (!ReopenAt(target)) {
    // The new archive is in place but cannot be opened again: put the old
    // one back so nothing is lost.
    FileTools::RenameFileUtf8(target, temp);
    FileTools::RenameFileUtf8(backup, target);
    ReopenAt(oldPath);
    ::unlink(temp.c_str());
    return false;
  }
  adopt();
  ::unlink(backup.c_str());
  return true;
}

bool CVmFileArchive::Close(const std::string& target) {
  const std::string to = target.empty() ? path_ : target;
  // A file Open created holds no archive yet: it is written too, so the
  // path names a valid (possibly empty) archive afterwards.
  if (dirty_ || to != path_ || createdByOpen_) {
    if (!Write(to)) return false;
  }
  CloseFile();
  createdByOpen_ = false;
  ResetState();
  path_.clear();
  return true;
}

}  // namespace quillon::filetools
