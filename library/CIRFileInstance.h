#pragma once
// One driver version of a model in the "Open Driver" dialog: its version
// number and where the driver is: a loose driver file (its path), or a
// package (the package's file name and the folder it lies in).
#include <string>

namespace quillon::library {

struct CIRFileInstance {
  int m_version = 0;
  std::string m_loosePath;      // empty for a packaged driver
  std::string m_packageName;    // file name and extension of the package
  std::string m_packageFolder;  // the folder of the package, as listed

  bool IsLoose() const { return !m_loosePath.empty(); }
};

}  // namespace quillon::library
