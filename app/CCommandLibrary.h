#pragma once
// The device types and their standard command lists, in the order of the
// [main] type entries of irfunctions.ini.
#include <memory>
#include <string>
#include <vector>

#include "app/CCommandList.h"

namespace quillon {

class CMemINI;

class CCommandLibrary {
 public:
  CCommandLibrary() = default;
  virtual ~CCommandLibrary() = default;

  // Replaces the contents by the lists of INI. A declared type without a
  // section gets a new empty section in INI (count=0) and an empty list.
  // Throws CQuillonException with the load error texts; the library is left
  // empty after a failure.
  void Load(CMemINI& ini);
  // Loads from the file at PATH: "Invalid IR Command INI filename" for an
  // empty path, "Invalid IR Command INI file" when the file yields no section.
  void LoadFile(const std::string& path);

  // The first list whose (non-empty) type name equals NAME ignoring case, or null.
  const CCommandList* Find(const std::string& typeName) const;
  int GetCount() const { return static_cast<int>(m_lists.size()); }
  const CCommandList* GetAt(int index) const;
  void Clear() { m_lists.clear(); }

 private:
  std::vector<std::unique_ptr<CCommandList>> m_lists;
};

}  // namespace quillon
