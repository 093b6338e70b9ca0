#include "library/CPackageFile.h"

#include <algorithm>
#include <utility>

#include "library/CVelmorPackageReader.h"
#include "library/LibraryText.h"

namespace quillon::library {

namespace {

constexpr const char* kModelKeys[] = {"TypeId", "BrandId", "ModelName", "Drvpkg", "Version"};

}  // namespace

CPackageFile::CPackageFile(std::string folder, std::string fileName)
    : m_folder(std::move(folder)), m_fileName(std::move(fileName)) {}

bool CPackageFile::ReadFile(CVelmorPackageReader& reader, const char* name, std::string& text, std::string* why) {
  text.clear();
  const long size = reader.PkgFileSize(m_fileName, kSelfPackage, name, m_folder);
  if (size <= 0) {
    if (why) *why = std::string(name) + " is missing or the package cannot be read";
    return false;
  }
  if (size > kMaxSupportSize) {
    if (why) *why = std::string(name) + " claims " + std::to_string(size) + " bytes, more than a support file holds";
    return false;
  }
  text.assign(static_cast<std::size_t>(size), '\0');
  if (!reader.PkgFileRead(m_fileName, kSelfPackage, name, m_folder, text.data(), text.size())) {
    if (why) *why = std::string(name) + " cannot be read from the package";
    text.clear();
    return false;
  }
  return true;
}

bool CPackageFile::Load(CVelmorPackageReader& reader, std::string* why) {
  m_support.Clear();
  m_function.Clear();
  m_functionParsed = false;
  m_functionText.clear();
  m_functionLoaded = false;
  std::string support;
  m_supportLoaded = ReadFile(reader, kSupportFile, support, why) && m_support.LoadBuffer(support) > 0;
  if (!m_supportLoaded) {
    if (why && !support.empty()) *why = std::string(kSupportFile) + " holds no settings";
    return false;
  }
  m_functionLoaded = ReadFile(reader, kFunctionFile, m_functionText, nullptr);
  return true;
}

const CMemINI& CPackageFile::GetFunctionIni() const {
  if (!m_functionParsed) {
    m_functionParsed = true;
    m_function.LoadBuffer(m_functionText);
  }
  return m_function;
}

std::vector<CIRFile> CPackageFile::GetSupportedModels(std::vector<std::string>* skipped) const {
  std::vector<CIRFile> models;
  const int num = m_support.GetInt("supported", "Num", 0);
  if (num <= 0) {
    if (skipped) skipped->push_back(std::string(kSupportFile) + ": [supported] Num is missing or not above 0");
    return models;
  }
  // The sections model_0 .. model_Num that exist, in number order; walking
  // the document's own sections keeps an absurd Num from costing anything.
  std::vector<std::pair<int, const CMemINISection*>> sections;
  for (int i = 0; i < m_support.GetCount(); ++i) {
    const CMemINISection* section = m_support.GetAt(i);
    const auto number = NumberedName(section->GetName(), "model_");
    if (number && *number <= num && m_support.FindSection(section->GetName()) == section)
      sections.emplace_back(*number, section);
  }
  std::sort(sections.begin(), sections.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  for (const auto& [number, section] : sections) {
    const std::string where = std::string(kSupportFile) + " [" + section->GetName() + "]";
    const char* missing = nullptr;
    for (const char* key : kModelKeys) {
      if (section->GetString(key, "").empty()) {
        missing = key;
        break;
      }
    }
    if (missing) {
      if (skipped) skipped->push_back(where + ": " + missing + " is missing or empty");
      continue;
    }
    const std::string version = section->GetString("Version", "");
    std::vector<std::string> rejected;
    const std::vector<int> versions = ParseVersionList(version, &rejected);
    if (skipped)
      for (const auto& r : rejected) skipped->push_back(where + ": version " + r + " is too large");
    if (versions.empty()) {
      if (skipped && rejected.empty()) skipped->push_back(where + ": Version \"" + version + "\" does not start with a digit");
      continue;
    }
    CIRFile model;
    model.m_typeKey = section->GetInt("TypeId", 0);
    model.m_mfgKey = section->GetInt("BrandId", 0);
    model.m_modelName = section->GetString("ModelName", "");
    model.m_drvpkg = section->GetString("Drvpkg", "");
    for (int v : versions) model.m_instances.push_back(CIRFileInstance{v, std::string(), m_fileName, m_folder});
    models.push_back(std::move(model));
  }
  return models;
}

}  // namespace quillon::library
