// "config": where the program finds its configuration (the two INI files,
// external or embedded, and the folders of the machine store), what the
// reference lists hold, and the writer of the default INI files.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/CCommandLibrary.h"
#include "app/CConfigFiles.h"
#include "app/CMemINI.h"
#include "app/CMfgList.h"
#include "app/CQuillonException.h"
#include "app/CReferenceLists.h"
#include "platform/Cp1252.h"
#include "platform/SafeFile.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

void ShowConfig(bool json) {
  std::string settingsPath;
  std::string referencePath;
  std::string warning;
  CMemINI settings;
  CCommandLibrary library;
  CMfgList manufacturers;
  try {
    // A settings file that is located but cannot be read is an error, not
    // a silent fall-back to the embedded copy.
    const std::string located = CConfigFiles::LocateIniFile(CConfigFiles::kSettingsFile);
    if (!located.empty()) CheckReadable(located);
    settingsPath = CConfigFiles::LoadSettingsIni(settings);
    referencePath = CReferenceLists::Load(library, manufacturers, nullptr, &warning);
  } catch (const CQuillonException& e) {
    throw CliError(e.GetText());
  }
  if (!warning.empty()) {
    std::string line = warning;
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    std::cerr << "quillon-cli: " << Cp1252ToUtf8(line) << "\n";
  }
  const std::string library0 = CConfigFiles::GetFolder(CConfigFiles::kLibraryFolder);
  const std::string driver = CConfigFiles::GetFolder(CConfigFiles::kDriverFolder);
  const std::string common = CConfigFiles::GetFolder(CConfigFiles::kCommonFolder);

  if (json) {
    auto source = [](const std::string& path) {
      return nlohmann::ordered_json{{"source", path.empty() ? "embedded" : "external"}, {"path", Cp1252ToUtf8(path)}};
    };
    nlohmann::ordered_json types = nlohmann::ordered_json::array();
    for (int i = 0; i < library.GetCount(); ++i) {
      types.push_back({{"name", Cp1252ToUtf8(library.GetAt(i)->GetTypeName())},
                       {"commands", library.GetAt(i)->GetCount()}});
    }
    nlohmann::ordered_json out = {
        {"quillon_ini", source(settingsPath)},
        {"irfunctions_ini", source(referencePath)},
        {"folders",
         {{"library", Cp1252ToUtf8(library0)}, {"driver", Cp1252ToUtf8(driver)}, {"common", Cp1252ToUtf8(common)}}},
        {"device_types", types},
        {"manufacturers", manufacturers.GetCount()}};
    if (!warning.empty()) out["irfunctions_warning"] = Cp1252ToUtf8(warning);
    std::cout << out.dump(2) << "\n";
    return;
  }
  auto where = [](const std::string& path) { return path.empty() ? std::string("embedded") : Cp1252ToUtf8(path); };
  std::cout << "quillon.ini: " << where(settingsPath) << "\n";
  std::cout << "irfunctions.ini: " << where(referencePath) << "\n";
  std::cout << "library folder: " << Cp1252ToUtf8(library0) << "\n";
  std::cout << "driver folder: " << Cp1252ToUtf8(driver) << "\n";
  std::cout << "common folder: " << Cp1252ToUtf8(common) << "\n";
  std::cout << "device types: " << library.GetCount() << "\n";
  for (int i = 0; i < library.GetCount(); ++i) {
    std::cout << "  " << Cp1252ToUtf8(library.GetAt(i)->GetTypeName()) << ": " << library.GetAt(i)->GetCount()
              << "\n";
  }
  std::cout << "manufacturers: " << manufacturers.GetCount() << "\n";
}

void WriteDefaults(const std::string& folder, bool force) {
  std::string target = folder.empty() ? CConfigFiles::GetFolder(CConfigFiles::kCommonFolder) : folder;
  if (target.empty()) {
    throw CliError(std::string(CConfigFiles::kSaveFailedMessage) +
                   " No common folder is set in the machine store; name a folder.");
  }
  if (target.back() != '/') target += '/';
  // Both files are refused before either is written: an edited settings
  // file is not replaced by accident.
  for (const char* name : {CConfigFiles::kIrFunctionsFile, CConfigFiles::kSettingsFile}) {
    if (!force && OutputExists(target + name)) {
      throw CliError(target + name + ": file exists (use --force to replace it)");
    }
  }
  std::string error;
  if (!CConfigFiles::WriteDefaultIniFiles(target, &error)) {
    throw CliError(error.empty() ? std::string(CConfigFiles::kSaveFailedMessage) : error);
  }
  std::cout << target << CConfigFiles::kIrFunctionsFile << "\n" << target << CConfigFiles::kSettingsFile << "\n";
}

void RegisterConfig(CLI::App& app) {
  auto& group = Group(app, "config", "Configuration files, folders and reference lists");

  auto* show = group.add_subcommand(
      "show", "Where quillon.ini and irfunctions.ini come from (external path or embedded), the library, driver "
              "and common folders, the device types with their command counts and the manufacturer count");
  auto json = std::make_shared<bool>(false);
  show->add_flag("--json", *json, "JSON output");
  show->callback([json] { ShowConfig(*json); });

  auto* write = group.add_subcommand(
      "write-defaults", "Write the embedded irfunctions.ini and quillon.ini into DIR (default: the common folder), "
                        "creating it when needed");
  auto dir = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  write->add_option("DIR", *dir, "Target folder");
  AddForceFlag(write, *force);
  write->callback([dir, force] { WriteDefaults(*dir, *force); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(config, quillon::cli::RegisterConfig);
