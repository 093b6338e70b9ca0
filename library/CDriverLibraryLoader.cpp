#include "library/CDriverLibraryLoader.h"

#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

#include "irmodel/CDriverFile.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "library/CPackageFile.h"
#include "library/CVelmorPackageReader.h"

namespace quillon::library {

CDriverLibraryLoader::CDriverLibraryLoader(CVelmorPackageReader& reader, CDriverLibraryScan scan)
    : m_reader(reader), m_scan(std::move(scan)) {}

bool CDriverLibraryLoader::Step(std::size_t budget) {
  const std::size_t packages = m_scan.m_packages.size();
  for (std::size_t n = 0; n < budget && !IsDone(); ++n) {
    const std::size_t at = m_done.load();
    if (at < packages)
      LoadPackage(m_scan.m_packages[at]);
    else
      LoadLooseDriver(m_scan.m_looseDrivers[at - packages]);
    m_done.store(at + 1);
  }
  return IsDone();
}

bool CDriverLibraryLoader::Run(const std::atomic<bool>* cancel) {
  while (!IsDone()) {
    if (cancel && cancel->load()) return false;
    Step(1);
  }
  return true;
}

CDriverLibraryContents CDriverLibraryLoader::TakeContents() {
  CDriverLibraryContents out = std::move(m_contents);
  m_contents = CDriverLibraryContents();
  return out;
}

void CDriverLibraryLoader::Skip(const std::string& path, const std::string& reason) {
  m_contents.m_skipped.push_back(CSkippedFile{path, reason});
}

void CDriverLibraryLoader::LoadPackage(const std::string& name) {
  CPackageFile package(m_scan.m_folder, name);
  const std::string path = package.GetPath();
  std::string why;
  if (!package.Load(m_reader, &why)) {
    Skip(path, why);
    return;
  }
  std::vector<std::string> notes;
  if (package.IsFunctionLoaded() && m_mergedFunctionTexts.insert(package.GetFunctionText()).second) {
    m_contents.m_types.Merge(package.GetFunctionIni(), &notes);
    m_contents.m_manufacturers.Merge(package.GetFunctionIni(), &notes);
  }
  m_contents.m_types.Merge(package.GetSupportIni(), &notes);
  m_contents.m_manufacturers.Merge(package.GetSupportIni(), &notes);
  for (CIRFile& model : package.GetSupportedModels(&notes)) m_contents.m_models.Add(std::move(model));
  for (const std::string& note : notes) Skip(path, note);
}

void CDriverLibraryLoader::LoadLooseDriver(const std::string& name) {
  const std::string path = m_scan.m_folder + name;
  TQVXIr driver;
  try {
    const std::vector<std::uint8_t> bytes = CDriverFile::ReadAll(path);
    TQVXIrLoadBuffer stream(bytes.data(), bytes.size());
    driver.Load(stream);
  } catch (const CDriverFile::Error& e) {
    Skip(path, e.what());
    return;
  } catch (const TQVXIrException& e) {
    Skip(path, std::string("not a driver: ") + e.what());
    return;
  } catch (const std::exception& e) {
    Skip(path, std::string("not a driver: ") + e.what());
    return;
  }
  const TQVXIrHeader& header = driver.GetHeader();
  auto text = [&](int tag) {
    const char* t = header.GetText(tag);
    return t ? std::string(t) : std::string();
  };
  const std::string manufacturer = text(TQVXIrHeaderEntry::kDeviceManufacturer);
  const std::string modelName = text(TQVXIrHeaderEntry::kDeviceModel);
  const std::string type = text(TQVXIrHeaderEntry::kDeviceType);
  if (manufacturer.empty() || modelName.empty() || type.empty()) {
    Skip(path, "the driver does not name its device type, manufacturer and model");
    return;
  }
  CIRFile model;
  model.m_typeKey = m_contents.m_types.KeyOfName(type);
  model.m_mfgKey = m_contents.m_manufacturers.KeyOfName(manufacturer);
  model.m_modelName = modelName;
  model.m_instances.push_back(
      CIRFileInstance{std::atoi(text(TQVXIrHeaderEntry::kDriverVersion).c_str()), path, std::string(), std::string()});
  m_contents.m_models.Add(std::move(model));
}

}  // namespace quillon::library
