#pragma once
// One model of the "Open Driver" dialog: device type and manufacturer keys,
// model name, the base name of its packaged driver files ("Drvpkg") and its
// driver versions.
#include <string>
#include <vector>

#include "library/CIRFileInstance.h"

namespace quillon::library {

class CIRFile {
 public:
  int m_typeKey = 0;
  int m_mfgKey = 0;
  std::string m_modelName;  // bytes of the packages' code page
  std::string m_drvpkg;     // empty for a loose driver
  std::vector<CIRFileInstance> m_instances;

  // The driver file name of INSTANCE: "%s_%d.vir" of Drvpkg and version for
  // a packaged driver (in the packages' code page), the file's own name for
  // a loose one (as the file system spells it).
  std::string DriverFileName(const CIRFileInstance& instance) const;
  // The "Filename" field for INSTANCE (UTF-8).
  std::string FilenameText(const CIRFileInstance& instance) const;
  // The "Location" field for INSTANCE: the loose file's folder, or the
  // package folder joined with the package file name.
  static std::string LocationText(const CIRFileInstance& instance);
};

}  // namespace quillon::library
