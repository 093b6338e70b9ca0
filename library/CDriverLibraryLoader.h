#pragma once
// Loads a listed driver library into its lists, one file at a time, so the
// work can run on a loading thread (Run) or in slices between window events
// (Step):
//  - each ".pkg" package in list order: its two support files are read
//    through the package-reader control; when that works its device type and
//    manufacturer entries are merged into the lists ("irfunction.ini" first,
//    then "irsupport.ini") and its supported models are added;
//  - then each loose ".vir" driver: its header names the manufacturer (129),
//    model (130) and device type (131) and the version (132, as a number);
//    when the three names are there, the type and manufacturer are looked up
//    by name (unknown names get synthetic negative keys) and the model is
//    added with the file as its one loose version.
// Only the support files are read from packages, never their drivers. A file
// that cannot be used contributes nothing and is noted with the reason; the
// load always goes on.
#include <atomic>
#include <cstddef>
#include <string>
#include <unordered_set>

#include "library/CDriverLibraryContents.h"
#include "library/CDriverLibraryScan.h"

namespace quillon {
class CVelmorPackageReader;
}

namespace quillon::library {

class CDriverLibraryLoader {
 public:
  // READER must outlive the loader.
  CDriverLibraryLoader(CVelmorPackageReader& reader, CDriverLibraryScan scan);
  CDriverLibraryLoader(const CDriverLibraryLoader&) = delete;
  CDriverLibraryLoader& operator=(const CDriverLibraryLoader&) = delete;

  // Loads up to BUDGET further files; true when every file is done.
  bool Step(std::size_t budget);
  // Loads the rest; returns early (false) when CANCEL becomes true.
  bool Run(const std::atomic<bool>* cancel = nullptr);

  bool IsDone() const { return GetDoneCount() >= GetTotalCount(); }
  // Files done and files in all, readable from any thread while loading.
  std::size_t GetDoneCount() const { return m_done.load(); }
  std::size_t GetTotalCount() const { return m_scan.m_packages.size() + m_scan.m_looseDrivers.size(); }

  const CDriverLibraryScan& GetScan() const { return m_scan; }
  const CDriverLibraryContents& GetContents() const { return m_contents; }
  // Hands the lists over; the loader is empty afterwards.
  CDriverLibraryContents TakeContents();

 private:
  void LoadPackage(const std::string& name);
  void LoadLooseDriver(const std::string& name);
  void Skip(const std::string& path, const std::string& reason);

  CVelmorPackageReader& m_reader;
  CDriverLibraryScan m_scan;
  CDriverLibraryContents m_contents;
  // The "irfunction.ini" texts merged so far: packages mostly carry the same
  // lists, and merging a text again adds nothing.
  std::unordered_set<std::string> m_mergedFunctionTexts;
  std::atomic<std::size_t> m_done{0};
};

}  // namespace quillon::library
