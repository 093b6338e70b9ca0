#pragma once
// The driver header: an ordered list of tagged entries (insertion order is
// file order; several entries may share a tag and lookups take the first),
// plus the function-name table used only while a driver is loaded or saved.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "irmodel/TQVXIrHeaderEntry.h"

namespace quillon {

class TQVXIrHeader {
 public:
  TQVXIrHeader();
  // Copies are deep: every entry is copied with its tag and data.
  TQVXIrHeader(const TQVXIrHeader& other);
  TQVXIrHeader& operator=(const TQVXIrHeader& other);
  virtual ~TQVXIrHeader();

  // The first entry with TAG, or null.
  TQVXIrHeaderEntry* FindEntry(int tag) const;
  // The first entry with TAG's data as text, or null.
  const char* GetText(int tag) const;
  // Append a new entry (an existing one of the same tag stays); return 1.
  int AddText(int tag, const char* text);
  int AddBinary(int tag, int size, const std::uint8_t* bytes);
  // Overwrite the first entry with TAG, or append one when there is none.
  void SetText(int tag, const char* text);
  void SetBinary(int tag, int size, const std::uint8_t* bytes);
  // Removes and destroys the first entry with TAG: 1, or 0 when none.
  int RemoveEntry(int tag);
  // Destroys all entries and empties the name table.
  void Clear();

  int GetEntryCount() const { return static_cast<int>(entries_.size()); }
  TQVXIrHeaderEntry* GetEntry(int i) const;
  // Appends an owned entry (null is ignored).
  void AddEntry(std::unique_ptr<TQVXIrHeaderEntry> entry);

  // The function-name table (filled and emptied within one load or save).
  int GetNameCount() const { return static_cast<int>(names_.size()); }
  const std::string& GetName(int k) const { return names_.at(static_cast<std::size_t>(k)); }
  void AddName(std::string name) { names_.push_back(std::move(name)); }
  void ClearNames() { names_.clear(); }

 private:
  std::vector<std::unique_ptr<TQVXIrHeaderEntry>> entries_;
  std::vector<std::string> names_;
};

}  // namespace quillon
