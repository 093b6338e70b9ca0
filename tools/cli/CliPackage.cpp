// "package": resource packages — create one from files, list its members,
// extract a member, and nest packages inside a package.
#include <strings.h>
#include <sys/stat.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "pkgreader/ResFile.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

struct PackageOptions {
  int level = 3;
  std::string version;  // MAJOR.MINOR[.BUILD]
  int origin = 0;
  int type = 0;
  std::string name;
  uint32_t userId = 0;
};

struct MemberArgument {
  std::string file;
  std::string name;
  std::string folder;
};

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// FILE[=NAME][@FOLDER]; an argument naming an existing file is taken whole.
MemberArgument ParseMember(const std::string& arg) {
  MemberArgument member;
  std::string rest = arg;
  if (!IsFile(arg)) {
    const size_t eq = rest.find('=');
    if (eq != std::string::npos) {
      member.file = rest.substr(0, eq);
      rest = rest.substr(eq + 1);
      const size_t at = rest.rfind('@');
      member.name = at == std::string::npos ? rest : rest.substr(0, at);
      if (at != std::string::npos) member.folder = rest.substr(at + 1);
    } else {
      const size_t at = rest.rfind('@');
      member.file = at == std::string::npos ? rest : rest.substr(0, at);
      if (at != std::string::npos) member.folder = rest.substr(at + 1);
    }
  } else {
    member.file = arg;
  }
  if (member.file.empty()) throw UsageError("no file in member argument \"" + arg + "\"");
  if (member.name.empty()) member.name = std::filesystem::path(member.file).filename().string();
  if (member.name.empty()) throw UsageError("no member name in \"" + arg + "\"");
  return member;
}

void ApplyOptions(CResFile& pkg, const PackageOptions& o) {
  if (pkg.SetCompressionLevel(o.level) < 0) throw UsageError("--level must be 0 to 5");
  if (!o.version.empty()) {
    int major = 0, minor = 0, build = 0;
    char dot;
    std::istringstream in(o.version);
    if (!(in >> major)) throw UsageError("--version must be MAJOR.MINOR[.BUILD]");
    if (in >> dot && !(in >> minor)) throw UsageError("--version must be MAJOR.MINOR[.BUILD]");
    if (in >> dot && !(in >> build)) throw UsageError("--version must be MAJOR.MINOR[.BUILD]");
    if (major < 0 || major > 255 || minor < 0 || minor > 255 || build < 0 || build > 65535)
      throw UsageError("--version parts out of range (255.255.65535)");
    pkg.SetVersion(major, minor, build);
  }
  if (o.origin != 0 && !pkg.SetOrigin(o.origin)) throw UsageError("--origin must be 1 or 2");
  if (o.type != 0 && !pkg.SetPkgType(o.type)) throw UsageError("--type must be 1 or 2");
  if (!o.name.empty()) {
    const auto bytes = Utf8ToCp1252(o.name);
    if (!bytes) throw UsageError("--name holds characters the package cannot store");
    pkg.SetResName(*bytes);
  }
  pkg.SetUserId(o.userId);
}

void AddPackageOptions(CLI::App* cmd, PackageOptions& o) {
  cmd->add_option("--level", o.level, "Compression level 0 (none) to 5")->capture_default_str();
  cmd->add_option("--version", o.version, "Package version MAJOR.MINOR[.BUILD]");
  cmd->add_option("--origin", o.origin, "Package origin (1 or 2)");
  cmd->add_option("--type", o.type, "Package type (1 or 2)");
  cmd->add_option("--name", o.name, "Resource name stored in the package");
  cmd->add_option("--user-id", o.userId, "User id stored in the package");
}

void Save(CResFile& pkg, const std::string& out) {
  CheckOutput(out, true);  // the reason it cannot be written, if it cannot
  if (!pkg.Save(out)) throw CliError(out + ": cannot be written");
}

// Two members of one package may not share folder and name (compared
// without regard to case): the package would keep only one of them.
void CheckUnique(std::vector<std::pair<std::string, std::string>>& seen, const std::string& folder,
                 const std::string& name, const std::string& argument) {
  for (const auto& [otherFolder, otherName] : seen) {
    if (strcasecmp(otherFolder.c_str(), folder.c_str()) == 0 && strcasecmp(otherName.c_str(), name.c_str()) == 0) {
      throw CliError(argument + ": a member named " + (folder.empty() ? "" : folder + "\\") + name +
                     " is already in the package (name one of them with FILE=NAME)");
    }
  }
  seen.emplace_back(folder, name);
}

std::unique_ptr<CResFile> OpenPackage(const std::string& path) {
  if (path != "-") CheckReadable(path);
  auto pkg = std::make_unique<CResFile>();
  if (path == "-") {
    const std::string image = ReadFileBytes(path);
    if (!CResFile::IsValidFormat(image.data(), image.size())) {
      throw CliError("standard input: not a resource package (expected \"VlmrPkg\")");
    }
    pkg->Open(image.data(), image.size());
  } else {
    if (!CResFile::IsValidFormat(path)) throw CliError(path + ": not a resource package (expected \"VlmrPkg\")");
    if (!pkg->Open(path)) throw CliError(path + ": cannot be read");
  }
  if (pkg->GetFileCount() != pkg->GetHeaderEntryCount()) {
    throw CliError((path == "-" ? std::string("standard input") : path) + ": damaged package: its header announces " +
                   std::to_string(pkg->GetHeaderEntryCount()) + " members, " + std::to_string(pkg->GetFileCount()) +
                   " could be read");
  }
  return pkg;
}

void RegisterPackage(CLI::App& app) {
  CLI::App& group = Group(app, "package", "Resource packages: create, list, extract, nest");

  {
    auto* cmd = group.add_subcommand("create", "Create a resource package from files (FILE[=NAME][@FOLDER])");
    auto out = std::make_shared<std::string>();
    auto files = std::make_shared<std::vector<std::string>>();
    auto opts = std::make_shared<PackageOptions>();
    auto force = std::make_shared<bool>(false);
    cmd->add_option("OUT", *out, "Package to write; - writes standard output")->required();
    cmd->add_option("FILE", *files, "FILE[=NAME][@FOLDER]: a file, its member name and folder")->required();
    AddPackageOptions(cmd, *opts);
    AddForceFlag(cmd, *force);
    cmd->callback([out, files, opts, force] {
      CheckOutput(*out, *force);
      CResFile pkg;
      ApplyOptions(pkg, *opts);
      std::vector<std::pair<std::string, std::string>> seen;
      for (const auto& arg : *files) {
        const MemberArgument member = ParseMember(arg);
        CheckReadable(member.file);
        CheckUnique(seen, member.folder, member.name, arg);
        if (!pkg.AddFile(member.file, member.name.c_str(), member.folder.empty() ? nullptr : member.folder.c_str()))
          throw CliError(member.file + ": cannot be added");
      }
      Save(pkg, *out);
    });
  }

  {
    auto* cmd = group.add_subcommand("nest", "Create a package whose members are the given packages");
    auto out = std::make_shared<std::string>();
    auto inner = std::make_shared<std::vector<std::string>>();
    auto opts = std::make_shared<PackageOptions>();
    auto force = std::make_shared<bool>(false);
    cmd->add_option("OUT", *out, "Package to write; - writes standard output")->required();
    cmd->add_option("INNER", *inner, "Packages to put inside (stored under their file names)")->required();
    AddPackageOptions(cmd, *opts);
    AddForceFlag(cmd, *force);
    cmd->callback([out, inner, opts, force] {
      CheckOutput(*out, *force);
      CResFile pkg;
      ApplyOptions(pkg, *opts);
      pkg.SetPkgType(CResFile::PkgTypePackages);
      std::vector<std::pair<std::string, std::string>> seen;
      for (const auto& path : *inner) {
        CheckReadable(path);
        if (!CResFile::IsValidFormat(path)) throw CliError(path + ": not a resource package (expected \"VlmrPkg\")");
        CheckUnique(seen, "", std::filesystem::path(path).filename().string(), path);
        if (!pkg.AddFile(path)) throw CliError(path + ": cannot be added");
      }
      Save(pkg, *out);
    });
  }

  {
    auto* cmd = group.add_subcommand("list", "List the members of a resource package");
    auto path = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("PKG", *path, "Package; - reads standard input")->required();
    AddJsonFlag(cmd, *json,
                "{\"level\",\"major\",\"minor\",\"build\",\"origin\",\"type\",\"user_id\",\"name\",\"files\":[{\"name\","
                "\"size\",\"stored_size\",\"compression\",\"offset\",\"time\":\"YYYY-MM-DDTHH:MM:SSZ\",\"folder\"}]}");
    cmd->callback([path, json] {
      auto pkg = OpenPackage(*path);
      if (*json) {
        nlohmann::ordered_json files = nlohmann::ordered_json::array();
        for (size_t i = 0; i < pkg->GetFileCount(); ++i) {
          const CResFATEntry* e = pkg->GetEntry(i);
          nlohmann::ordered_json f = {{"name", Cp1252ToUtf8(e->GetName())},
                              {"size", e->GetUncompressedSize()},
                              {"stored_size", e->GetStoredSize()},
                              {"compression", e->GetCompressionFlag()},
                              {"offset", e->GetDataOffset()},
                              {"time", IsoFromFileTime(e->GetFileTime())}};
          f["folder"] = e->HasFolder() ? nlohmann::ordered_json(Cp1252ToUtf8(e->GetFolder())) : nlohmann::ordered_json(nullptr);
          files.push_back(std::move(f));
        }
        nlohmann::ordered_json doc = {{"level", pkg->GetCompressionLevel()},
                              {"major", pkg->GetMajorVer()},
                              {"minor", pkg->GetMinorVer()},
                              {"build", pkg->GetBuildVer()},
                              {"origin", pkg->GetOrigin()},
                              {"type", pkg->GetPkgType()},
                              {"user_id", pkg->GetUserId()},
                              {"name", Cp1252ToUtf8(pkg->GetResName())},
                              {"files", files}};
        std::cout << doc.dump(2) << "\n";
        return;
      }
      std::cout << "level " << pkg->GetCompressionLevel() << ", version " << pkg->GetMajorVer() << "."
                << pkg->GetMinorVer() << "." << pkg->GetBuildVer() << ", origin " << pkg->GetOrigin() << ", type "
                << pkg->GetPkgType() << ", name \"" << Cp1252ToUtf8(pkg->GetResName()) << "\", "
                << pkg->GetFileCount() << " files\n";
      if (pkg->GetFileCount() == 0) {
        std::cout << "The package has no members.\n";
        return;
      }
      std::cout << "SIZE\tSTORED\tLEVEL\tTIME\t\t\tNAME\n";
      for (size_t i = 0; i < pkg->GetFileCount(); ++i) {
        const CResFATEntry* e = pkg->GetEntry(i);
        const std::string time = IsoFromFileTime(e->GetFileTime());
        std::cout << e->GetUncompressedSize() << "\t" << e->GetStoredSize() << "\t" << e->GetCompressionFlag() << "\t"
                  << (time.empty() ? std::string("-\t\t") : time) << "\t"
                  << (e->HasFolder() ? Cp1252ToUtf8(e->GetFolder()) + "\\" : std::string()) << Cp1252ToUtf8(e->GetName())
                  << "\n";
      }
    });
  }

  {
    auto* cmd = group.add_subcommand("extract", "Write one member of a resource package to a file");
    auto path = std::make_shared<std::string>();
    auto name = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto folder = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    cmd->add_option("PKG", *path, "Package; - reads standard input")->required();
    cmd->add_option("NAME", *name, "Member name")->required();
    cmd->add_option("OUT", *out, "File to write; - writes standard output")->required();
    cmd->add_option("--folder", *folder, "Folder of the member");
    AddForceFlag(cmd, *force);
    cmd->callback([path, name, out, folder, force] {
      CheckOutput(*out, *force);
      auto pkg = OpenPackage(*path);
      const char* f = folder->empty() ? nullptr : folder->c_str();
      if (!pkg->FindEntry(name->c_str(), f)) throw CliError(*path + ": no member named " + *name);
      std::vector<uint8_t> bytes;
      if (!pkg->GetFileBytes(name->c_str(), bytes, f)) throw CliError(*path + ": the data of " + *name + " is damaged");
      WriteFileBytes(*out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(package, quillon::cli::RegisterPackage);
