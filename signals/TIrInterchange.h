#pragma once
// Import and export of whole files, as the driver windows and the command
// line do them: a file's signals into an open driver document (its command
// list applied afterwards), and a driver's functions out as the text of an
// interchange format.
#include <string>
#include <string_view>
#include <vector>

#include "capture/TIrCaptureSettings.h"
#include "signals/TIrExporter.h"
#include "signals/TIrFileFormat.h"

namespace quillon {

class CDriverDoc;
class TQVXIr;

class TIrInterchange {
 public:
  struct Outcome {
    // Functions added or filled.
    int functions = 0;
    // What had to change but is complete (names), and what was left out or
    // altered (skipped entries, cut fields, signals the analysis refused).
    std::vector<std::string> notes;
    std::vector<std::string> warnings;
  };

  // Reads TEXT (the file FILE) in FORMAT into DOC's driver. The document is
  // marked modified when a function was added. Throws TIrFormatError when
  // the text is not of the format.
  static Outcome ImportText(CDriverDoc& doc, TIrFormat format, std::string_view text, const std::string& file,
                            TIrCaptureKind kind = TIrCaptureKind::QVX);

  // DRIVER's functions with IR data (only those at POSITIONS when given) as
  // the text of FORMAT; REMOTE names a LIRC remote. OUTCOME counts the
  // functions written and receives what had to change (notes) and what was
  // left out (warnings). Throws std::invalid_argument when no function can
  // be written.
  static std::string ExportText(const TQVXIr& driver, TIrFormat format, const std::string& remote,
                                const TIrExporter::Options& options, Outcome& outcome,
                                const std::vector<int>& positions = {});
};

}  // namespace quillon
