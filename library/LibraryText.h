#pragma once
// Small text rules shared by the library browser's classes: names compared
// without regard to letter case, blanks trimmed, numbered INI keys and the
// version lists of the package support description.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::library {

// Letter case ignored (ASCII letters; other bytes compared as they are).
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view text);

// TEXT without blanks (spaces, tabs, carriage returns, line feeds) at
// either end.
std::string Trim(std::string_view text);

// The number N of a name formed as PREFIX followed by N in decimal ("%s%d"
// with N >= 0: no sign, no leading zeros), the prefix compared without
// regard to case; nothing for any other name.
std::optional<int> NumberedName(std::string_view name, std::string_view prefix);

// The version numbers of a Version value: empty unless the trimmed value
// starts with a digit; then every run of digits, in order, each one version.
// A run too large for an int is left out and described in REJECTED.
std::vector<int> ParseVersionList(std::string_view value, std::vector<std::string>* rejected = nullptr);

// The name a list shows for an entry: "???" is shown as "Other".
std::string DisplayName(const std::string& name);

// The last path component of PATH (either separator).
std::string FileNamePart(const std::string& path);
// PATH up to and including its last separator ("" when it has none).
std::string FolderPart(const std::string& path);

}  // namespace quillon::library
