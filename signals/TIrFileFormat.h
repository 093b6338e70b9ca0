#pragma once
// The interchange formats a driver's functions are imported from and
// exported to, chosen by name or by a file's extension.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signals/TIrNamedSignal.h"

namespace quillon {

enum class TIrFormat {
  Driver,   // .vir
  Signals,  // .ir
  Pronto,   // .pronto, .txt
  Lirc,     // .conf
  Raw,      // .raw
};

class TIrFileFormat {
 public:
  // "vir", "ir", "pronto", "lirc", "raw".
  static const char* Name(TIrFormat format);
  // The format of a name above (ignoring case), or nothing.
  static std::optional<TIrFormat> FromName(std::string_view name);
  // The format a file's extension names (ignoring case), or nothing.
  static std::optional<TIrFormat> FromPath(std::string_view path);
  // The file-dialog filters of the interchange formats, e.g.
  // "IR signal files (*.ir)".
  static std::string Filter(TIrFormat format);

  // Reads TEXT in FORMAT (not Driver). Throws TIrFormatError.
  static TIrParsedFile Parse(TIrFormat format, std::string_view text, const std::string& file);
  // Writes ENTRIES in FORMAT (not Driver); REMOTE names the remote of a LIRC
  // file. NOTES receives what had to change.
  static std::string Write(TIrFormat format, const std::vector<TIrNamedSignal>& entries, const std::string& remote,
                           std::vector<std::string>& notes);
};

}  // namespace quillon
