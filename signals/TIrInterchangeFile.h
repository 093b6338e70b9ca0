#pragma once
// Interchange files as the driver windows import and export them: the whole
// file read or written through the safe file functions, its format told by
// its name (or by the filter chosen in the dialog when the name tells none),
// and every failure one message naming the file and the reason.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "capture/TIrCaptureSettings.h"
#include "signals/TIrFileFormat.h"
#include "signals/TIrInterchange.h"

namespace quillon {

class CDriverDoc;
class TQVXIr;

class TIrInterchangeFile {
 public:
  // what(): "FILE: reason", or "FILE:LINE: reason" for text that is not of
  // its format. DETAILS: what the reader left out of a file that then held
  // nothing usable.
  class Error : public std::runtime_error {
   public:
    explicit Error(const std::string& message, std::vector<std::string> details = {})
        : std::runtime_error(message), m_details(std::move(details)) {}
    const std::vector<std::string>& Details() const { return m_details; }

   private:
    std::vector<std::string> m_details;
  };

  // A file read and checked before any driver is touched.
  struct Source {
    std::string path;
    TIrFormat format = TIrFormat::Signals;
    TIrParsedFile parsed;
  };

  // The interchange formats, in the order the dialogs list them.
  static const std::vector<TIrFormat>& Formats();
  // File-dialog filter lists (lines joined by ";;"): for import, every
  // interchange file first, then each format, then all files; for export,
  // each format.
  static std::string ImportFilter();
  static std::string ExportFilter();
  // The format of one line of those lists, or nothing (all files, say).
  static std::optional<TIrFormat> FormatOfFilter(std::string_view filter);

  // Reads and parses PATH in the format its name tells, else in FALLBACK.
  // Messages of left-out entries name the file by its name only. Throws
  // Error when the file cannot be read, is a driver or of no known format,
  // is not of its format, or holds no signal at all.
  static Source Read(const std::string& path, std::optional<TIrFormat> fallback = std::nullopt);
  // Puts SOURCE's signals into DOC's driver as one edit ("Import NAME").
  static TIrInterchange::Outcome Import(CDriverDoc& doc, const Source& source,
                                        TIrCaptureKind kind = TIrCaptureKind::QVX);

  // PATH, with FORMAT's extension added when its name tells no interchange
  // format.
  static std::string ExportPath(const std::string& path, TIrFormat format);
  // Writes DRIVER's functions (those at POSITIONS; all when empty) to PATH in
  // the format its name tells, protocol codes where the format stores them;
  // REMOTE names a LIRC remote. Throws Error; a failed write leaves an
  // existing file as it was.
  static TIrInterchange::Outcome Export(const TQVXIr& driver, const std::string& path,
                                        const std::vector<int>& positions, const std::string& remote);
  // A LIRC remote's name for DRIVER: its manufacturer and model, else
  // FALLBACK (UTF-8).
  static std::string RemoteName(const TQVXIr& driver, const std::string& fallback);

  // One line on what an import or export did, e.g. "10 functions imported
  // from remotes.ir." (FILE is shown by its name).
  static std::string ImportSummary(const TIrInterchange::Outcome& outcome, const std::string& file);
  static std::string ExportSummary(const TIrInterchange::Outcome& outcome, const std::string& file);
};

}  // namespace quillon
