#include "library/CIRFile.h"

#include "library/LibraryText.h"
#include "platform/Cp1252.h"

namespace quillon::library {

std::string CIRFile::DriverFileName(const CIRFileInstance& instance) const {
  if (instance.IsLoose()) return FileNamePart(instance.m_loosePath);
  return m_drvpkg + "_" + std::to_string(instance.m_version) + ".vir";
}

std::string CIRFile::FilenameText(const CIRFileInstance& instance) const {
  return instance.IsLoose() ? DriverFileName(instance) : Cp1252ToUtf8(DriverFileName(instance));
}

std::string CIRFile::LocationText(const CIRFileInstance& instance) {
  if (instance.IsLoose()) return FolderPart(instance.m_loosePath);
  std::string folder = instance.m_packageFolder;
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder + instance.m_packageName;
}

}  // namespace quillon::library
