#include "platform/SafeFile.h"
#include "filetools/CVmArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

#include "filetools/AnsiText.h"
#include "filetools/CVmArchiveFormat.h"
#include "filetools/LzssOperations.h"

namespace quillon::filetools {

int CVmArchive::Find(const std::string& ansiName) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (AnsiText::EqualsIgnoringCase(entries_[i].name, ansiName)) return static_cast<int>(i);
  return -1;
}

bool CVmArchive::IsTemporal() const {
  for (const auto& e : entries_)
    if (!e.pendingPath.empty()) return true;
  return false;
}

void CVmArchive::SetNotes(const std::string& notes) {
  if (notes == notes_) return;
  notes_ = notes;
  dirty_ = true;
}

void CVmArchive::SetVersion(uint8_t origin, uint16_t minor, uint16_t major) {
  origin_ = origin;
  minor_ = minor;
  major_ = major;
}

bool CVmArchive::Remove(const std::string& ansiName) {
  const int index = Find(ansiName);
  if (index < 0) return false;
  DropEntry(entries_[static_cast<size_t>(index)]);
  entries_.erase(entries_.begin() + index);
  dirty_ = true;
  return true;
}

void CVmArchive::RemoveAll() {
  for (auto& e : entries_) DropEntry(e);
  entries_.clear();
  dirty_ = true;
}

void CVmArchive::DropEntry(CVmArchiveEntry& entry) {
  if (!entry.pendingPath.empty()) {
    ::unlink(entry.pendingPath.c_str());
    entry.pendingPath.clear();
  }
  entry.block.clear();
}

void CVmArchive::ResetState() {
  for (auto& e : entries_) DropEntry(e);
  entries_.clear();
  notes_.clear();
  major_ = 5;
  minor_ = 0;
  origin_ = 0;
  dirty_ = false;
}

bool CVmArchive::AddBytes(const std::string& ansiName, const uint8_t* data, uint32_t size,
                          const std::array<uint32_t, 9>& time) {
  if (ansiName.empty() || !data || size == 0 || size > INT32_MAX) return false;
  const int32_t packedSize = BufferCompressedSize(data, static_cast<int32_t>(size));
  if (packedSize <= 0) return false;
  std::vector<uint8_t> stored;
  uint8_t compressed = 0;
  if (static_cast<uint32_t>(packedSize) < size) {
    stored.resize(static_cast<size_t>(packedSize));
    int32_t written = packedSize;
    if (!EncodeMemToMem(data, static_cast<int32_t>(size), stored.data(), &written) || written != packedSize)
      return false;
    compressed = 1;
  } else {
    stored.assign(data, data + size);
  }
  CVmArchiveEntry fresh;
  CVmArchiveFormat::SetName(fresh, ansiName);
  fresh.time = time;
  fresh.size = size;
  fresh.compressed = compressed;
  fresh.storedSize = static_cast<uint32_t>(stored.size());
  if (!KeepStored(fresh, stored)) return false;

  const int index = Find(ansiName);
  if (index < 0) {
    entries_.push_back(std::move(fresh));
  } else {
    // Replaced in its old place; the texts it carried stay, version and
    // origin become 0 with the rest of the flag word.
    CVmArchiveEntry& old = entries_[static_cast<size_t>(index)];
    DropEntry(old);
    fresh.secondText = old.secondText;
    fresh.thirdText = old.thirdText;
    fresh.name = old.name;
    fresh.baseName = old.baseName;
    fresh.extension = old.extension;
    old = std::move(fresh);
  }
  dirty_ = true;
  return true;
}

bool CVmArchive::AddFile(const std::string& sourcePath, const std::string& ansiName) {
  const int fd = ::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= INT32_MAX;
  std::vector<uint8_t> bytes;
  if (ok) {
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok = false;
      else done += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  if (!ok) return false;
  return AddBytes(ansiName, bytes.data(), static_cast<uint32_t>(bytes.size()),
                  CVmArchiveFormat::TimeFields(static_cast<int64_t>(st.st_mtime)));
}

bool CVmArchive::Extract(int index, std::vector<uint8_t>& out) {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return false;
  const CVmArchiveEntry& e = entries_[static_cast<size_t>(index)];
  out.clear();
  if (!e.compressed) {
    if (e.size == 0) return true;
    // The stored bytes of an uncompressed member are the member itself; a
    // record whose stored size is shorter than its size would take the bytes
    // after them (another member's or the directory's) for its own.
    if (e.storedSize < e.size) return false;
    return ReadStored(e, e.size, out) && out.size() == e.size;
  }
  if (e.size > INT32_MAX || e.storedSize == 0 || e.storedSize > INT32_MAX ||
      e.size > CVmArchiveFormat::MaxDecodedSize(e.storedSize))
    return false;
  std::vector<uint8_t> stored;
  if (!ReadStored(e, e.storedSize, stored) || stored.size() != e.storedSize) return false;
  if (e.size == 0) return true;
  out.resize(e.size);
  int32_t length = static_cast<int32_t>(e.size);
  if (!DecodeMemToMem(stored.data(), static_cast<int32_t>(stored.size()), out.data(), &length) ||
      static_cast<uint32_t>(length) != e.size) {
    out.clear();
    return false;
  }
  return true;
}

bool CVmArchive::ExtractToFile(int index, const std::string& targetPath) {
  std::vector<uint8_t> bytes;
  if (!Extract(index, bytes)) return false;
  try {
    WriteFileSafely(targetPath, bytes);
  } catch (const SafeFileError&) {
    return false;
  }
  return true;
}

bool CVmArchive::SerializeImage(std::vector<uint8_t>& image, std::vector<uint32_t>* offsets) {
  CVmArchiveHeader header;
  header.major = major_;
  header.minor = minor_;
  header.origin = origin_;
  image = header.Serialize();
  std::vector<CVmArchiveEntry> records;
  records.reserve(entries_.size());
  std::vector<uint32_t> newOffsets;
  for (const CVmArchiveEntry& e : entries_) {
    if (image.size() > UINT32_MAX) return false;
    newOffsets.push_back(static_cast<uint32_t>(image.size()));
    std::vector<uint8_t> stored;
    if (e.storedSize > 0 && (!ReadStored(e, e.storedSize, stored) || stored.size() != e.storedSize)) return false;
    image.insert(image.end(), stored.begin(), stored.end());
    CVmArchiveEntry record;
    record.name = e.name;
    record.secondText = e.secondText;
    record.thirdText = e.thirdText;
    record.time = e.time;
    record.size = e.size;
    record.compressed = e.compressed;
    record.minorVersion = e.minorVersion;
    record.majorVersion = e.majorVersion;
    record.origin = e.origin;
    record.storedSize = e.storedSize;
    record.dataOffset = newOffsets.back();
    records.push_back(std::move(record));
  }
  if (image.size() > UINT32_MAX - 8) return false;
  const uint32_t directoryOffset = static_cast<uint32_t>(image.size());
  const std::vector<uint8_t> directory = CVmArchiveFormat::SerializeDirectory(records, notes_);
  const int32_t packedSize = BufferCompressedSize(directory.data(), static_cast<int32_t>(directory.size()));
  if (packedSize <= 0) return false;
  const uint32_t dirSize = static_cast<uint32_t>(directory.size());
  for (int i = 0; i < 4; ++i) image.push_back(static_cast<uint8_t>(dirSize >> (8 * i)));
  const size_t at = image.size();
  image.resize(at + static_cast<size_t>(packedSize));
  int32_t written = packedSize;
  if (!EncodeMemToMem(directory.data(), static_cast<int32_t>(directory.size()), image.data() + at, &written) ||
      written != packedSize)
    return false;
  for (int i = 0; i < 4; ++i) image[28 + static_cast<size_t>(i)] = static_cast<uint8_t>(directoryOffset >> (8 * i));
  if (offsets) *offsets = std::move(newOffsets);
  return true;
}

}  // namespace quillon::filetools
