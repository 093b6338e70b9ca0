#pragma once
// File > Import... and File > Export... of the main window: the file asked
// for through the program's file dialogs, the work done by the interchange
// core (TIrInterchangeFile), every failure shown naming the file and the
// reason, and what was left out, altered or renamed shown in a report.
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace quillon {
class IPrompt;
}

namespace quillon::ui {

class DriverDocument;

class CInterchangeCommands {
 public:
  static constexpr const char* kImportCaption = "Import";
  static constexpr const char* kExportCaption = "Export";

  // Imports a file the user chooses into DOCUMENT, or, when DOCUMENT is
  // null, into a new driver MAKENEW opens, only once the file has been read
  // (a file that cannot be imported opens no empty window). Returns the line
  // for the status bar; empty when nothing was imported.
  static QString Import(QWidget* parent, IPrompt& prompt, DriverDocument* document,
                        const std::function<DriverDocument*()>& makeNew);
  // Exports DOCUMENT's functions to a file the user chooses: the SELECTED
  // ones or all of them (asked when only some are selected). Returns the
  // status-bar line; empty when nothing was written.
  static QString Export(QWidget* parent, IPrompt& prompt, DriverDocument& document,
                        const std::vector<int>& selected);
};

}  // namespace quillon::ui
