#pragma once
// The driver document type as the program registers it, and what the open
// and save dialogs of drivers show: the driver filter followed by the
// all-files filter, the driver folder to start in, and the save dialog's note
// about that folder. The windows turn these into real dialogs.
#include <string>

namespace quillon {

class CDocManagerEx {
 public:
  // The parts of the document template string, in its order.
  enum TemplatePart {
    kWindowTitle = 0,
    kDocName = 1,      // "VIR": new drivers are titled VIR1, VIR2, ...
    kFileNewName = 2,
    kFilterName = 3,   // "Velmor IR Drivers (*.vir)"
    kFilterExt = 4,    // ".vir"
    kRegFileTypeId = 5,
    kRegFileTypeName = 6,
  };

  // One part of the driver document template string ("" beyond its end).
  static std::string GetTemplatePart(TemplatePart part);

  struct FileDialogRequest {
    std::string caption;
    std::string folder;       // where the dialog starts; "" for the current folder
    std::string fileName;     // the name proposed (save) or selected (open)
    std::string filters;      // "Velmor IR Drivers (*.vir);;All Files (*)"
    std::string note;         // shown under the file list; "" for none
    std::string defaultSuffix;  // "vir"
  };

  // The open dialog of drivers. DRIVERFOLDER is the program's driver folder
  // ("" when none is set).
  static FileDialogRequest OpenDialog(const std::string& driverFolder);
  // The save dialog for a driver titled TITLE whose file is PATH ("" for a
  // driver never saved): a saved driver is proposed under its own path, a new
  // one as TITLE plus ".vir" in the driver folder.
  static FileDialogRequest SaveDialog(const std::string& driverFolder, const std::string& title, const std::string& path);
  // "Note! The IR driver should be saved in the "<folder>" folder. ..." or ""
  // when no driver folder is set.
  static std::string SaveNote(const std::string& driverFolder);
  // PATH with ".vir" appended when its file name has no extension.
  static std::string WithDriverExtension(const std::string& path);
};

}  // namespace quillon
