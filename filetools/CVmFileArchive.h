#pragma once
// The file engine: an archive file on disk, members added since the last
// write kept in temporary files beside it, and writing through a temporary
// file with a backup rename so the old archive survives any failure.
#include <string>

#include "filetools/CVmArchive.h"

namespace quillon::filetools {

class CVmFileArchive final : public CVmArchive {
 public:
  CVmFileArchive() = default;
  ~CVmFileArchive() override;

  // Opens (or, when missing, creates empty) the archive file. false when
  // the file cannot be opened or is not a readable archive; the file then
  // stays open with no entries.
  bool Open(const std::string& path);
  // Writes the whole archive to target (Algorithms of the writer). A
  // symbolic link is followed: the file it points to is written, backed up
  // and replaced, and the link stays.
  bool Write(const std::string& target);
  // Writes when needed (target differs from the path, dirty, or the file
  // was created by Open and never written); on success closes and resets.
  // A failed write leaves everything as it was.
  bool Close(const std::string& target);

  bool IsMemoryResident() const override { return false; }
  bool IsOpen() const override { return fd_ >= 0; }
  std::string Path() const override { return path_; }
  void Abort() override;
  bool CreatedByOpen() const { return createdByOpen_; }

  // A new empty file "<prefix>XXXX.tmp" in folder; empty on failure.
  static std::string MakeTempFile(const std::string& folder, const std::string& prefix);
  static std::string FolderOf(const std::string& path);

 protected:
  bool ReadStored(const CVmArchiveEntry& entry, uint32_t count, std::vector<uint8_t>& out) override;
  bool KeepStored(CVmArchiveEntry& entry, std::vector<uint8_t>& stored) override;

 private:
  bool Load();
  void CloseFile();
  bool ReopenAt(const std::string& path);

  std::string path_;
  int fd_ = -1;
  bool createdByOpen_ = false;
};

}  // namespace quillon::filetools
