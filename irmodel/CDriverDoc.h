#pragma once
// The document of one open driver, free of any window: it owns the driver,
// reads and writes its .vir file, keeps the header entries the program
// maintains up to date, lays the functions out along the standard command
// list of the driver's device type and carries out every edit the function
// list and the detail panes offer. Message boxes and questions go through
// IPrompt; views learn about changes through the update listener.
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrIni.h"

namespace quillon {

class CCommandLibrary;
class CCommandList;
class IPrompt;

class CDriverDoc {
 public:
  // Choices of the copy-conflict dialog, in the order it offers them.
  enum class ConflictChoice {
    kRenameNew = 0,
    kRenameExisting = 1,
    kReplace = 2,
    kAddSubFunctions = 3,
    kSkip = 4,
    kSkipAll = 5,
  };
  // The option texts given to IPrompt::Choose, indexed by ConflictChoice.
  static const std::vector<std::string>& ConflictOptions();

  // What the last merge did with each incoming function, by name (the
  // renamed ones as "NAME -> NEWNAME").
  struct MergeSummary {
    std::vector<std::string> added;     // appended under their own names
    std::vector<std::string> filled;    // took the place of an empty namesake
    std::vector<std::string> replaced;  // replaced a namesake that held a signal
    std::vector<std::string> renamed;   // the new or the existing one renamed
    std::vector<std::string> extended;  // sub-functions added to the namesake
    std::vector<std::string> skipped;   // not copied (skipped or a renaming failure)
  };

  // The fields of the header pane.
  struct HeaderFields {
    std::string deviceType;
    std::string manufacturer;
    std::string model;
    std::string comments;
    std::string version;
  };

  // The most functions the New function command enables at, and the most it
  // adds up to.
  static constexpr int kNewFunctionEnabledBelow = 127;
  static constexpr int kNewFunctionActsBelow = 126;
  // Generated names this long or longer are renaming failures.
  static constexpr std::size_t kMaxGeneratedName = 128;

  // LIBRARY supplies the standard command lists (null: none); it must
  // outlive the document.
  explicit CDriverDoc(IPrompt& prompt, const CCommandLibrary* library = nullptr);
  CDriverDoc(const CDriverDoc&) = delete;
  CDriverDoc& operator=(const CDriverDoc&) = delete;
  virtual ~CDriverDoc();

  // --- Seams -----------------------------------------------------------
  // The advanced-mode test and the supported-driver test (default: the
  // program-wide access codes).
  void SetAccessTests(std::function<bool()> advancedMode, std::function<bool()> supportedDriver);
  // The clock of saved_time (default: the system clock).
  void SetClock(std::function<std::time_t()> clock);
  // Called whenever the views must be refreshed.
  void SetUpdateListener(std::function<void()> listener);

  // --- Life cycle --------------------------------------------------------
  // A fresh driver with the maintained header entries.
  bool OnNewDocument();
  // Reads the file at PATH. False (nothing opened, message shown) when the
  // file cannot be read at all; true otherwise, also when its content was
  // bad: then the message was shown, the driver has no functions and
  // LoadFailed() is true.
  bool OnOpenDocument(const std::string& path);
  // Loads the driver image BYTES received from elsewhere (a device, a
  // package) into a document without a file: NAME is what messages call it
  // and the driver's file name; the stored size is the image's size. Bad
  // content is handled as OnOpenDocument handles it (message, no functions,
  // LoadFailed()).
  void OnOpenBytes(const std::vector<std::uint8_t>& bytes, const std::string& name);
  // Writes the driver to PATH through a temporary file beside it and a
  // rename, so a failure leaves any previous file intact. False (message
  // shown) on failure.
  bool OnSaveDocument(const std::string& path);
  // What a save to PATH writes: brings the maintained header entries up to
  // date for PATH and returns the driver image (empty when there is nothing
  // to write). For writers that put the image elsewhere than a replaced
  // file. Throws TQVXIrException.
  std::vector<std::uint8_t> PrepareSaveImage(const std::string& path);

  TQVXIr& GetDriver() { return driver_; }
  const TQVXIr& GetDriver() const { return driver_; }
  const std::string& GetPathName() const { return path_; }
  std::size_t GetFileLength() const { return fileLength_; }
  bool LoadFailed() const { return loadFailed_; }
  // What the last failed open, save or export went wrong with, as one line
  // naming the file and the reason ("tv.vir: Permission denied",
  // "tv.vir: Corrupt File (code 2)"); empty after a success. The message
  // boxes keep their fixed texts; callers without windows show this.
  const std::string& GetLastError() const { return lastError_; }
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  // --- Command list ------------------------------------------------------
  // The command list of DEVICETYPE (ignoring case), or null.
  const CCommandList* FindCommandList(const std::string& deviceType) const;
  // The command list of the driver's device_type, or null.
  const CCommandList* GetCommandList() const;
  // The size of the driver's command list, or TQVXIr::kNoStandardSlots.
  int GetStandardSlots() const;
  // Lays the driver out along the command list of DEVICETYPE (default: the
  // driver's device_type); with TRIM, trailing placeholders beyond the list
  // are deleted. 1 when a list was applied, 0 otherwise.
  int ApplyDeviceCommandList(bool trim, const std::optional<std::string>& deviceType = std::nullopt);

  // --- Selection of the function list ----------------------------------
  // Positions of the selected functions, in list order.
  std::vector<int> GetSelection() const;
  void SetSelection(const std::vector<int>& positions);
  // Selects the functions with these names (first of each, ignoring case);
  // false when a name is not found (the others are selected all the same).
  bool SelectByNames(const std::vector<std::string>& names);
  void ClearSelection() { selection_.clear(); }

  // --- Function list operations ----------------------------------------
  bool CanNewFunction() const;
  // Appends a placeholder, applies the command list and selects it. Returns
  // its position, or -1 when the driver already holds 126 functions.
  int NewFunction();
  // Renames the function at POSITION (when it is still EXPECTED, if given)
  // to NAME. Names with <, >, &, ' or " are refused with a message box.
  bool RenameFunction(int position, const std::string& name, const TQVXIrFunction* expected = nullptr);
  // Deletes the selected functions; returns how many.
  int DeleteSelected();
  // Copies the selected functions into a clipboard block (and, unless
  // BLOCK is given, into the process clipboard). False when nothing is
  // selected or the copy failed (message shown).
  bool CopySelected(std::vector<std::uint8_t>* block = nullptr);
  // Copy, then delete the copied functions and apply the command list. The
  // block goes to BLOCK when given, else to the process clipboard.
  bool CutSelected(std::vector<std::uint8_t>* block = nullptr);
  // Moves the selected functions before the function at DROPPOSITION
  // (beyond the end or negative: to the end). False when nothing moved.
  bool MoveSelected(int dropPosition);
  // Pastes the process clipboard, or BLOCK. Returns the number of renaming
  // failures, or -1 when there was nothing readable to paste.
  int Paste();
  int PasteBlock(const std::vector<std::uint8_t>& block);
  // Merges SOURCE into the driver (conflicts asked through the prompt);
  // returns the number of renaming failures, reported unless SILENT.
  int Merge(const TQVXIr& source, bool silent = false);
  // With FILL on, an incoming function whose namesake in the driver is empty
  // (a standard slot without a signal) takes the namesake's place without a
  // question: filling a slot loses nothing. Off by default.
  void SetFillEmptyOnMerge(bool fill) { fillEmptyOnMerge_ = fill; }
  const MergeSummary& GetLastMergeSummary() const { return mergeSummary_; }
  // Sets or clears the modulation bit of every sub-function of the selection.
  void SetModulation(bool modulated);
  // The low 4 bits of the number typed become the repeat count of every
  // sub-function of the selection; returns that value.
  int SetRepeatCount(const std::string& typed);

  // A name no function of DRIVER carries, made from NAME and PREFIX; empty
  // when none of the candidates is free.
  static std::string UniqueName(const TQVXIr& driver, const std::string& name, const std::string& prefix);

  // --- Header ------------------------------------------------------------
  HeaderFields GetHeaderFields() const;
  // Writes the five fields back (cleaned, type upper-cased or "OTHER",
  // version normalised); FIELDS receives what was stored. Returns the status
  // text of the pane ("Illegal Characters removed." or "").
  std::string ApplyHeaderEdits(HeaderFields& fields);
  // A device type chosen from the type list: stored and its command list
  // applied with trimming when it differs from the current one.
  bool ChooseDeviceType(const std::string& deviceType);
  // The "Is Velmor Driver" box.
  bool GetVelmorFlag() const;
  void SetVelmorFlag(bool checked);
  // "IR Driver:  " and the like, for the driver's kind.
  const char* GetKindText() const;

  // --- INI interchange ---------------------------------------------------
  // Imports the INI file at PATH (only in advanced mode); the messages are
  // shown as the import error report and returned in MESSAGES.
  TQVXIrIni::ImportResult ImportIni(const std::string& path, std::vector<std::string>& messages);
  // Exports the selection (or the whole driver when nothing is selected) to
  // PATH. False when there is no function or the file cannot be written.
  bool ExportIni(const std::string& path) const;
  // The export of the selection (or of the whole driver) built in INI before
  // any file is chosen. False, INI empty, when there is no function.
  bool BuildExport(CMemINI& ini) const;

  // --- Access tests ------------------------------------------------------
  // Whether the supported-driver code matches now (the "SubFunctions" pane
  // shows sub-function data only then).
  bool SupportedDriverTest() const { return SupportedDriver(); }

 private:
  bool ReadFile(const std::string& path);
  void LoadImage(const std::vector<std::uint8_t>& bytes, const std::string& shownName);
  void AddMissingHeaderDefaults();
  void AddFlagsEntryIfMissing();
  void DeleteFunction(TQVXIrFunction* function);
  void Changed();
  void Refresh();
  bool AdvancedMode() const;
  bool SupportedDriver() const;
  std::time_t Now() const;

  IPrompt& prompt_;
  const CCommandLibrary* library_;
  TQVXIr driver_;
  std::string path_;
  mutable std::string lastError_;  // also set by the const export
  std::size_t fileLength_ = 0;
  bool loadFailed_ = false;
  bool modified_ = false;
  std::vector<const TQVXIrFunction*> selection_;
  bool fillEmptyOnMerge_ = false;
  MergeSummary mergeSummary_;
  std::function<bool()> advancedMode_;
  std::function<bool()> supportedDriver_;
  std::function<std::time_t()> clock_;
  std::function<void()> listener_;
};

}  // namespace quillon
