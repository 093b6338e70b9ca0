#pragma once
// The user's special folders on this platform: the XDG user directories
// (documents, desktop, ...), the XDG base directories and the system folders
// that play the part of the shell's special folders.
#include <optional>
#include <string>
#include <vector>

namespace quillon::filetools {

class XdgFolders {
 public:
  // $HOME, else the password database; nothing when neither is known.
  static std::optional<std::string> Home();
  // XDG_DOCUMENTS_DIR from user-dirs.dirs ($XDG_CONFIG_HOME or ~/.config),
  // else ~/Documents.
  static std::optional<std::string> Documents();
  // Every special folder, without trailing separators.
  static std::vector<std::string> All();
  // A user directory from user-dirs.dirs ("DESKTOP", "DOCUMENTS", ...).
  static std::optional<std::string> UserDir(const std::string& name);
};

}  // namespace quillon::filetools
