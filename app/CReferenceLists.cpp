#include "app/CReferenceLists.h"

#include "app/CConfigFiles.h"
#include "app/CEmbeddedResources.h"
#include "app/CMemINI.h"
#include "app/CQuillonException.h"
#include "app/IPrompt.h"

namespace quillon {

CCommandLibrary& CReferenceLists::Library() {
  static CCommandLibrary library;
  return library;
}

CMfgList& CReferenceLists::Manufacturers() {
  static CMfgList manufacturers;
  return manufacturers;
}

void CReferenceLists::LoadEmbedded(CCommandLibrary& library, CMfgList& manufacturers) {
  CMemINI ini;
  CConfigFiles::LoadEmbeddedIni(CEmbeddedResources::kIrFunctionsIni, ini);
  library.Load(ini);
  manufacturers.Load(ini);
}

std::string CReferenceLists::Load(CCommandLibrary& library, CMfgList& manufacturers, IPrompt* prompt,
                                  std::string* message) {
  const std::string path = CConfigFiles::LocateIniFile(CConfigFiles::kIrFunctionsFile);
  if (!path.empty()) {
    try {
      library.LoadFile(path);
      manufacturers.LoadFile(path);
      return path;
    } catch (const CQuillonException&) {
      const std::string text = path + " is invalid/corrupted.\nUsing internal copy.";
      if (message) *message = text;
      if (prompt) prompt->MessageBox(text, "Quillon", PromptButtons::Ok, PromptIcon::Warning);
      library.Clear();
      manufacturers.Clear();
    }
  }
  LoadEmbedded(library, manufacturers);
  return std::string();
}

}  // namespace quillon
