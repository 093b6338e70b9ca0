#pragma once
// The program-wide command library and manufacturer list, and the start-up
// choice of where they are loaded from.
#include <string>

#include "app/CCommandLibrary.h"
#include "app/CMfgList.h"

namespace quillon {

class IPrompt;

class CReferenceLists {
 public:
  static constexpr const char* kInvalidFileMessage = "%s is invalid/corrupted.\nUsing internal copy.";

  // The program-wide instances.
  static CCommandLibrary& Library();
  static CMfgList& Manufacturers();

  // Loads both lists from the external irfunctions.ini when one is located,
  // else from the embedded copy. When the external file fails, the message
  // "<path> is invalid/corrupted.\nUsing internal copy." is shown through
  // PROMPT (when given) and stored in *MESSAGE (when given), both lists are
  // cleared and the embedded copy is loaded. Returns the external path used,
  // or "" for the embedded copy. Failures of the embedded copy are thrown
  // (CQuillonException, "Program resources corrupted" when it is missing).
  static std::string Load(CCommandLibrary& library, CMfgList& manufacturers, IPrompt* prompt,
                          std::string* message = nullptr);
  // Loads both lists from the embedded copy.
  static void LoadEmbedded(CCommandLibrary& library, CMfgList& manufacturers);
};

}  // namespace quillon
