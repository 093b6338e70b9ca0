#pragma once
// The driver INI interchange text: a "HEADER" section and one
// "function_%d" section per function, written and read through the INI
// store. Export writes a driver (or a selection of it); import replaces the
// functions of a driver, recording a message for every value it had to
// substitute and going on.
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "irmodel/TQVXIr.h"

namespace quillon {

class IPrompt;

class TQVXIrIni {
 public:
  // The most functions an import reads.
  static constexpr int kMaxFunctions = 126;
  // The most sub-function sections an import examines per function; the
  // driver file holds at most 255, so anything above is noise (and a huge
  // count must not keep the import busy for ever).
  static constexpr int kMaxSubFunctions = 1024;

  static constexpr const char* kInvalidFileMessage = "The INI file is invalid/corrupted.";
  static constexpr const char* kErrorHeadingFormat =
      "The following errors were encountered %s.  The driver may not be usable.";
  static constexpr const char* kErrorHeadingWords = "during the import process";
  static constexpr const char* kErrorDialogCaption = "Errors";
  static constexpr const char* kDefaultExtension = ".ini";
  static constexpr const char* kFileFilter = "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||";

  // The heading of the import error report.
  static std::string ErrorHeading();

  // Writes DRIVER into INI (which is cleared first). Returns false, leaving
  // INI empty, when the driver has no function.
  static bool Export(const TQVXIr& driver, CMemINI& ini);
  // The text Export writes, as the INI store saves it (CR LF lines).
  static std::string ExportText(const TQVXIr& driver);
  // A driver holding copies of the functions at POSITIONS (in list order,
  // unknown positions skipped) and a copy of DRIVER's header, of kind 0.
  static TQVXIr Selection(const TQVXIr& driver, const std::vector<int>& positions);
  // The proposed file name: manufacturer "_" model, or whichever of the two
  // is not empty, or "" when neither is.
  static std::string ProposedFileName(const TQVXIr& driver);

  enum class ImportResult {
    kNotAllowed,   // advanced mode is off: nothing was read
    kNoFile,       // empty path or unreadable file: nothing changed, nothing said
    kInvalidFile,  // no HEADER section: the message box was shown, nothing changed
    kImported,     // the driver's functions were replaced (see MESSAGES)
  };

  // Reads the INI file at PATH into DRIVER when ADVANCEDMODE is on. MESSAGES
  // is cleared and receives every message recorded, in order. A file without
  // a HEADER section shows kInvalidFileMessage through PROMPT (when given).
  static ImportResult Import(const std::string& path, TQVXIr& driver, bool advancedMode,
                             std::vector<std::string>& messages, IPrompt* prompt);
  // The same for a store already in memory (the file-reading step skipped).
  static ImportResult Import(const CMemINI& ini, TQVXIr& driver, std::vector<std::string>& messages,
                             IPrompt* prompt);
};

}  // namespace quillon
