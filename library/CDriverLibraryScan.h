#pragma once
// The listing of a driver library folder: its files (folders and the "."
// entries left out) in three lists by extension, compared without regard to
// letter case: ".pkg" packages, ".pki" files and ".vir" loose drivers. Each
// list is in name order (letter case ignored), so every run lists alike.
#include <string>
#include <vector>

namespace quillon::library {

struct CDriverLibraryScan {
  std::string m_folder;  // the folder as given, with a trailing separator
  std::vector<std::string> m_packages;
  std::vector<std::string> m_indexFiles;
  std::vector<std::string> m_looseDrivers;

  // True when none of the three kinds was found.
  bool IsEmpty() const { return m_packages.empty() && m_indexFiles.empty() && m_looseDrivers.empty(); }

  // Lists FOLDER into OUT. False when there is no folder setting or the
  // folder cannot be listed; ERROR then says "FOLDER: reason".
  static bool List(const std::string& folder, CDriverLibraryScan& out, std::string* error = nullptr);

  // The library check of start-up: the library is usable when the folder
  // can be listed and holds at least one ".pkg", ".pki" or ".vir" file.
  static bool CheckLibrary(const std::string& folder);
};

}  // namespace quillon::library
