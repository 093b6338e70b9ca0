#pragma once
// The manufacturer names offered for a driver, in file order (the numeric
// identifiers of the file are not kept).
#include <string>
#include <vector>

namespace quillon {

class CMemINI;

class CMfgList {
 public:
  CMfgList() = default;
  virtual ~CMfgList() = default;

  // Replaces the contents by the [mfg] section of INI. Throws
  // CQuillonException("Invalid IR Command INI file"); the list is left empty
  // after a failure.
  void Load(const CMemINI& ini);
  // Loads from the file at PATH, with the errors of CCommandLibrary::LoadFile.
  void LoadFile(const std::string& path);

  int GetCount() const { return static_cast<int>(m_names.size()); }
  std::string GetAt(int index) const;
  const std::vector<std::string>& GetNames() const { return m_names; }
  void Clear() { m_names.clear(); }

  // What a manufacturer combo box shows, in order: every name except empty
  // ones, with "???" shown as "Other".
  std::vector<std::string> GetComboBoxEntries() const;

 private:
  std::vector<std::string> m_names;
};

}  // namespace quillon
