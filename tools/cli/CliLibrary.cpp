// The driver library: "library list" prints every model the "Open Driver"
// dialog would offer for a library folder, "library open" writes the driver
// its OK would open for a type, manufacturer, model and version, and
// "library probe" walks a library folder through the package-reader plug-in's
// dispatch calls (file size, then file bytes) and reports what it found.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "app/IPrompt.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "library/CDlgOpenDriver.h"
#include "library/CDriverLibraryLoader.h"
#include "library/CDriverLibraryScan.h"
#include "library/CVelmorPackageReader.h"
#include "library/LibraryText.h"
#include "pkgreader/ResFile.h"
#include "platform/Cp1252.h"
#include "platform/SafeFile.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

using Json = nlohmann::ordered_json;
using library::CDriverLibraryScan;
using library::CIRFile;
using library::CIRFileInstance;

// The package reader, or a failure naming what to register.
std::unique_ptr<CVelmorPackageReader> MakeReader() {
  auto reader = std::make_unique<CVelmorPackageReader>();
  if (!reader->IsCreated())
    throw CliError(reader->CreateError() + "; register libVelmorPackageReader.so and libVelmorFileTools.so");
  return reader;
}

CDriverLibraryScan ListFolder(const std::string& dir) {
  CDriverLibraryScan scan;
  std::string error;
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) throw CliError(dir + ": not a folder");
  if (!CDriverLibraryScan::List(dir, scan, &error)) throw CliError(error);
  return scan;
}

void PrintSkipped(const std::vector<library::CSkippedFile>& skipped, bool verbose) {
  if (verbose) {
    for (const auto& s : skipped) std::cerr << "skipped " << s.m_path << ": " << s.m_reason << "\n";
  } else if (!skipped.empty()) {
    std::cerr << "quillon-cli: " << skipped.size() << (skipped.size() == 1 ? " part" : " parts")
              << " of the library left out; --verbose says which and why\n";
  }
}

std::string KeyedName(const library::CKeyedStringList& list, int key) {
  const library::CKeyedString* entry = list.FindKey(key);
  return entry ? Cp1252ToUtf8(library::DisplayName(entry->m_name)) : std::string();
}

// --- library list ----------------------------------------------------------

std::string Count(std::size_t n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

void RunList(const std::string& dir, bool json, bool verbose) {
  CDriverLibraryScan scan = ListFolder(dir);
  const std::size_t packages = scan.m_packages.size(), loose = scan.m_looseDrivers.size();
  auto reader = MakeReader();
  library::CDriverLibraryLoader loader(*reader, std::move(scan));
  loader.Run();
  const library::CDriverLibraryContents& lib = loader.GetContents();
  Json models = Json::array();
  for (const CIRFile& model : lib.m_models.GetModels()) {
    const std::string type = KeyedName(lib.m_types, model.m_typeKey);
    const std::string mfg = KeyedName(lib.m_manufacturers, model.m_mfgKey);
    Json versions = Json::array();
    for (const CIRFileInstance& instance : model.m_instances)
      versions.push_back({{"version", instance.m_version},
                          {"file", model.FilenameText(instance)},
                          {"location", CIRFile::LocationText(instance)},
                          {"loose", instance.IsLoose()}});
    if (!json) {
      std::cout << (type.empty() ? "type " + std::to_string(model.m_typeKey) : type) << " / "
                << (mfg.empty() ? "manufacturer " + std::to_string(model.m_mfgKey) : mfg) << " / "
                << Cp1252ToUtf8(model.m_modelName) << "\n";
      for (const auto& v : versions)
        std::cout << "  version " << v["version"].get<int>() << ": " << v["file"].get<std::string>() << " in "
                  << v["location"].get<std::string>() << (v["loose"].get<bool>() ? " (loose)" : "") << "\n";
    }
    models.push_back({{"type_key", model.m_typeKey},
                      {"type", type},
                      {"manufacturer_key", model.m_mfgKey},
                      {"manufacturer", mfg},
                      {"model", Cp1252ToUtf8(model.m_modelName)},
                      {"versions", std::move(versions)}});
  }
  if (json) std::cout << Json{{"models", std::move(models)}}.dump(2) << "\n";
  else std::cout << Count(lib.m_models.GetCount(), "model") << " from " << Count(packages, "package") << " and "
                 << Count(loose, "loose driver") << "\n";
  PrintSkipped(lib.m_skipped, verbose);
}

// --- library open ----------------------------------------------------------

// Collects message boxes so the first one can become the command's failure.
class CollectingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    if (m_message.empty()) m_message = text;
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  const std::string& Message() const { return m_message; }

 private:
  std::string m_message;
};

bool IsNumber(const std::string& text) {
  std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
  if (i >= text.size()) return false;
  for (; i < text.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// The position of the type or manufacturer WANTED in ITEMS: its key when it
// is a number, else its name as shown ("Other" and "???" alike), letter case
// ignored.
int FindKeyed(const std::vector<CDlgOpenDriver::ComboItem>& items, const std::string& wanted) {
  const bool byKey = IsNumber(wanted);
  const std::string shown = library::DisplayName(wanted);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (byKey ? std::to_string(items[i].m_data) == wanted : library::EqualsNoCase(items[i].m_text, shown))
      return static_cast<int>(i);
  }
  return -1;
}

std::string VersionsText(const CIRFile& model) {
  std::string out;
  for (const auto& instance : model.m_instances) out += (out.empty() ? "" : ", ") + std::to_string(instance.m_version);
  return out;
}

struct OpenRequest {
  std::string dir, type, manufacturer, model, location, out;
  std::optional<int> version;
  bool force = false;
};

void RunOpen(const OpenRequest& rq) {
  CheckOutput(rq.out, rq.force);
  const CDriverLibraryScan scan = ListFolder(rq.dir);
  if (scan.IsEmpty()) throw CliError(rq.dir + ": no driver library here (no .pkg, .pki or .vir files)");
  auto reader = MakeReader();

  std::string chosenFile, loosePath;
  std::vector<std::uint8_t> bytes;
  CollectingPrompt prompt;
  CDlgOpenDriver::Host host;
  host.m_openLooseDriver = [&](const std::string& path) { loosePath = path; };
  host.m_openPackagedDriver = [&](const std::string& fileName, std::vector<std::uint8_t> data) {
    chosenFile = fileName;
    bytes = std::move(data);
  };
  host.m_prompt = &prompt;
  CDlgOpenDriver dialog(*reader, rq.dir, std::move(host));
  if (dialog.OnInitDialog() != CDlgOpenDriver::InitResult::kLoading)
    throw CliError(rq.dir + ": no driver library here (no .pkg, .pki or .vir files)");
  dialog.LoadAll();

  const int type = FindKeyed(dialog.GetTypeItems(), rq.type);
  if (type < 0) throw CliError(rq.dir + ": no device type \"" + rq.type + "\" in the library");
  dialog.SelectType(type);
  const int mfg = FindKeyed(dialog.GetManufacturerItems(), rq.manufacturer);
  if (mfg < 0) throw CliError(rq.dir + ": no manufacturer \"" + rq.manufacturer + "\" in the library");
  dialog.SelectManufacturer(mfg);
  const std::string kind = " (" + dialog.GetTypeItems()[type].m_text + ", " +
                           dialog.GetManufacturerItems()[mfg].m_text + ")";

  // The model by name, letter case ignored.
  std::vector<int> candidates;
  const auto& items = dialog.GetModelItems();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (library::EqualsNoCase(items[i].m_text, rq.model)) candidates.push_back(static_cast<int>(i));
  if (candidates.empty()) throw CliError(rq.dir + ": no model " + rq.model + kind + " in the library");
  const std::string what = items[static_cast<std::size_t>(candidates.front())].m_text + kind;
  // Models of the same name (a loose copy beside its package, say) are told
  // apart by version, then by location.
  auto narrow = [&](auto keep) {
    std::vector<int> kept;
    for (int c : candidates)
      if (keep(*dialog.GetModels().Find(items[static_cast<std::size_t>(c)].m_data))) kept.push_back(c);
    if (!kept.empty()) candidates = kept;
  };
  if (candidates.size() > 1 && rq.version)
    narrow([&](const CIRFile& m) {
      return std::any_of(m.m_instances.begin(), m.m_instances.end(),
                         [&](const CIRFileInstance& in) { return in.m_version == *rq.version; });
    });
  if (candidates.size() > 1 && !rq.location.empty())
    narrow([&](const CIRFile& m) {
      return std::any_of(m.m_instances.begin(), m.m_instances.end(), [&](const CIRFileInstance& in) {
        const std::string where = CIRFile::LocationText(in);
        return where == rq.location || library::FileNamePart(where) == rq.location ||
               (in.IsLoose() && in.m_loosePath == rq.location);
      });
    });
  if (candidates.size() > 1) {
    std::string places;
    for (int c : candidates) {
      const CIRFile* m = dialog.GetModels().Find(items[static_cast<std::size_t>(c)].m_data);
      places += (places.empty() ? "" : ", ") + CIRFile::LocationText(m->m_instances.front());
    }
    throw CliError(rq.dir + ": " + std::to_string(candidates.size()) + " models " + what + ", in " + places +
                   "; choose one with --location");
  }
  dialog.SelectModel(candidates.front());
  const CIRFile& model = *dialog.GetSelectedModel();

  if (dialog.IsVersionListVisible()) {
    if (!rq.version)
      throw CliError(rq.dir + ": " + what + " has versions " + VersionsText(model) + "; choose one with --version");
    const auto& versions = dialog.GetVersionItems();
    const auto it = std::find_if(versions.begin(), versions.end(), [&](const CDlgOpenDriver::ComboItem& v) {
      return v.m_text == std::to_string(*rq.version);
    });
    if (it == versions.end())
      throw CliError(rq.dir + ": " + what + " has no version " + std::to_string(*rq.version) + " (it has " +
                     VersionsText(model) + ")");
    dialog.SelectVersion(static_cast<int>(it - versions.begin()));
  } else if (rq.version && model.m_instances.front().m_version != *rq.version) {
    throw CliError(rq.dir + ": " + what + " has no version " + std::to_string(*rq.version) + " (it has " +
                   VersionsText(model) + ")");
  }

  const std::string location = dialog.GetLocationText();
  const std::string file = dialog.GetFilenameText();
  if (dialog.OnOK() != CDlgOpenDriver::EndResult::kOk)
    throw CliError(prompt.Message().empty() ? rq.dir + ": nothing to open for " + what : prompt.Message());
  try {
    if (!loosePath.empty()) bytes = ReadFileSafely(loosePath, 16u << 20);
    TQVXIr driver;
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver.Load(stream);
  } catch (const SafeFileError& e) {
    throw CliError(e.what());
  } catch (const TQVXIrException& e) {
    throw CliError(location + ": " + file + " is not a readable driver: " + e.what());
  }
  try {
    WriteFileSafely(rq.out, bytes);
  } catch (const SafeFileError& e) {
    throw CliError(e.what());
  }
}

// --- library probe ---------------------------------------------------------

// Why a driver's bytes do not make a driver ("" when they do).
std::string DriverProblem(const std::vector<std::uint8_t>& bytes) {
  try {
    TQVXIr driver;
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver.Load(stream);
  } catch (const TQVXIrException& e) {
    return std::string("not a readable driver (") + e.what() + ")";
  }
  return std::string();
}

// PROBLEMS collects what makes the library unusable in part: a member the
// package holds but cannot give, a listed driver that is no driver, a
// resource package cut short.
Json ProbePackage(CVelmorPackageReader& reader, const std::string& dir, const std::string& name, bool json,
                  std::vector<std::string>& problems) {
  Json pkg = {{"package", Cp1252ToUtf8(name)}};
  const std::string path = dir + name;
  if (CResFile::IsValidFormat(path)) {
    CResFile package;
    if (!package.Open(path) || package.GetFileCount() != package.GetHeaderEntryCount()) {
      problems.push_back(path + ": damaged package: its header announces " +
                         std::to_string(package.GetHeaderEntryCount()) + " members, " +
                         std::to_string(package.GetFileCount()) + " could be read");
    }
  }
  auto describe = [&](const std::string& file, std::vector<std::uint8_t>& bytes) {
    const long size = reader.PkgFileSize(name, "vir.pki", file, dir);
    bytes.assign(static_cast<std::size_t>(std::max(size, 0L)), 0);
    const bool read = size > 0 && reader.PkgFileRead(name, "vir.pki", file, dir, bytes.data(), bytes.size());
    if (!read) bytes.clear();
    // A file the package lists but does not hold is the library's business;
    // one it holds but cannot give is damage.
    if (size > 0 && !read) problems.push_back(path + ": " + Cp1252ToUtf8(file) + " could not be read");
    Json f = {{"file", Cp1252ToUtf8(file)}, {"size", size}, {"read", read}, {"bytes", bytes.size()}};
    if (!json) {
      std::cout << "  " << Cp1252ToUtf8(file) << ": size " << size;
      if (size > 0) std::cout << (read ? ", read " + std::to_string(bytes.size()) + " bytes" : ", not read");
      std::cout << "\n";
    }
    return f;
  };
  if (!json) std::cout << "package " << Cp1252ToUtf8(name) << "\n";
  std::vector<std::uint8_t> support;
  pkg["irsupport"] = describe("irsupport.ini", support);
  Json drivers = Json::array();
  if (!support.empty()) {
    CMemINI ini;
    ini.LoadBuffer(reinterpret_cast<const char*>(support.data()), support.size());
    const int num = ini.GetInt("supported", "Num", 0);
    for (int i = 0; num > 0 && i <= num && i < 100000; ++i) {
      const CMemINISection* model = ini.FindSection("model_" + std::to_string(i));
      if (!model) continue;
      const std::string type = model->GetString("TypeId", "");
      const std::string brand = model->GetString("BrandId", "");
      const std::string modelName = model->GetString("ModelName", "");
      const std::string drvpkg = model->GetString("Drvpkg", "");
      const auto versions = library::ParseVersionList(model->GetString("Version", ""));
      if (type.empty() || brand.empty() || modelName.empty() || drvpkg.empty() || versions.empty()) continue;
      for (int version : versions) {
        const std::string file = Cp1252ToUtf8(drvpkg + "_" + std::to_string(version) + ".vir");
        std::vector<std::uint8_t> bytes;
        Json d = describe(file, bytes);
        if (!bytes.empty()) {
          const std::string problem = DriverProblem(bytes);
          if (!problem.empty()) problems.push_back(path + ": " + file + ": " + problem);
        }
        d["model"] = Cp1252ToUtf8(modelName);
        d["type"] = std::atoi(type.c_str());
        d["brand"] = std::atoi(brand.c_str());
        d["version"] = version;
        drivers.push_back(std::move(d));
      }
    }
  }
  pkg["drivers"] = drivers;
  return pkg;
}

void RunProbe(const std::string& dir, bool json) {
  const CDriverLibraryScan scan = ListFolder(dir);
  const std::string& folder = scan.m_folder;
  if (!json)
    std::cout << "library " << folder << ": " << scan.m_packages.size() << " packages, " << scan.m_indexFiles.size()
              << " index files, " << scan.m_looseDrivers.size() << " loose drivers\n";
  auto reader = MakeReader();
  std::vector<std::string> problems;
  Json result = {{"folder", folder}, {"packages", Json::array()}, {"index_files", Json::array()}, {"loose", Json::array()}};
  for (const auto& p : scan.m_packages) result["packages"].push_back(ProbePackage(*reader, folder, p, json, problems));
  for (const auto& p : scan.m_indexFiles) result["index_files"].push_back(Cp1252ToUtf8(p));
  for (const auto& v : scan.m_looseDrivers) {
    std::error_code ec;
    std::string problem;
    try {
      problem = DriverProblem(ReadFileSafely(folder + v, 16u << 20));
    } catch (const SafeFileError& e) {
      problem = e.what();
    }
    if (!problem.empty()) problems.push_back(folder + v + ": " + problem);
    result["loose"].push_back({{"file", Cp1252ToUtf8(v)},
                               {"size", std::filesystem::file_size(folder + v, ec)},
                               {"driver", problem.empty()}});
    if (!json) std::cout << "loose " << v << (problem.empty() ? "" : " (" + problem + ")") << "\n";
  }
  if (json) std::cout << result.dump(2) << "\n";
  // Everything was listed; what cannot be used fails the probe, each named.
  std::cout.flush();
  for (std::size_t i = 0; i + 1 < problems.size(); ++i) std::cerr << "quillon-cli: " << problems[i] << "\n";
  if (!problems.empty()) throw CliError(problems.back());
}

void RegisterLibrary(CLI::App& app) {
  CLI::App& group = Group(app, "library", "The driver library: packages and loose drivers");

  auto* list = group.add_subcommand("list", "List every model the Open Driver dialog offers for a library folder");
  auto listDir = std::make_shared<std::string>();
  auto listJson = std::make_shared<bool>(false);
  auto verbose = std::make_shared<bool>(false);
  list->add_option("DIR", *listDir, "Library folder")->required();
  list->add_flag("--json", *listJson, "Print JSON: {\"models\":[{\"type_key\",\"type\",\"manufacturer_key\","
                                     "\"manufacturer\",\"model\",\"versions\":[{\"version\",\"file\",\"location\",\"loose\"}]}]}");
  list->add_flag("--verbose", *verbose, "Say on stderr which packages, models and drivers were left out and why");
  list->callback([listDir, listJson, verbose] { RunList(*listDir, *listJson, *verbose); });

  auto* open = group.add_subcommand("open", "Write the driver the Open Driver dialog's OK opens");
  auto rq = std::make_shared<OpenRequest>();
  auto version = std::make_shared<int>(0);
  open->add_option("DIR", rq->dir, "Library folder")->required();
  open->add_option("--type", rq->type, "Device type: its name as listed, or its key")->required();
  open->add_option("--manufacturer", rq->manufacturer, "Manufacturer: its name as listed, or its key")->required();
  open->add_option("--model", rq->model, "Model name")->required();
  auto* versionOption = open->add_option("--version", *version, "Driver version (needed when the model has several)");
  open->add_option("--location", rq->location,
                   "Where the model is, when several of its name are listed: the Location shown (package path "
                   "or loose driver folder), the package's file name, or the loose driver's path");
  open->add_option("OUT", rq->out, "Driver file to write (- for standard output)")->required();
  open->add_flag("--force", rq->force, "Replace an existing OUT");
  open->callback([rq, version, versionOption] {
    if (versionOption->count() > 0) rq->version = *version;
    RunOpen(*rq);
  });

  auto* probe = group.add_subcommand("probe", "Walk a library folder through the package reader and report its drivers");
  auto probeDir = std::make_shared<std::string>();
  auto probeJson = std::make_shared<bool>(false);
  probe->add_option("DIR", *probeDir, "Library folder")->required();
  AddJsonFlag(probe, *probeJson);
  probe->footer("Exit status 1 when a package or driver of the folder cannot be read (each is named on stderr).");
  probe->callback([probeDir, probeJson] { RunProbe(*probeDir, *probeJson); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(library, quillon::cli::RegisterLibrary);
