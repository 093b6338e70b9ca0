#pragma once
// The file list of a control processor. The device worker fills it from the
// reply to the file-list request; the user interface reads it under the
// worker's transfer lock.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/CQVXFile.h"

namespace quillon {

class CQVXFileList {
 public:
  size_t GetCount() const { return m_files.size(); }
  const CQVXFile* GetAt(size_t index) const;
  void Add(std::unique_ptr<CQVXFile> file);
  void Clear() { m_files.clear(); }

  // Position of the entry called NAME, or -1. Entries with empty names are
  // skipped; an empty name or an empty list gives -1.
  int Find(const std::string& name, bool caseSensitive) const;

  // The smallest n in 0..99 for which "n.vir" (any case) is not listed,
  // or -1 when all hundred are taken.
  int NextFreeNumber() const;

  // Replaces the list with the entries of a file-list reply: one line per file,
  // "name,size,weekday,month,day,year,hour,minute,second", lines ended by CR LF
  // (a lone LF is accepted). Malformed lines are skipped. Returns the number
  // of entries read.
  size_t Parse(std::string_view text);

 private:
  std::vector<std::unique_ptr<CQVXFile>> m_files;
};

}  // namespace quillon
