// "config set-folder": names the folders of the machine store (library,
// driver, common data and install folder), as an installer or an
// administrator does; the program only ever reads them.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/CConfigFiles.h"
#include "app/CRegistry.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

struct FolderValue {
  const char* kind;
  const char* key;
  const char* name;
};

// The value each folder kind is stored under. The driver folder is read from
// "driverpath2" before "driverpath", so "driverpath2" is the one that takes
// effect.
constexpr FolderValue kFolders[] = {
    {"library", CConfigFiles::kCommonKey, "libpath"},
    {"driver", CConfigFiles::kCommonKey, "driverpath2"},
    {"common", CConfigFiles::kCommonKey, "path"},
    {"install", CConfigFiles::kProgramKey, "path"},
};

const FolderValue& FindFolder(const std::string& kind) {
  for (const FolderValue& folder : kFolders) {
    if (kind == folder.kind) return folder;
  }
  throw UsageError("unknown folder kind \"" + kind + "\" (library, driver, common or install)");
}

[[noreturn]] void StoreFailed(int err) {
  throw CliError(CRegistry::StorePath(RegistryRoot::Machine) + ": " +
                 (err ? std::strerror(err) : "the store could not be written"));
}

void SetFolder(const std::string& kind, const std::string& path, bool unset, bool keep) {
  const FolderValue& folder = FindFolder(kind);
  if (unset) {
    if (!path.empty()) throw UsageError("--unset takes no PATH");
    errno = 0;
    const bool present = CRegistry::GetString(RegistryRoot::Machine, folder.key, folder.name).has_value();
    if (present && !CRegistry::DeleteValue(RegistryRoot::Machine, folder.key, folder.name)) StoreFailed(errno);
    std::cout << kind << " folder: (not set)\n";
    return;
  }
  if (path.empty()) throw UsageError("a PATH (or --unset) is required");
  const auto existing = CRegistry::GetString(RegistryRoot::Machine, folder.key, folder.name);
  if (keep && existing && !existing->empty()) {
    std::cout << kind << " folder: " << *existing << " (kept)\n";
    return;
  }
  // The store is machine-wide: a relative folder would mean something else
  // in every program's current directory.
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
  if (ec) throw CliError(path + ": " + ec.message());
  if (path.back() == '/' && absolute.back() != '/') absolute += '/';
  errno = 0;
  if (!CRegistry::SetString(RegistryRoot::Machine, folder.key, folder.name, absolute)) StoreFailed(errno);
  std::cout << kind << " folder: " << absolute << "\n";
}

void RegisterConfigFolders(CLI::App& app) {
  auto& group = Group(app, "config", "Configuration files, folders and reference lists");
  auto* set = group.add_subcommand(
      "set-folder",
      "Store a folder in the machine store: KIND is library (driver library packages), driver (where drivers are "
      "saved), common (holds quillon.ini and irfunctions.ini) or install (holds the user manual)");
  auto kind = std::make_shared<std::string>();
  auto path = std::make_shared<std::string>();
  auto unset = std::make_shared<bool>(false);
  auto keep = std::make_shared<bool>(false);
  set->add_option("KIND", *kind, "library, driver, common or install")->required();
  set->add_option("PATH", *path, "The folder (made absolute)");
  set->add_flag("--unset", *unset, "Remove the value instead");
  set->add_flag("--keep", *keep, "Leave a value that is already set alone (for installers)");
  set->callback([=] { SetFolder(*kind, *path, *unset, *keep); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(configfolders, quillon::cli::RegisterConfigFolders);
