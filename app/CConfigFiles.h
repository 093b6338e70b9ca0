#pragma once
// Where the program's configuration lives: the folders named in the
// machine-wide store, the two INI files (irfunctions.ini with the reference
// lists, quillon.ini with the device table, time-outs and capture settings),
// their embedded defaults, and the writer that puts the defaults on disk.
//
// Folders read from the store end in "/" (a value that does not is given
// one), so a file name can be appended directly.
#include <string>

#include "app/CMemINI.h"

namespace quillon {

class IPrompt;

class CConfigFiles {
 public:
  // Folder kinds, each a string value under the machine key
  // "Software\Velmor\Common".
  static constexpr int kLibraryFolder = 0;  // "libpath"
  static constexpr int kDriverFolder = 1;   // "driverpath2", else "driverpath"
  static constexpr int kCommonFolder = 2;   // "path": holds the two INI files

  static constexpr const char* kCommonKey = "Software\\Velmor\\Common";
  static constexpr const char* kProgramKey = "Software\\Velmor\\Quillon";
  static constexpr const char* kIrFunctionsFile = "irfunctions.ini";
  static constexpr const char* kSettingsFile = "quillon.ini";
  static constexpr const char* kSaveFailedMessage = "One or more INI files could not be saved.";

  // The folder of KIND. The driver folder is resolved once per run and then
  // served from the cache; the others are read at every request. A missing
  // key or value gives "".
  static std::string GetFolder(int kind);
  // Reads the folder of KIND from the store, bypassing the cache.
  static std::string ResolveFolder(int kind);
  // Forgets the cached driver folder (tests, and a settings change).
  static void ResetDriverFolderCache();
  // The install folder: "path" under "Software\Velmor\Quillon".
  static std::string GetInstallFolder();

  // The external copy of FILENAME: common folder + name when that file
  // exists and is not empty, else the bare name when it exists in the
  // current directory and is not empty, else "" (use the embedded copy).
  static std::string LocateIniFile(const std::string& fileName);

  // Loads quillon.ini into INI: the external file when one is located,
  // otherwise the embedded copy. Returns the external path, or "" when the
  // embedded copy was used. Throws CQuillonException("Program resources
  // corrupted") when the embedded copy is missing.
  static std::string LoadSettingsIni(CMemINI& ini);
  // Loads the embedded copy of resource ID (carriage returns turned into
  // line feeds). Throws CQuillonException("Program resources corrupted").
  static void LoadEmbeddedIni(int id, CMemINI& ini);

  // Writes the embedded irfunctions.ini and quillon.ini, byte for byte, into
  // FOLDER, creating it level by level when needed. True when both files
  // were written; otherwise ERROR (when given) names the first file or
  // folder that failed and the reason ("/etc/velmor/quillon.ini: Permission
  // denied").
  static bool WriteDefaultIniFiles(const std::string& folder, std::string* error = nullptr);
  // The start-up writer: into the common data folder; on failure shows
  // "One or more INI files could not be saved." through PROMPT (when given).
  static bool WriteDefaultIniFiles(IPrompt* prompt);

  // Creates FOLDER and any missing parents, one level at a time. Fails when
  // a component exists as something other than a folder.
  static bool CreateFolderLevels(const std::string& folder);
};

}  // namespace quillon
