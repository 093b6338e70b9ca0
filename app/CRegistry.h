#pragma once
// The machine-wide and per-user key/value stores that hold folder settings,
// component registrations and the user's profile. Each store is an INI file
// (one section per key); keys are backslash-separated paths compared without
// regard to letter case, and the value name "" is the key's default value.
//
// File layout, so that every value survives the INI rules (blanks trimmed,
// empty values dropped):
//   [Software\Velmor\Common]        one section per key, also for empty keys
//   path=sz:/srv/velmor/            string values carry "sz:"
//   skip_pkg_warning=dword:00000000 numbers carry "dword:" and 8 hex digits
//   @=sz:...                        "@" is the default value
// '%' followed by two hex digits escapes a byte: in value names every byte
// other than letters, digits and "_-.{}"; in key paths '%', ']', control
// bytes and trailing blanks; in string values '%', control bytes and
// trailing blanks.
//
// Every change re-reads the file under an exclusive lock on "<file>.lock",
// applies the change and writes the whole file through a temporary file and a
// rename, so concurrent processes never lose each other's changes and readers
// never see half a file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

enum class RegistryRoot { Machine, User };

class CRegistry {
 public:
  // QUILLON_MACHINE_REGISTRY / QUILLON_USER_REGISTRY when set, else
  // /etc/velmor/registry.ini and $XDG_CONFIG_HOME/Velmor/Quillon.ini
  // (~/.config when XDG_CONFIG_HOME is unset).
  static std::string StorePath(RegistryRoot root);

  static std::optional<std::string> GetString(RegistryRoot root, const std::string& key, const std::string& name);
  static bool SetString(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value);
  static std::optional<uint32_t> GetDword(RegistryRoot root, const std::string& key, const std::string& name);
  static bool SetDword(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value);
  static bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name);
  // Deletes the key and every key below it; false when it did not exist.
  static bool DeleteKey(RegistryRoot root, const std::string& key);
  static bool KeyExists(RegistryRoot root, const std::string& key);
  // Creates the key and any missing parents; true when it exists afterwards.
  static bool CreateKey(RegistryRoot root, const std::string& key);
  // The names of the direct children of KEY, in store order.
  static std::vector<std::string> SubKeys(RegistryRoot root, const std::string& key);
};

}  // namespace quillon
