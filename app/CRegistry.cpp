#include "app/CRegistry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/CMemINI.h"

namespace quillon {
namespace {

constexpr const char* kStringPrefix = "sz:";
constexpr const char* kDwordPrefix = "dword:";
constexpr const char* kDefaultValueName = "@";

const char kHex[] = "0123456789ABCDEF";

void AppendEscape(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int hi = HexDigit(text[i + 1]);
      int lo = HexDigit(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Escapes '%', control bytes and trailing blanks (and, for key paths, ']').
std::string EscapeText(const std::string& text, bool forSection) {
  std::size_t keepUntil = text.size();
  while (keepUntil > 0 && (text[keepUntil - 1] == ' ' || text[keepUntil - 1] == '\t')) --keepUntil;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '%' || IsControl(c) || i >= keepUntil || (forSection && c == ']') || (forSection && i == 0 && c == ' '))
      AppendEscape(out, c);
    else
      out += static_cast<char>(c);
  }
  return out;
}

std::string EncodeName(const std::string& name) {
  if (name.empty()) return kDefaultValueName;
  std::string out;
  for (unsigned char c : name) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                 c == '-' || c == '.' || c == '{' || c == '}';
    if (plain)
      out += static_cast<char>(c);
    else
      AppendEscape(out, c);
  }
  return out;
}

std::vector<std::string> SplitKey(const std::string& key) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : key) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The section name of a key: its components, each escaped, joined by backslashes.
std::string SectionOf(const std::vector<std::string>& parts, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
    if (i) out += '\\';
    out += EscapeText(parts[i], true);
  }
  return out;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid())) {
    if (entry->pw_dir) return entry->pw_dir;
  }
  return ".";
}

CMemINI ReadStore(RegistryRoot root) {
  CMemINI ini;
  ini.LoadFile(CRegistry::StorePath(root));  // a missing store reads as empty
  return ini;
}

// Runs CHANGE on the current contents under an exclusive lock and writes the
// result when CHANGE returns true. Returns CHANGE's answer, or false when the
// store could not be written.
bool UpdateStore(RegistryRoot root, const std::function<bool(CMemINI&)>& change) {
  const std::string path = CRegistry::StorePath(root);
  std::error_code ec;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  const std::string lockPath = path + ".lock";
  int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lockFd < 0) return false;
  while (::flock(lockFd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(lockFd);
      return false;
    }
  }
  CMemINI ini;
  ini.LoadFile(path);
  bool ok = change(ini);
  if (ok) ok = ini.SaveFile(path);
  ::flock(lockFd, LOCK_UN);
  ::close(lockFd);
  return ok;
}

// Adds the sections of KEY and of every parent that is missing.
CMemINISection* CreateSections(CMemINI& ini, const std::vector<std::string>& parts) {
  CMemINISection* section = nullptr;
  for (std::size_t n = 1; n <= parts.size(); ++n) section = ini.GetOrAddSection(SectionOf(parts, n));
  return section;
}

std::optional<std::string> RawValue(RegistryRoot root, const std::string& key, const std::string& name) {
  auto parts = SplitKey(key);
  if (parts.empty()) return std::nullopt;
  CMemINI ini = ReadStore(root);
  const CMemINIValue* value = ini.GetValue(SectionOf(parts, parts.size()), EncodeName(name));
  if (!value) return std::nullopt;
  return value->GetValue();
}

bool SetRaw(RegistryRoot root, const std::string& key, const std::string& name, const std::string& raw) {
  auto parts = SplitKey(key);
  if (parts.empty()) return false;
  return UpdateStore(root, [&](CMemINI& ini) {
    CreateSections(ini, parts)->SetString(EncodeName(name), raw);
    return true;
  });
}

}  // namespace

std::string CRegistry::StorePath(RegistryRoot root) {
  const char* variable = root == RegistryRoot::Machine ? "QUILLON_MACHINE_REGISTRY" : "QUILLON_USER_REGISTRY";
  const char* overridden = std::getenv(variable);
  if (overridden && *overridden) return overridden;
  if (root == RegistryRoot::Machine) return "/etc/velmor/registry.ini";
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base = (config && *config) ? std::string(config) : HomeFolder() + "/.config";
  return base + "/Velmor/Quillon.ini";
}

std::optional<std::string> CRegistry::GetString(RegistryRoot root, const std::string& key, const std::string& name) {
  auto raw = RawValue(root, key, name);
  if (!raw || raw->rfind(kStringPrefix, 0) != 0) return std::nullopt;
  return Unescape(raw->substr(std::char_traits<char>::length(kStringPrefix)));
}

bool CRegistry::SetString(RegistryRoot root, const std::string& key, const std::string& name,
                          const std::string& value) {
  return SetRaw(root, key, name, kStringPrefix + EscapeText(value, false));
}

std::optional<uint32_t> CRegistry::GetDword(RegistryRoot root, const std::string& key, const std::string& name) {
  auto raw = RawValue(root, key, name);
  const std::size_t prefix = std::char_traits<char>::length(kDwordPrefix);
  if (!raw || raw->rfind(kDwordPrefix, 0) != 0) return std::nullopt;
  std::string digits = raw->substr(prefix);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return value;
}

bool CRegistry::SetDword(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", value);
  return SetRaw(root, key, name, kDwordPrefix + std::string(text));
}

bool CRegistry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
  auto parts = SplitKey(key);
  if (parts.empty()) return false;
  if (!RawValue(root, key, name)) return false;
  bool removed = false;
  UpdateStore(root, [&](CMemINI& ini) {
    CMemINISection* section = ini.FindSection(SectionOf(parts, parts.size()));
    removed = section && section->RemoveValue(EncodeName(name));
    return removed;
  });
  return removed;
}

bool CRegistry::DeleteKey(RegistryRoot root, const std::string& key) {
  auto parts = SplitKey(key);
  if (parts.empty() || !KeyExists(root, key)) return false;
  const std::string section = SectionOf(parts, parts.size());
  bool removed = false;
  UpdateStore(root, [&](CMemINI& ini) {
    for (int i = ini.GetCount() - 1; i >= 0; --i) {
      const std::string name = ini.GetAt(i)->GetName();
      if (EqualsNoCase(name, section) || StartsWithNoCase(name, section + "\\")) {
        ini.RemoveSection(name);
        removed = true;
      }
    }
    return removed;
  });
  return removed;
}

bool CRegistry::KeyExists(RegistryRoot root, const std::string& key) {
  auto parts = SplitKey(key);
  if (parts.empty()) return true;
  const std::string section = SectionOf(parts, parts.size());
  CMemINI ini = ReadStore(root);
  for (int i = 0; i < ini.GetCount(); ++i) {
    const std::string& name = ini.GetAt(i)->GetName();
    if (EqualsNoCase(name, section) || StartsWithNoCase(name, section + "\\")) return true;
  }
  return false;
}

bool CRegistry::CreateKey(RegistryRoot root, const std::string& key) {
  auto parts = SplitKey(key);
  if (parts.empty()) return true;
  if (KeyExists(root, key)) return true;
  return UpdateStore(root, [&](CMemINI& ini) {
    CreateSections(ini, parts);
    return true;
  });
}

std::vector<std::string> CRegistry::SubKeys(RegistryRoot root, const std::string& key) {
  auto parts = SplitKey(key);
  const std::string section = SectionOf(parts, parts.size());
  const std::string prefix = section.empty() ? std::string() : section + "\\";
  std::vector<std::string> children;
  std::vector<std::string> encoded;
  CMemINI ini = ReadStore(root);
  for (int i = 0; i < ini.GetCount(); ++i) {
    const std::string& name = ini.GetAt(i)->GetName();
    if (!StartsWithNoCase(name, prefix)) continue;
    std::string rest = name.substr(prefix.size());
    std::size_t slash = rest.find('\\');
    std::string child = slash == std::string::npos ? rest : rest.substr(0, slash);
    if (child.empty()) continue;
    bool seen = false;
    for (const auto& e : encoded) seen = seen || EqualsNoCase(e, child);
    if (seen) continue;
    encoded.push_back(child);
    children.push_back(Unescape(child));
  }
  return children;
}

}  // namespace quillon
