#pragma once
// The standard command (function) names of one device type, in file order.
#include <string>
#include <vector>

namespace quillon {

class CMemINISection;

class CCommandList {
 public:
  CCommandList() = default;
  virtual ~CCommandList() = default;

  // Fills the list from a device-type section: "count", then cmd0 … cmd(n-1).
  // A missing count or one below 1 gives an empty list. Throws
  // CQuillonException "Error while loading Device Command List" for a missing
  // cmd key and "Invalid entry in Device Command List" for an empty one.
  void BuildFrom(const CMemINISection& section);

  // The device type the list was built for ("" when its section had no name).
  const std::string& GetTypeName() const { return m_typeName; }
  int GetCount() const { return static_cast<int>(m_commands.size()); }
  // The command at INDEX, or "" when out of range.
  std::string GetAt(int index) const;
  const std::vector<std::string>& GetCommands() const { return m_commands; }
  // The position of NAME (letter case ignored), or -1.
  int IndexOf(const std::string& name) const;

 private:
  std::string m_typeName;
  std::vector<std::string> m_commands;
};

}  // namespace quillon
