#pragma once
// What both archive engines share: the entry list, notes, archive version
// and origin, the dirty flag, adding, removing, extracting and the archive
// image in the file layout. CVmFileArchive works on a file on disk,
// CVmMemArchive on an image held in memory.
#include <cstdint>
#include <string>
#include <vector>

#include "filetools/CVmArchiveEntry.h"

namespace quillon::filetools {

class CVmArchive {
 public:
  virtual ~CVmArchive() = default;
  CVmArchive() = default;
  CVmArchive(const CVmArchive&) = delete;
  CVmArchive& operator=(const CVmArchive&) = delete;

  virtual bool IsMemoryResident() const = 0;
  virtual bool IsOpen() const = 0;
  // Full path of the archive file; empty for an image.
  virtual std::string Path() const = 0;
  // Discards everything without writing (and removes what the engine made).
  virtual void Abort() = 0;

  const std::vector<CVmArchiveEntry>& Entries() const { return entries_; }
  // Position of a member (name compared without regard to case), or -1.
  int Find(const std::string& ansiName) const;
  bool IsDirty() const { return dirty_; }
  bool IsTemporal() const;
  const std::string& Notes() const { return notes_; }
  void SetNotes(const std::string& notes);
  uint16_t Major() const { return major_; }
  uint16_t Minor() const { return minor_; }
  uint8_t Origin() const { return origin_; }
  void SetVersion(uint8_t origin, uint16_t minor, uint16_t major);

  bool Remove(const std::string& ansiName);
  void RemoveAll();
  // Adds or replaces a member (name already normalised). Stored compressed
  // only when that is strictly smaller. Fails for an empty member.
  bool AddBytes(const std::string& ansiName, const uint8_t* data, uint32_t size,
                const std::array<uint32_t, 9>& time);
  // Adds the file's bytes with its last-write time.
  bool AddFile(const std::string& sourcePath, const std::string& ansiName);
  // The member's uncompressed bytes; false for a member whose stored bytes
  // are missing, cut short or do not decode to its size.
  bool Extract(int index, std::vector<uint8_t>& out);
  bool ExtractToFile(int index, const std::string& targetPath);
  // The whole archive in the file layout (offsets relative to the image).
  bool SerializeImage(std::vector<uint8_t>& image, std::vector<uint32_t>* offsets = nullptr);

 protected:
  // The first `count` bytes of the member's stored data.
  virtual bool ReadStored(const CVmArchiveEntry& entry, uint32_t count, std::vector<uint8_t>& out) = 0;
  // Keeps the stored bytes of a member added since the last write.
  virtual bool KeepStored(CVmArchiveEntry& entry, std::vector<uint8_t>& stored) = 0;
  // Called when an entry leaves the list (pending files are deleted).
  virtual void DropEntry(CVmArchiveEntry& entry);
  void ResetState();

  std::vector<CVmArchiveEntry> entries_;
  std::string notes_;
  uint16_t major_ = 5;
  uint16_t minor_ = 0;
  uint8_t origin_ = 0;
  bool dirty_ = false;
};

}  // namespace quillon::filetools
