#pragma once
// The "Open Driver" dialog without its window: the device types,
// manufacturers, models and driver versions of the installed driver library
// (packages and loose drivers), the selection rules between the four lists,
// the "Filename" and "Location" fields, and what OK, Browse... and Cancel do.
//
// A window drives it entirely:
//   - OnInitDialog(); when it answers kCancel the standard file-open command
//     has run and the window closes with Cancel;
//   - otherwise the library is loaded: LoadAll() at once, LoadStep(n) in
//     slices from a timer, or StartBackgroundLoad(done) on a loading thread
//     followed by FinishBackgroundLoad() on the window's thread once DONE
//     has been called (from the loading thread);
//   - the lists' items (text and item data), the selections, the model
//     list's enabled state, the version list's visibility and the two field
//     texts are read through the getters after every change (the change
//     listener says when); selections go in as item positions (-1: none);
//   - OnOK(), OnBrowse() and OnCancel() say whether the window stays open or
//     closes, and with which result.
// The object lives as long as the program: the library folder is listed at
// the first initialisation only; every opening reloads the packages.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "library/CDriverLibraryContents.h"
#include "library/CDriverLibraryLoader.h"
#include "library/CDriverLibraryScan.h"
#include "library/CIRFile.h"
#include "library/CIRFileInstance.h"
#include "library/CIRFileList.h"
#include "library/CKeyedString.h"
#include "library/CKeyedStringList.h"
#include "library/CPackageFile.h"

namespace quillon {

class CVelmorPackageReader;
class IPrompt;

class CDlgOpenDriver {
 public:
  using CKeyedString = library::CKeyedString;
  using CKeyedStringList = library::CKeyedStringList;
  using CPackageFile = library::CPackageFile;
  using CIRFile = library::CIRFile;
  using CIRFileInstance = library::CIRFileInstance;
  using CIRFileList = library::CIRFileList;

  // Texts of the dialog (resource 168), 248 x 122 dialog units.
  static constexpr const char* kTitle = "Open Driver";
  static constexpr int kWidthDlu = 248;
  static constexpr int kHeightDlu = 122;
  static constexpr const char* kTypeLabel = "Device Type";
  static constexpr const char* kManufacturerLabel = "Manufacturer";
  static constexpr const char* kModelLabel = "Device Model";
  static constexpr const char* kVersionLabel = "Driver Version";
  static constexpr const char* kFilenameLabel = "Filename";
  static constexpr const char* kLocationLabel = "Location";
  static constexpr const char* kBrowseLabel = "Browse...";
  // Shown when the chosen driver cannot be read out of its package.
  static constexpr const char* kReadFailedFormat = "The driver %s could not be read from the package %s.";

  // One item of a drop-down list: its text (UTF-8) and its item data.
  struct ComboItem {
    std::string m_text;
    int m_data = 0;
    bool operator==(const ComboItem&) const = default;
  };

  enum class InitResult {
    kLoading,  // the library is listed; load it now (LoadAll, LoadStep or a background load)
    kCancel,   // no library: the standard file-open command ran; close with Cancel
  };
  enum class EndResult {
    kStayOpen,  // nothing to close for
    kOk,        // close with OK
    kCancel,    // close with Cancel
  };

  // What the dialog needs of the program.
  struct Host {
    // The program's standard file-open command. Returns whether it loaded a
    // driver document (the program-wide flag, cleared by this call).
    std::function<bool()> m_fileOpen;
    // Opens the loose driver file at PATH as a document.
    std::function<void(const std::string& path)> m_openLooseDriver;
    // Opens a driver read out of a package as a new document, titled with
    // FILENAME (UTF-8), its stored size that of BYTES.
    std::function<void(const std::string& fileName, std::vector<std::uint8_t> bytes)> m_openPackagedDriver;
    // Message boxes (a driver that cannot be read); may be null.
    IPrompt* m_prompt = nullptr;
  };

  // READER must outlive the dialog. LIBRARYFOLDER: the library folder of the
  // run ("" when there is none).
  CDlgOpenDriver(CVelmorPackageReader& reader, std::string libraryFolder, Host host);
  ~CDlgOpenDriver();
  CDlgOpenDriver(const CDlgOpenDriver&) = delete;
  CDlgOpenDriver& operator=(const CDlgOpenDriver&) = delete;

  // Called after every change of what the window shows.
  void SetChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }

  // --- Opening ---------------------------------------------------------
  InitResult OnInitDialog();
  // Loads up to BUDGET files; true once the lists are filled.
  bool LoadStep(std::size_t budget);
  void LoadAll();
  // Loads on a thread of its own; DONE is called on that thread when it
  // ends. Then FinishBackgroundLoad() fills the lists (window thread).
  void StartBackgroundLoad(std::function<void()> done);
  void FinishBackgroundLoad();
  bool IsLoading() const { return m_loader != nullptr; }
  // Files loaded and files in all, readable from any thread.
  std::size_t GetLoadDone() const;
  std::size_t GetLoadTotal() const;

  // --- What the window shows --------------------------------------------
  const std::vector<ComboItem>& GetTypeItems() const { return m_typeItems; }
  const std::vector<ComboItem>& GetManufacturerItems() const { return m_mfgItems; }
  const std::vector<ComboItem>& GetModelItems() const { return m_modelItems; }
  const std::vector<ComboItem>& GetVersionItems() const { return m_versionItems; }
  int GetTypeSelection() const { return m_typeSel; }
  int GetManufacturerSelection() const { return m_mfgSel; }
  int GetModelSelection() const { return m_modelSel; }
  int GetVersionSelection() const { return m_versionSel; }
  bool IsModelListEnabled() const { return m_modelListEnabled; }
  // The version list and its label are shown only for a model with more
  // than one version.
  bool IsVersionListVisible() const { return m_versionListVisible; }
  const std::string& GetFilenameText() const { return m_filenameText; }
  const std::string& GetLocationText() const { return m_locationText; }

  // --- Selections (item positions; -1 or out of range: none) -------------
  void SelectType(int index);
  void SelectManufacturer(int index);
  void SelectModel(int index);
  void SelectVersion(int index);

  // --- Buttons --------------------------------------------------------------
  // Opens the chosen driver; stays open when nothing is chosen or the driver
  // cannot be read out of its package (a message says so).
  EndResult OnOK();
  // The standard file-open command; closes with Cancel when it loaded a driver.
  EndResult OnBrowse();
  // Stops a load in progress and closes with Cancel.
  EndResult OnCancel();

  // --- The lists behind the window ----------------------------------------
  const std::string& GetLibraryFolder() const { return m_libraryFolder; }
  const library::CDriverLibraryScan& GetScan() const { return m_scan; }
  const CKeyedStringList& GetTypes() const { return m_contents.m_types; }
  const CKeyedStringList& GetManufacturers() const { return m_contents.m_manufacturers; }
  const CIRFileList& GetModels() const { return m_contents.m_models; }
  // What the last load left out, and why.
  const std::vector<library::CSkippedFile>& GetSkipped() const { return m_contents.m_skipped; }
  // True once an attempt found no library (later openings fall back at once).
  bool FoundNoLibrary() const { return m_noLibrary; }
  // The library check of start-up (the library-available flag): the folder
  // can be listed and holds at least one ".pkg", ".pki" or ".vir" file.
  static bool CheckLibrary(const std::string& folder) { return library::CDriverLibraryScan::CheckLibrary(folder); }

  // The selected model (null when none).
  const CIRFile* GetSelectedModel() const;
  // The version OK takes: the selected version while the version list is
  // shown, else the model's first; null when there is none.
  const CIRFileInstance* GetChosenInstance() const;
  // Reads a packaged driver through the control: its file name "%s_%d.vir"
  // in package "vir.pki" of its package, in the package's folder made
  // absolute. False (BYTES empty) when the size is 0 or the read fails.
  bool ReadPackagedDriver(const CIRFile& model, const CIRFileInstance& instance, std::vector<std::uint8_t>& bytes);

 private:
  void AdoptContents(library::CDriverLibraryContents contents);
  void StopBackgroundLoad();
  void FillKeyedLists();
  void UpdateModelList();
  void UpdateVersionList();
  void UpdateFields();
  void Changed();

  CVelmorPackageReader& m_reader;
  std::string m_libraryFolder;
  Host m_host;
  std::function<void()> m_listener;

  bool m_initialised = false;
  bool m_noLibrary = false;
  library::CDriverLibraryScan m_scan;
  std::unique_ptr<library::CDriverLibraryLoader> m_loader;
  std::thread m_loadThread;
  std::atomic<bool> m_cancelLoad{false};
  library::CDriverLibraryContents m_contents;

  std::vector<ComboItem> m_typeItems;
  std::vector<ComboItem> m_mfgItems;
  std::vector<ComboItem> m_modelItems;
  std::vector<ComboItem> m_versionItems;
  int m_typeSel = -1;
  int m_mfgSel = -1;
  int m_modelSel = -1;
  int m_versionSel = -1;
  bool m_modelListEnabled = false;
  bool m_versionListVisible = false;
  std::string m_filenameText;
  std::string m_locationText;
};

}  // namespace quillon
