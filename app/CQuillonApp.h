#pragma once
// The program's application object, free of any window: its start-up in
// fifteen steps (networking, profile and recent files, the driver document
// type, the main frame, /MAKEINI, reference lists, settings and device table,
// the help file, recent connections, the private clipboard format, the
// library check, the driver files of the command line, showing the window,
// the device options) and the state it keeps for the whole run.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "app/CQuillonCommandLine.h"

namespace quillon {

class CCommandLibrary;
class CMfgList;
class CQVXConnectionType;
class CQVXConnectionTypeList;
class CQVXDeviceTypeList;
class CTCharDeque;
class IPrompt;
class IQuillonShell;

class CQuillonApp {
 public:
  static constexpr const char* kSocketsFailedMessage = "Windows sockets initialization failed.";
  static constexpr const char* kInternalDataCorruptedMessage = "Internal data corrupted.  Aborting.";
  static constexpr const char* kOutOfMemoryMessage = "Out of memory";
  static constexpr const char* kProgramResourcesCorrupted = "Program resources corrupted";
  static constexpr const char* kCaption = "Quillon";
  static constexpr int kRecentFileCount = 4;
  // The user manual, looked up in the current folder, the program's folder
  // and the install folder; an installed package keeps it as
  // <prefix>/share/doc/quillon/manual.html beside <prefix>/bin.
  static constexpr const char* kHelpFileName = "Quillon.html";
  static constexpr const char* kPackagedHelpFile = "../share/doc/quillon/manual.html";

  // What tests replace: the socket check of step 1, the clock of step 2,
  // the loaders of steps 7 and 8 and the program's own path (step 9).
  struct Seams {
    std::function<bool()> socketCheck;
    std::function<std::time_t()> clock;
    std::function<void(CQuillonApp&)> loadReferenceLists;
    std::function<void(CQuillonApp&)> loadSettings;
    std::string programPath;
  };

  // PROMPT shows the start-up's messages and must outlive the object.
  explicit CQuillonApp(IPrompt& prompt, Seams seams = Seams());
  ~CQuillonApp();
  CQuillonApp(const CQuillonApp&) = delete;
  CQuillonApp& operator=(const CQuillonApp&) = delete;

  // The application object of the run (the most recently created one that
  // still exists), or null.
  static CQuillonApp* Current();

  // Runs the start-up steps in order with COMMANDLINE; false when a step
  // failed and the program is to exit.
  bool InitInstance(const CQuillonCommandLine& commandLine, IQuillonShell& shell);
  // The number of the last step InitInstance completed (15 after success).
  int GetCompletedSteps() const { return m_completedSteps; }

  // --- State of the run ------------------------------------------------
  std::time_t GetStartTime() const { return m_startTime; }
  // The year after the one the run started in: the latest plausible year
  // of a file date on a device.
  int GetNextYear() const { return m_nextYear; }

  // quillon.ini as loaded (external file or embedded copy), the path of the
  // external file used ("" for the embedded copy), and the device table
  // built from it (the program-wide table).
  CMemINI& GetSettings() { return m_settings; }
  const std::string& GetSettingsPath() const { return m_settingsPath; }
  CQVXDeviceTypeList& GetDeviceTypes();
  // The reference lists (the program-wide ones) and the external
  // irfunctions.ini they came from ("" for the embedded copy).
  CCommandLibrary& GetCommandLibrary();
  CMfgList& GetManufacturers();
  const std::string& GetReferenceListsPath() const { return m_referenceListsPath; }

  // The driver folder of the program settings, resolved once per run; ""
  // when none is set.
  std::string GetDriverFolder() const;

  // The user manual found at start-up.
  const std::string& GetHelpPath() const { return m_helpPath; }
  bool IsHelpFound() const { return m_helpFound; }
  // The places the manual is looked for, in order.
  static std::vector<std::string> HelpFileCandidates(const std::string& currentFolder, const std::string& programFolder,
                                                     const std::string& installFolder);
  // The first candidate that exists as a file with a size above 0, or "".
  static std::string LocateHelpFile(const std::vector<std::string>& candidates);

  // The command line as given at start-up, upper-cased ("" when empty).
  const std::string& GetUpperCommandLine() const { return m_upperCommandLine; }

  // A connection was given on the command line; the device operations
  // clear the flag.
  bool IsCommandLineConnection() const { return m_commandLineConnection; }
  void ClearCommandLineConnection() { m_commandLineConnection = false; }

  // At least one driver was found in the driver library (step 12).
  bool IsLibraryAvailable() const { return m_libraryAvailable; }
  // Replaces the library check of step 12 (null: the library folder of the
  // settings is listed for drivers and packages).
  static void SetLibraryCheck(std::function<bool()> check);

  // The advanced-mode flag and the keystroke buffer of the About box.
  static bool IsAdvancedMode();
  static CTCharDeque& GetKeystrokes();

  // The name of the private clipboard format for copied functions, and the
  // maker's web address; both are kept scrambled and unscrambled on use.
  static std::string GetClipboardFormatName();
  static std::string GetMakerWebAddress();
  // The name the windows registered at step 11 ("" before).
  const std::string& GetRegisteredClipboardFormat() const { return m_clipboardFormat; }

  // "Quillon Version 1.0": the program's major and minor numbers.
  static std::string AboutVersionText(int major, int minor);
  static std::string AboutVersionText();
  // "quillon <version>" for --version.
  static std::string VersionLine();

  // --- Recent files and untitled drivers --------------------------------
  // The recent-file list, most recent first (at most four).
  const std::vector<std::string>& GetRecentFiles() const { return m_recentFiles; }
  // Puts PATH at the head of the list and stores the list in the profile.
  void AddRecentFile(const std::string& path);
  // Removes PATH from the list (a file that could not be opened).
  void RemoveRecentFile(const std::string& path);
  // The title of the next new driver: "VIR1", "VIR2", ...
  std::string NextUntitledTitle();

  // Closing the main window: the recent connections and the selected one
  // (possibly none) go to the profile.
  static void SaveRecentConnections(const CQVXConnectionTypeList& list, const CQVXConnectionType* selected);

 private:
  bool CheckSockets();
  void LoadReferenceLists();
  void LoadSettings();
  void LocateHelp();
  void RestoreRecentConnections(IQuillonShell& shell);
  bool OpenCommandLineDrivers(const CQuillonCommandLine& commandLine, IQuillonShell& shell);
  void ApplyDeviceOptions(const CQuillonCommandLine& commandLine, IQuillonShell& shell);
  void Message(const std::string& text);

  IPrompt& m_prompt;
  Seams m_seams;
  CQuillonApp* m_previous = nullptr;
  int m_completedSteps = 0;

  std::time_t m_startTime = 0;
  int m_nextYear = 0;
  CMemINI m_settings;
  std::string m_settingsPath;
  std::string m_referenceListsPath;
  std::string m_helpPath;
  bool m_helpFound = false;
  std::string m_upperCommandLine;
  bool m_commandLineConnection = false;
  bool m_libraryAvailable = false;
  std::string m_clipboardFormat;
  std::vector<std::string> m_recentFiles;
  int m_untitledCount = 0;
};

}  // namespace quillon
