#pragma once
// One package of the driver library as the "Open Driver" dialog reads it:
// its file name, the folder it lies in, and its two support files,
// "irsupport.ini" (the models it holds) and "irfunction.ini" (its device
// type and manufacturer lists), each read through the package-reader control
// from the package itself (package name "vir.pki") into an INI document with
// a flag telling whether it was loaded and holds data.
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "library/CIRFile.h"

namespace quillon {
class CVelmorPackageReader;
}

namespace quillon::library {

class CPackageFile {
 public:
  static constexpr const char* kSupportFile = "irsupport.ini";
  static constexpr const char* kFunctionFile = "irfunction.ini";
  // The package name that makes the control read from the big package itself.
  static constexpr const char* kSelfPackage = "vir.pki";
  // A support file larger than this is taken for damage, not read.
  static constexpr long kMaxSupportSize = 16L << 20;

  // FOLDER: the library folder as listed (with its trailing separator).
  CPackageFile(std::string folder, std::string fileName);

  // Reads both support files: for each, its size, then a buffer of that
  // size, then the INI text. True when "irsupport.ini" was read and holds
  // data (a package without it lists nothing); otherwise WHY says what
  // failed. A missing or unreadable "irfunction.ini" only leaves its
  // document empty. "irfunction.ini" is parsed when its document is first
  // asked for, since most packages carry the same lists.
  bool Load(CVelmorPackageReader& reader, std::string* why = nullptr);

  const std::string& GetFileName() const { return m_fileName; }
  const std::string& GetFolder() const { return m_folder; }
  std::string GetPath() const { return m_folder + m_fileName; }
  const CMemINI& GetSupportIni() const { return m_support; }
  const CMemINI& GetFunctionIni() const;
  // The bytes of "irfunction.ini" as read from the package.
  const std::string& GetFunctionText() const { return m_functionText; }
  bool IsSupportLoaded() const { return m_supportLoaded; }
  // True when "irfunction.ini" was read and is not empty.
  bool IsFunctionLoaded() const { return m_functionLoaded; }

  // The models of the support description: [supported] Num gives N (must be
  // above 0); the sections model_0 .. model_N that exist, in that order,
  // each taken when TypeId, BrandId, ModelName, Drvpkg and Version are all
  // present and non-empty and the trimmed Version starts with a digit; every
  // number of Version is one driver version in this package. Sections left
  // out are described in SKIPPED.
  std::vector<CIRFile> GetSupportedModels(std::vector<std::string>* skipped = nullptr) const;

 private:
  // Reads one support file's bytes into TEXT; true when there are any.
  bool ReadFile(CVelmorPackageReader& reader, const char* name, std::string& text, std::string* why);

  std::string m_folder;
  std::string m_fileName;
  CMemINI m_support;
  std::string m_functionText;
  mutable CMemINI m_function;
  mutable bool m_functionParsed = false;
  bool m_supportLoaded = false;
  bool m_functionLoaded = false;
};

}  // namespace quillon::library
