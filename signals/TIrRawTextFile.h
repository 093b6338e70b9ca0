#pragma once
// Plain raw timing text: for each signal an optional "name:" line, an
// optional "carrier:" line (Hz; 0 for an unmodulated signal; 38000 when
// absent) and the durations in microseconds, "+" for a mark and "-" for a
// space, on as many lines as needed:
//
//   name: POWER
//   carrier: 38000
//   +9000 -4500 +560 -560 +560 -1690 ... +560 -40000
//
// Unsigned numbers alternate mark and space, starting with a mark; the
// "pulse 9000" / "space 4500" lines of receiver dumps are read too. '#'
// starts a comment. A signal that ends with a mark is followed by a 40 ms
// pause.
#include <string>
#include <string_view>
#include <vector>

#include "signals/TIrNamedSignal.h"

namespace quillon {

class TIrRawTextFile {
 public:
  static constexpr int kDefaultCarrierHz = 38000;

  // Reads TEXT (FILE names it in messages). Signals without a name get the
  // file's base name (numbered when there are several). Throws
  // TIrFormatError for a token that is not a duration.
  static TIrParsedFile Parse(std::string_view text, const std::string& file);
  // Writes each entry's press with its closing pause.
  static std::string Write(const std::vector<TIrNamedSignal>& entries, std::vector<std::string>& notes);
};

}  // namespace quillon
