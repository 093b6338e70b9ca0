#pragma once
// What loading a driver library yields: the device type and manufacturer
// lists, the models, and a note for every file or part of a file that
// contributed nothing, with the reason.
#include <string>
#include <vector>

#include "library/CIRFileList.h"
#include "library/CKeyedStringList.h"

namespace quillon::library {

struct CSkippedFile {
  std::string m_path;    // the package or loose driver
  std::string m_reason;  // what was left out and why
};

struct CDriverLibraryContents {
  CKeyedStringList m_types = CKeyedStringList::DeviceTypes();
  CKeyedStringList m_manufacturers = CKeyedStringList::Manufacturers();
  CIRFileList m_models;
  std::vector<CSkippedFile> m_skipped;
};

}  // namespace quillon::library
